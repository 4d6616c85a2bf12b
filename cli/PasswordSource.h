#pragma once
// Where a login's password comes from, so that it never needs to stand on the command line, which
// other users see in the process list: $UPLOADPIC_PASSWORD, the first line of standard input with
// --password-stdin, or a prompt on the terminal without echo. A password given as an argument
// (--password, login's second argument) is still taken.

#include <QString>

#include <optional>

namespace cli {

// `given` is the password from the command line, if any. Throws UsageError when --password-stdin is
// combined with one, or when no source has a password and standard input is not a terminal.
QString ReadPassword(const std::optional<QString> &given, bool fromStdin);

} // namespace cli
