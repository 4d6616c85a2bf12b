#pragma once
// A HEIF file read through libheif's reader interface, so that the file is never held in memory
// whole: libheif reads the boxes, then only the coded picture it decodes. Read rather than mapped, so
// a file cut meanwhile gives libheif a read error, never SIGBUS.

#include <QFile>
#include <QString>

#include <libheif/heif.h>

class THeifFileSource {
public:
    // Opens path; throws std::runtime_error for a file that cannot be opened, is empty, or is over
    // kMaxImageFileBytes.
    explicit THeifFileSource(const QString &path);
    THeifFileSource(const THeifFileSource &) = delete;
    THeifFileSource &operator=(const THeifFileSource &) = delete;

    // Hands the file to context, which reads from this source until it is freed; this source must
    // outlive it.
    heif_error ReadInto(heif_context *context);

private:
    QFile file_;
    heif_reader reader_{};
};
