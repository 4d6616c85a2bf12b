#pragma once
// PNG, WebP, TIFF and BMP photos, read with Qt's image readers (WebP and TIFF through the image
// format plugins). Their orientation, where the format has one (TIFF), is applied while the JPEG is
// written, so no turned copy of the image is made.

#include "ImageKind.h"
#include "SizeRules.h"

#include <QByteArray>

// The upright size of the image, from its header alone. Throws std::runtime_error naming the reason
// when the data is no readable image of that kind or the image is over kMaxImagePixels.
SizeRules::TSize QtImageUprightSize(const QByteArray &bytes, ImageKind kind);

// The image as upright JPEG bytes of the given quality; transparent parts are laid on white. Throws
// std::runtime_error naming the reason.
QByteArray QtImageToJpeg(const QByteArray &bytes, ImageKind kind, int quality);

class QImage;
// An image already in memory (a pasted one, a decoded file) as JPEG bytes, turned upright by the
// EXIF orientation; transparent parts are laid on white. Throws std::runtime_error naming the reason.
QByteArray ImageToJpeg(QImage image, int orientation, int quality);
