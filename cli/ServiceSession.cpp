#include "ServiceSession.h"

#include "PasswordSource.h"
#include "ProgressLine.h"

#include "client/LoginMessages.h"

#include <QProcessEnvironment>

#include <stdexcept>

namespace cli {

ServiceSession::ServiceSession(const Options &options) {
    dm_.PhotoListView = &rows_;
    operations().SetControl(ProgressControl(options.quiet));
    if (!options.server.isEmpty()) {
        // HOST:PORT, or https://HOST:PORT (checked against the folder's CA file or the system's CAs).
        const bool https = options.server.startsWith(QLatin1String("https://"));
        const QString server = https ? options.server.mid(8) : options.server;
        const qsizetype colon = server.lastIndexOf(u':');
        const QString host = colon < 0 ? server : server.left(colon);
        const QString port = colon < 0 ? QString() : server.mid(colon + 1);
        bool ok = port.isEmpty();
        if (!ok) {
            const uint number = port.toUInt(&ok);
            ok = ok && number > 0 && number <= 65535;
        }
        if (host.trimmed().isEmpty() || !ok) {
            throw UsageError(QStringLiteral("--server needs HOST:PORT, got '%1'").arg(options.server));
        }
        dm_.ServerIP = host;
        dm_.ServerPort = port;
        dm_.ServerScheme = https ? QStringLiteral("https") : QStringLiteral("http");
    } else if (dm_.TerminateRequested) {
        throw std::runtime_error("the server configuration cannot be read; give --server HOST:PORT");
    }
}

TOperationResult ServiceSession::login(const QString &user, const QString &password) {
    TOperationResult result = operations().Login(user, password);
    dm_.LoginOk = result.ok();
    return result;
}

bool ServiceSession::loginFrom(const QCommandLineParser &parser, const LoginOptions &options, int &exitCode) {
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString user =
        parser.isSet(options.user) ? parser.value(options.user) : env.value("UPLOADPIC_USER");
    if (user.isEmpty()) {
        throw UsageError(QStringLiteral("a login is needed: give --user or set UPLOADPIC_USER, and the "
                                        "password in UPLOADPIC_PASSWORD or with --password-stdin"));
    }
    const QString password = ReadPassword(
        parser.isSet(options.password) ? std::optional(parser.value(options.password)) : std::nullopt,
        parser.isSet(options.passwordStdin));
    const TOperationResult result = login(user, password);
    if (result.ok()) {
        return true;
    }
    Field(QStringLiteral("login"), loginOutcome(result.loginMessage));
    exitCode = Finish(result);
    return false;
}

namespace {

const QString kLoginHelp = QStringLiteral(
    "\n\nThe command logs in first: the user from --user or UPLOADPIC_USER, the password from\n"
    "UPLOADPIC_PASSWORD, the first line of stdin with --password-stdin, or a prompt on a terminal\n"
    "(--password still works but shows it to other users). Prints Code=CODE and exits 1 when the\n"
    "service answers anything but success.");

} // namespace

bool StartServiceCommand(QCommandLineParser &parser, const LoginOptions &login, const QString &command,
                         const QString &description, const QStringList &args, int minArgs, int maxArgs,
                         const Options &options, std::unique_ptr<ServiceSession> &session, int &exitCode) {
    parser.setApplicationDescription(description + kLoginHelp);
    login.addTo(parser);
    exitCode = 0;
    if (!ParseArgs(parser, command, args, minArgs, maxArgs)) {
        return false;
    }
    session = std::make_unique<ServiceSession>(options);
    return session->loginFrom(parser, login, exitCode);
}

QString loginOutcome(int message) {
    switch (message) {
    case WM_LOGIN_SUCCESS:
        return QStringLiteral("success");
    case WM_LOGIN_DENIED:
        return QStringLiteral("denied");
    case WM_LOGIN_BADHEADER:
        return QStringLiteral("badheader");
    default:
        return QStringLiteral("failed");
    }
}

} // namespace cli
