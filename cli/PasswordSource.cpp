#include "PasswordSource.h"

#include "CliCommand.h"

#include "core/TerminalLine.h"

#include <unistd.h>

namespace cli {

QString ReadPassword(const std::optional<QString> &given, bool fromStdin) {
    if (fromStdin) {
        if (given) {
            throw UsageError(QStringLiteral("--password-stdin and a password argument exclude each other"));
        }
        return TerminalLine::Read().value_or(QString());
    }
    if (given) {
        return *given;
    }
    if (qEnvironmentVariableIsSet("UPLOADPIC_PASSWORD")) {
        return qEnvironmentVariable("UPLOADPIC_PASSWORD");
    }
    if (::isatty(STDIN_FILENO)) {
        return TerminalLine::ReadQuietly("Password: ").value_or(QString());
    }
    throw UsageError(QStringLiteral("a password is needed: set UPLOADPIC_PASSWORD, pipe it with "
                                    "--password-stdin, or run on a terminal to be asked"));
}

} // namespace cli
