#pragma once
// Fixture photos made at test time: JPEG files of chosen sizes, padded to exact byte counts, with an
// EXIF orientation tag, or with a header that lies about the image size.

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QString>

#include <optional>

namespace fixtures {

// Four flat quadrants in distinct colours: any turn, mirror or scaling fault moves a colour.
inline const QColor kQuadrant[4] = {QColor(220, 30, 30), QColor(30, 200, 40), QColor(40, 60, 230),
                                    QColor(240, 220, 40)}; // top-left, top-right, bottom-left, bottom-right

inline QImage quadrants(int width, int height) {
    QImage image(width, height, QImage::Format_RGB888);
    QPainter p(&image);
    const int w = width / 2;
    const int h = height / 2;
    p.fillRect(0, 0, w, h, kQuadrant[0]);
    p.fillRect(w, 0, width - w, h, kQuadrant[1]);
    p.fillRect(0, h, w, height - h, kQuadrant[2]);
    p.fillRect(w, h, width - w, height - h, kQuadrant[3]);
    return image;
}

inline QByteArray jpegBytes(const QImage &image, int quality = 90) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

inline bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Grows a JPEG to exactly size bytes with filler after its end marker, which decoders never read.
inline QByteArray paddedTo(QByteArray jpeg, qsizetype size) {
    if (jpeg.size() < size) {
        jpeg.append(QByteArray(size - jpeg.size(), '\0'));
    }
    return jpeg;
}

// An APP1 segment holding IFD 0 with the orientation tag only, in either byte order.
inline QByteArray exifOrientationSegment(int orientation, bool bigEndian = true) {
    QByteArray tiff;
    const auto u16 = [&](int v) {
        if (bigEndian) {
            tiff.append(char(v >> 8)).append(char(v & 0xFF));
        } else {
            tiff.append(char(v & 0xFF)).append(char(v >> 8));
        }
    };
    const auto u32 = [&](int v) {
        if (bigEndian) {
            u16(v >> 16);
            u16(v & 0xFFFF);
        } else {
            u16(v & 0xFFFF);
            u16(v >> 16);
        }
    };
    tiff.append(bigEndian ? "MM" : "II");
    u16(42);
    u32(8);      // IFD 0 follows the header
    u16(1);      // one entry
    u16(0x0112); // orientation
    u16(3);      // SHORT
    u32(1);
    u16(orientation);
    u16(0); // value padded to four bytes
    u32(0); // no next IFD
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    const int length = int(payload.size()) + 2;
    return QByteArray("\xFF\xE1", 2) + char(length >> 8) + char(length & 0xFF) + payload;
}

// The JPEG with an EXIF orientation segment right after its start marker.
inline QByteArray withOrientation(const QByteArray &jpeg, int orientation, bool bigEndian = true) {
    return jpeg.left(2) + exifOrientationSegment(orientation, bigEndian) + jpeg.mid(2);
}

// Offset of the first frame header (SOF0 or SOF2) marker, or -1.
inline qsizetype frameHeader(const QByteArray &jpeg) {
    for (qsizetype i = 2; i + 9 < jpeg.size(); ++i) {
        const auto b = static_cast<unsigned char>(jpeg[i + 1]);
        if (static_cast<unsigned char>(jpeg[i]) == 0xFF && (b == 0xC0 || b == 0xC2)) {
            return i;
        }
    }
    return -1;
}

// The JPEG with its frame header claiming width x height.
inline QByteArray claimingSize(QByteArray jpeg, int width, int height) {
    const qsizetype at = frameHeader(jpeg);
    if (at >= 0) {
        jpeg[at + 5] = char(height >> 8);
        jpeg[at + 6] = char(height & 0xFF);
        jpeg[at + 7] = char(width >> 8);
        jpeg[at + 8] = char(width & 0xFF);
    }
    return jpeg;
}

// First value of the first quantisation table: 3 for libjpeg's quality 90, 6 for quality 80.
inline std::optional<int> firstQuantValue(const QByteArray &jpeg) {
    for (qsizetype i = 2; i + 5 < jpeg.size(); ++i) {
        if (static_cast<unsigned char>(jpeg[i]) == 0xFF && static_cast<unsigned char>(jpeg[i + 1]) == 0xDB) {
            return static_cast<unsigned char>(jpeg[i + 5]);
        }
    }
    return std::nullopt;
}

} // namespace fixtures
