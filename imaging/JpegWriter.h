#pragma once
// Encodes a bitmap as a baseline colour JPEG with libjpeg's default settings at a given quality.
// Only the pixels are written, no metadata; a bitmap stored sideways is written upright.

#include "RgbImage.h"

#include <QByteArray>

// The JPEG bytes of the upright view of stored (orientation 1 to 8, as in EXIF), quality 1 to 100.
// Throws std::runtime_error when libjpeg fails or memory runs out.
QByteArray EncodeJpeg(const TRgbImage &stored, int orientation, int quality);
