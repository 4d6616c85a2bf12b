#include "ServiceOptions.h"

#include "GuardOptions.h"

namespace {

// "HOST:PORT" with HOST an address or "localhost"; an IPv6 address goes in brackets.
bool parseListen(const QString &text, ServiceOptions &options, QString &error) {
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0) {
        error = QStringLiteral("--listen needs HOST:PORT, got \"%1\"").arg(text);
        return false;
    }
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'))) {
        host = host.mid(1, host.size() - 2);
    }
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok);
    if (!ok || port > 65535) {
        error = QStringLiteral("--listen: \"%1\" is not a port number").arg(text.mid(colon + 1));
        return false;
    }
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) {
        options.host = QHostAddress(QHostAddress::LocalHost);
    } else if (!options.host.setAddress(host)) {
        error = QStringLiteral("--listen: \"%1\" is not an IP address").arg(host);
        return false;
    }
    options.port = static_cast<quint16>(port);
    return true;
}

} // namespace

std::variant<ServiceOptions, QString> ParseServiceOptions(const QStringList &arguments) {
    ServiceOptions options;
    bool haveListen = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        const bool takesValue = arg == QLatin1String("--listen") || arg == QLatin1String("--db") ||
                                arg == QLatin1String("--max-request-bytes") ||
                                arg == QLatin1String("--tls-cert") || arg == QLatin1String("--tls-key");
        if (takesValue && i + 1 >= arguments.size()) {
            return QStringLiteral("%1 needs a value").arg(arg);
        }
        if (arg == QLatin1String("--listen")) {
            QString error;
            if (!parseListen(arguments.at(++i), options, error)) {
                return error;
            }
            haveListen = true;
        } else if (arg == QLatin1String("--db")) {
            options.dbFile = arguments.at(++i);
        } else if (arg == QLatin1String("--max-request-bytes")) {
            bool ok = false;
            options.maxRequestBytes = arguments.at(++i).toLongLong(&ok);
            if (!ok || options.maxRequestBytes < 1024) {
                return QStringLiteral("--max-request-bytes needs a number of at least 1024");
            }
        } else if (arg == QLatin1String("--tls-cert")) {
            options.tlsCertFile = arguments.at(++i);
        } else if (arg == QLatin1String("--tls-key")) {
            options.tlsKeyFile = arguments.at(++i);
        } else if (arg == QLatin1String("--seed-demo")) {
            options.seedDemo = true;
        } else if (arg == QLatin1String("--exit-with-parent")) {
            options.exitWithParent = true;
        } else if (QString error; const int used = ParseGuardOption(arguments, i, options, error)) {
            if (used < 0) {
                return error;
            }
            i += used - 1;
        } else {
            return QStringLiteral("unknown argument \"%1\"").arg(arg);
        }
    }
    if (!haveListen) {
        return QStringLiteral("--listen HOST:PORT is required");
    }
    if (options.dbFile.isEmpty()) {
        return QStringLiteral("--db FILE is required");
    }
    if (options.tlsCertFile.isEmpty() != options.tlsKeyFile.isEmpty()) {
        return QStringLiteral("--tls-cert and --tls-key go together");
    }
    return options;
}
