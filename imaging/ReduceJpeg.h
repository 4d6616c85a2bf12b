#pragma once
// The common last step of both photo reductions: decode at the target size, encode upright, write
// the file whole.

#include "JpegReader.h"
#include "SizeRules.h"

#include <QString>

// Writes the photo read by reader, scaled to uprightTarget (a size of the upright photo), as a JPEG
// of the given quality to path, and returns the bytes written. Throws std::runtime_error (or
// std::bad_alloc) on any failure; path is then left as it was.
QByteArray ReduceJpeg(TJpegReader &reader, SizeRules::TSize uprightTarget, int quality, const QString &path);
