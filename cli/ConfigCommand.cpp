// uploadpic-cli config write|show: the client's protected server configuration.

#include "CliCommand.h"
#include "ConfigWriter.h"

#include "client/MainDataModule.h"
#include "client/ServerTransport.h"
#include "core/SysOper.h"

#include <QDir>

namespace cli {
namespace {

QString folderOption(const QCommandLineParser &parser, const QCommandLineOption &dir) {
    return parser.isSet(dir) ? QDir(parser.value(dir)).absolutePath() + QLatin1Char('/')
                             : TSysOper::GetAppPath();
}

int runWrite(const QStringList &args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Write PictureConfig/Config.ini in the protected form."));
    const QCommandLineOption ip(QStringLiteral("ip"), QStringLiteral("Server host name or address."),
                                QStringLiteral("IP"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Server TCP port."),
                                  QStringLiteral("PORT"));
    const QCommandLineOption dir(QStringLiteral("dir"),
                                 QStringLiteral("Program folder (default: the tool's)."),
                                 QStringLiteral("DIR"));
    const QCommandLineOption tls(QStringLiteral("tls"),
                                 QStringLiteral("Talk HTTPS to the server, checking its certificate."));
    const QCommandLineOption ca(
        QStringLiteral("ca"),
        QStringLiteral("With --tls: check against the CA certificates in FILE (copied "
                       "to PictureConfig/) instead of the system's."),
        QStringLiteral("FILE"));
    parser.addOptions({ip, port, tls, ca, dir});
    if (!ParseArgs(parser, QStringLiteral("config write"), args, 0, 0)) {
        return 0;
    }
    if (!parser.isSet(ip) || !parser.isSet(port)) {
        throw UsageError(QStringLiteral("config write: --ip and --port are required"));
    }
    bool portOk = false;
    const uint portNumber = parser.value(port).trimmed().toUInt(&portOk);
    if (!portOk || portNumber == 0 || portNumber > 65535) {
        throw UsageError(QStringLiteral("config write: --port takes a number from 1 to 65535, not '%1'")
                             .arg(parser.value(port)));
    }
    const QString host = parser.value(ip).trimmed();
    if (host.isEmpty() || host.contains(u' ') || host.contains(u'/')) {
        throw UsageError(QStringLiteral("config write: --ip takes a host name or address, not '%1'")
                             .arg(parser.value(ip)));
    }
    if (parser.isSet(ca) && !parser.isSet(tls)) {
        throw UsageError(QStringLiteral("config write: --ca needs --tls"));
    }
    const QString folder = folderOption(parser, dir);
    QString error;
    if (!WriteConfigFile(folder, parser.value(ip), parser.value(port), error, parser.isSet(tls),
                         parser.value(ca))) {
        Err(QStringLiteral("config write: ") + error);
        return 1;
    }
    Value(QStringLiteral("file"), folder + QStringLiteral("PictureConfig/Config.ini"));
    return 0;
}

int runShow(const QStringList &args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Decode PictureConfig/Config.ini as the client does."));
    const QCommandLineOption dir(QStringLiteral("dir"),
                                 QStringLiteral("Program folder (default: the tool's)."),
                                 QStringLiteral("DIR"));
    parser.addOption(dir);
    if (!ParseArgs(parser, QStringLiteral("config show"), args, 0, 0)) {
        return 0;
    }
    const QString folder = folderOption(parser, dir);
    // The folder stands for the client's program folder: its run log gets the client's failure line.
    TSysOper::SetAppPath(folder);
    QString ip;
    QString port;
    QString scheme;
    QString caFile;
    if (!TDM_Main::ReadConfigFile(folder, ip, port) || !ServerTransport::Read(folder, scheme, caFile)) {
        Err(QStringLiteral("读取配置信息失败,无法启动程序"));
        return 1;
    }
    if (ip.trimmed().isEmpty()) {
        Err(QStringLiteral("config show: no server is configured in %1PictureConfig/Config.ini").arg(folder));
        return 1;
    }
    Field(QStringLiteral("IP"), ip);
    // A number in JSON; a file written by hand with something else keeps it as text.
    bool numeric = false;
    const int portNumber = port.toInt(&numeric);
    Field(QStringLiteral("Port"), numeric ? QJsonValue(portNumber) : QJsonValue(port));
    Field(QStringLiteral("Scheme"), scheme);
    if (scheme == u"https") {
        Field(QStringLiteral("CA"), caFile.isEmpty() ? QStringLiteral("system") : caFile);
    }
    return 0;
}

} // namespace

int RunConfig(const QStringList &args, const Options & /*options*/) {
    const QString sub = args.value(0);
    if (sub == u"write") {
        return runWrite(args.mid(1));
    }
    if (sub == u"show") {
        return runShow(args.mid(1));
    }
    if (sub == u"--help" || sub == u"-h") {
        ShowHelp(QStringLiteral(
            "Usage: uploadpic-cli config write --ip IP --port PORT [--tls [--ca FILE]] [--dir DIR]\n"
            "       uploadpic-cli config show [--dir DIR]\n\n"
            "write  writes DIR/PictureConfig/Config.ini in the protected form\n"
            "show   decodes it as the client does and prints IP=, Port= and Scheme="));
        return 0;
    }
    throw UsageError(sub.isEmpty() ? QStringLiteral("config: expected 'write' or 'show'")
                                   : QStringLiteral("config: unknown subcommand '%1'").arg(sub));
}

} // namespace cli
