#pragma once
// Writing a file whole or not at all: the bytes go to a temporary file beside it, which replaces
// the target only once everything is written, so no reader ever sees a half-written file.

#include <QByteArray>
#include <QString>

// Throws std::runtime_error with the system's reason when the file cannot be written.
void WriteWholeFile(const QString &path, const QByteArray &bytes);
