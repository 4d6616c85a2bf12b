#include "ServiceOptions.h"

#include "ConfigFile.h"
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

// Reads the option at arguments[i] (and its value) into `options`: the number of arguments it took,
// 0 when arguments[i] is no option of the service, -1 with `error` set when its value is wrong.
int applyOption(const QStringList &arguments, qsizetype i, ServiceOptions &options, QString &error) {
    const QString &arg = arguments.at(i);
    const bool takesValue = arg == QLatin1String("--listen") || arg == QLatin1String("--db") ||
                            arg == QLatin1String("--max-request-bytes") ||
                            arg == QLatin1String("--tls-cert") || arg == QLatin1String("--tls-key") ||
                            arg == QLatin1String("--db-wait");
    if (takesValue && i + 1 >= arguments.size()) {
        error = QStringLiteral("%1 needs a value").arg(arg);
        return -1;
    }
    const QString value = takesValue ? arguments.at(i + 1) : QString();
    bool ok = true;
    if (arg == QLatin1String("--listen")) {
        ok = parseListen(value, options, error);
    } else if (arg == QLatin1String("--db")) {
        options.dbFile = value;
    } else if (arg == QLatin1String("--max-request-bytes")) {
        options.maxRequestBytes = value.toLongLong(&ok);
        if (!ok || options.maxRequestBytes < 1024) {
            error = QStringLiteral("--max-request-bytes needs a number of at least 1024");
            ok = false;
        }
    } else if (arg == QLatin1String("--db-wait")) {
        options.dbWaitSeconds = value.toInt(&ok);
        if (!ok || options.dbWaitSeconds < 0 || options.dbWaitSeconds > 3600) {
            error = QStringLiteral("--db-wait needs a number from 0 to 3600");
            ok = false;
        }
    } else if (arg == QLatin1String("--tls-cert")) {
        options.tlsCertFile = value;
    } else if (arg == QLatin1String("--tls-key")) {
        options.tlsKeyFile = value;
    } else if (arg == QLatin1String("--seed-demo")) {
        options.seedDemo = true;
    } else if (arg == QLatin1String("--exit-with-parent")) {
        options.exitWithParent = true;
    } else {
        return ParseGuardOption(arguments, i, options, error);
    }
    return !ok ? -1 : takesValue ? 2 : 1;
}

// The options that are switched on by their name alone.
bool isSwitch(const QString &option) {
    return option == QLatin1String("--seed-demo") || option == QLatin1String("--exit-with-parent") ||
           option == QLatin1String("--open-access");
}

// Applies the entries of the configuration file `path`; false with `error` naming the file and line.
bool applyConfigFile(const QString &path, ServiceOptions &options, QString &error) {
    const auto read = ReadConfigFile(path);
    if (const QString *readError = std::get_if<QString>(&read)) {
        error = *readError;
        return false;
    }
    for (const ConfigEntry &entry : std::get<std::vector<ConfigEntry>>(read)) {
        const QString where = QStringLiteral("%1:%2: ").arg(path).arg(entry.line);
        const QString option = QStringLiteral("--") + entry.name;
        if (entry.name.startsWith(QLatin1Char('-')) || option == QLatin1String("--config") ||
            option == QLatin1String("--help")) {
            error = where + QStringLiteral("unknown option \"%1\"").arg(entry.name);
            return false;
        }
        QStringList arguments{option};
        if (isSwitch(option)) {
            const QString v = entry.value.toLower();
            if (v == QLatin1String("false") || v == QLatin1String("no") || v == QLatin1String("off")) {
                continue;
            }
            if (v != QLatin1String("true") && v != QLatin1String("yes") && v != QLatin1String("on")) {
                error =
                    where + QStringLiteral("%1 needs true or false, got \"%2\"").arg(entry.name, entry.value);
                return false;
            }
        } else {
            arguments << entry.value;
        }
        QString optionError;
        const int used = applyOption(arguments, 0, options, optionError);
        if (used == 0) {
            error = where + QStringLiteral("unknown option \"%1\"").arg(entry.name);
            return false;
        }
        if (used < 0) {
            error = where + optionError;
            return false;
        }
    }
    return true;
}

} // namespace

std::variant<ServiceOptions, QString> ParseServiceOptions(const QStringList &arguments) {
    ServiceOptions options;
    QString error;
    // The file first, so that what the command line says wins.
    const qsizetype config = arguments.indexOf(QLatin1String("--config"));
    if (config >= 0) {
        if (config + 1 >= arguments.size()) {
            return QStringLiteral("--config needs a value");
        }
        if (arguments.indexOf(QLatin1String("--config"), config + 1) >= 0) {
            return QStringLiteral("--config may be given once");
        }
        if (!applyConfigFile(arguments.at(config + 1), options, error)) {
            return error;
        }
    }
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (i == config) {
            ++i;
            continue;
        }
        const int used = applyOption(arguments, i, options, error);
        if (used < 0) {
            return error;
        }
        if (used == 0) {
            return QStringLiteral("unknown argument \"%1\"").arg(arguments.at(i));
        }
        i += used - 1;
    }
    if (options.host.isNull()) {
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
