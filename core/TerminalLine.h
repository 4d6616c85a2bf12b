#pragma once
// Reading one line of standard input for a secret: a password typed at a terminal is not echoed,
// and the terminal's settings come back whatever happens. Used by uploadpic-cli and photo-service.

#include <QString>

#include <optional>

namespace TerminalLine {

// One line of standard input without its line end ("\n" or "\r\n"); nullopt at the end of input.
std::optional<QString> Read();
// The same from a terminal with echo off, after printing prompt on stderr.
std::optional<QString> ReadQuietly(const char *prompt);

} // namespace TerminalLine
