#pragma once
// Whether bytes can be a JPEG file at all: they start with the start-of-image marker and a marker.
// Bytes from outside that fail this are not stored or shown as a photo.

#include <QByteArray>

inline bool HasJpegSignature(const QByteArray &bytes) {
    return bytes.size() >= 4 && bytes.startsWith("\xFF\xD8\xFF");
}
