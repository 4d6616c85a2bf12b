#pragma once
// HEIC/HEIF photos as phones write them, read with libheif (HEVC through libde265). libheif applies
// the file's own rotation and mirroring while it decodes, so what comes out is upright.

#include "SizeRules.h"

#include <QByteArray>
#include <QString>

// The upright size of the primary image of the file at path, from its boxes alone. Throws
// std::runtime_error naming the reason when the file is no readable HEIF or the image is over
// kMaxImagePixels.
SizeRules::TSize HeifUprightSize(const QString &path);

// The primary image of the file at path as JPEG bytes of the given quality. The decoded picture,
// in the codec's own planes (YCbCr, often subsampled, 8 or 10 bits), is the only full-size bitmap
// held, and the file is read as libheif needs it, not whole; each JPEG row is converted from the
// planes to RGB with the matrix and range the file declares. Throws std::runtime_error naming the
// reason.
QByteArray HeifToJpeg(const QString &path, int quality);
