#pragma once
// A JPEG of one colour made in memory, for tests that send or store photos.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QSize>

inline QByteArray JpegBytes(QSize size, Qt::GlobalColor color, int quality = 85) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", quality);
    return bytes;
}
