#pragma once
// The kinds of image file a photo may come in, told apart by their first bytes rather than by the
// file name, which phones and users get wrong ("IMG_0001.JPG" holding HEIC).

#include <QByteArray>
#include <QString>

enum class ImageKind { NotImage, Jpeg, Heif, Png, WebP, Tiff, Bmp };

// The kind of the file that starts with head (its first 16 bytes or more suffice).
ImageKind SniffImageKind(const QByteArray &head);

// The kind's usual name, as a user knows it ("HEIC/HEIF", "PNG", ...).
QString ImageKindName(ImageKind kind);
