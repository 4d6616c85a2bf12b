#pragma once
// Photos stored as a grid of separately coded tiles, as phones and cameras write large photos (a
// single HEVC picture may not exceed about 35 megapixels). libheif 1.15 would assemble the whole
// picture at the codec's depth and turn it into 16-bit RGB before handing over a pixel, some ten bytes
// a pixel for a 10-bit photo. Here the tiles are decoded a band at a time, each handed to libheif as
// a file of its own, and the JPEG is written from the band as it goes, turned upright on the way by
// the grid's rotation and mirroring: only one band of tiles is held.

#include "SizeRules.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The JPEG bytes, of the given quality, of the primary picture of the HEIF file at path when that is
// a grid this reads, whose upright size is `upright` (as libheif reports it); nullopt for any other
// picture, which libheif then decodes whole. Throws std::runtime_error naming the reason when a tile
// cannot be read or decoded.
std::optional<QByteArray> HeifGridToJpeg(const QString &path, SizeRules::TSize upright, int quality);
