#pragma once
// HEIC/HEIF photos as phones write them, read with libheif (HEVC through libde265). libheif applies
// the file's own rotation and mirroring while it decodes, so what comes out is upright.

#include "SizeRules.h"

#include <QByteArray>

// The upright size of the file's primary image, from its boxes alone. Throws std::runtime_error
// naming the reason when the data is no readable HEIF or the image is over kMaxImagePixels.
SizeRules::TSize HeifUprightSize(const QByteArray &bytes);

// The primary image as JPEG bytes of the given quality. The decoded image is the only full-size
// bitmap held; the JPEG is written from its rows. Throws std::runtime_error naming the reason.
QByteArray HeifToJpeg(const QByteArray &bytes, int quality);
