#pragma once
// Reading an image file into memory for decoding. It is read rather than mapped: another program
// that truncates a mapped file while it is decoded kills the process with SIGBUS.

#include <QByteArray>
#include <QFile>
#include <QString>

// Files larger than this are refused before they are read.
inline constexpr qint64 kMaxImageFileBytes = 512LL * 1024 * 1024;

// Opens file (named already) for reading. Throws std::runtime_error for a file that cannot be
// opened, is empty, or is over kMaxImageFileBytes.
void OpenImageFile(QFile &file);

// The bytes the file holds now (a file cut meanwhile gives fewer, which the decoder reports as an
// image that ends too early). Throws std::runtime_error for a file that cannot be opened or read, is
// empty, or is over kMaxImageFileBytes.
QByteArray ReadImageFile(const QString &path);

// Enough of a file's first bytes to tell its kind (see SniffImageKind).
inline constexpr qint64 kImageHeadBytes = 32;

// The first kImageHeadBytes bytes of the file (fewer when it is shorter). Throws std::runtime_error
// for a file that cannot be opened or read, or is empty.
QByteArray ReadImageHead(const QString &path);
