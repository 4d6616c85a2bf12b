#include "GuardOptions.h"

#include "ServiceOptions.h"

namespace {

// A whole number within [least, most] as the value of arguments[i].
bool boundedNumber(const QStringList &arguments, qsizetype i, int least, int most, int &value,
                   QString &error) {
    const QString &name = arguments.at(i);
    if (i + 1 >= arguments.size()) {
        error = QStringLiteral("%1 needs a value").arg(name);
        return false;
    }
    bool ok = false;
    value = arguments.at(i + 1).toInt(&ok);
    if (!ok || value < least || value > most) {
        error = QStringLiteral("%1 needs a number from %2 to %3").arg(name).arg(least).arg(most);
        return false;
    }
    return true;
}

} // namespace

int ParseGuardOption(const QStringList &arguments, qsizetype i, ServiceOptions &options, QString &error) {
    const QString &arg = arguments.at(i);
    ConnectionLimits &limits = options.connections;
    int *target = arg == QLatin1String("--idle-timeout")                  ? &limits.idleTimeoutSeconds
                  : arg == QLatin1String("--request-timeout")             ? &limits.requestTimeoutSeconds
                  : arg == QLatin1String("--max-connections-per-address") ? &limits.maxPerAddress
                  : arg == QLatin1String("--drain-timeout")               ? &limits.drainTimeoutSeconds
                                                                          : nullptr;
    if (target) {
        return boundedNumber(arguments, i, 1, 86400, *target, error) ? 2 : -1;
    }
    if (arg == QLatin1String("--open-access")) {
        options.openAccess = true;
        return 1;
    }
    return 0;
}
