#pragma once
// A new password for an administration command: the first line of a file, or of standard input;
// never from the command line, which other users see in the process list. On a terminal it is asked
// for twice without echo.

#include <QString>

#include <optional>

// `file` empty: standard input. nullopt with the reason when nothing usable was read.
std::optional<QString> ReadNewPassword(const QString &file, QString &error);
