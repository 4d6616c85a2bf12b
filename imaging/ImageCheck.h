#pragma once
// Whether a chosen file is a photo that can be used: which kind of image it holds and, when its
// header cannot be read, why. Only the header is read; the pixels are decoded when it is prepared.

#include "ImageKind.h"

#include <QString>

struct TImageCheck {
    ImageKind kind = ImageKind::NotImage; // NotImage: not an image file at all (or not readable)
    QString error;                        // why an image file of a known kind cannot be used
    bool usable() const { return kind != ImageKind::NotImage && error.isEmpty(); }
};

TImageCheck CheckImageFile(const QString &path);
