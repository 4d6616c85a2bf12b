#pragma once
// Writing a file whole or not at all: the bytes go to a temporary file beside it ("<name>.XXXXXX"),
// which replaces the target only once everything is written, so no reader ever sees a half-written
// file and a crash leaves either no file or a whole one under the final name.

#include <QByteArray>
#include <QString>

// Synced also flushes the file to the disk before the rename, so it survives a power cut; files the
// program can fetch again (the photo cache, deleted at exit) skip that, as it costs a disk round trip
// per file.
enum class WholeFileSync { Synced, Unsynced };

// Throws std::runtime_error with the system's reason when the file cannot be written.
void WriteWholeFile(const QString &path, const QByteArray &bytes, WholeFileSync sync = WholeFileSync::Synced);
