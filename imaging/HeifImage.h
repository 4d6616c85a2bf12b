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

// The primary image of the file at path as JPEG bytes of the given quality. A grid of tiles is read a
// band of tiles at a time (HeifGrid.h). Any other picture is taken in the planes libheif decodes it
// to (RGB, YCbCr or grey; 8 to 16 bits), with no further copy, the file read as libheif needs it,
// not whole. Each JPEG row is made from the planes as it is written (YCbCr with the matrix and range
// the file declares). Throws std::runtime_error naming the reason.
QByteArray HeifToJpeg(const QString &path, int quality);
