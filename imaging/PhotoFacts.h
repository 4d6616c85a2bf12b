#pragma once
// What the preview tells about a shown photo: its upright pixel size, its file size and, where its
// EXIF block has it, when it was taken. Read from the file's header only.

#include "SizeRules.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

struct TPhotoFacts {
    SizeRules::TSize size; // 0 x 0 when the header cannot be read
    std::int64_t bytes = 0;
    QString dateTaken; // "yyyy-MM-dd HH:mm:ss", empty when unknown
};

TPhotoFacts ReadPhotoFacts(const QString &path);

// The upright pixel size of an image held in memory (a prepared JPEG), from its header only; 0 x 0
// when the header cannot be read.
SizeRules::TSize UprightSizeOf(const QByteArray &image);
