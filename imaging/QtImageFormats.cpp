#include "QtImageFormats.h"

#include "ExifOrientation.h"
#include "JpegReader.h"
#include "JpegWriter.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <stdexcept>
#include <string>
#include <utility>

namespace {

QByteArray formatOf(ImageKind kind) {
    switch (kind) {
    case ImageKind::Png:
        return "png";
    case ImageKind::WebP:
        return "webp";
    case ImageKind::Tiff:
        return "tiff";
    case ImageKind::Bmp:
        return "bmp";
    default:
        throw std::invalid_argument("no Qt image reader for this kind of image");
    }
}

// The EXIF orientation that means the same as Qt's transformation.
int orientationOf(QImageIOHandler::Transformations transformation) {
    switch (transformation) {
    case QImageIOHandler::TransformationMirror:
        return 2;
    case QImageIOHandler::TransformationRotate180:
        return 3;
    case QImageIOHandler::TransformationFlip:
        return 4;
    case QImageIOHandler::TransformationFlipAndRotate90:
        return 5;
    case QImageIOHandler::TransformationRotate90:
        return 6;
    case QImageIOHandler::TransformationMirrorAndRotate90:
        return 7;
    case QImageIOHandler::TransformationRotate270:
        return 8;
    default:
        return ExifOrientation::kNormal;
    }
}

[[noreturn]] void fail(ImageKind kind, const QString &reason) {
    throw std::runtime_error((ImageKindName(kind) + QStringLiteral(": ") + reason).toStdString());
}

// Qt's readers say "Unknown error" for most damage they meet.
[[noreturn]] void failReading(ImageKind kind, const QImageReader &reader) {
    const QString said = reader.error() == QImageReader::UnknownError ? QString() : reader.errorString();
    fail(kind, said.isEmpty() ? QStringLiteral("the image data is damaged or cut short") : said);
}

std::uint32_t u32At(const QByteArray &bytes, qsizetype at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    }
    return value;
}

// Qt's BMP reader shows whatever rows a cut file still has and fills the rest, so a cut file is
// caught here: an uncompressed BMP must hold every row its header promises.
void checkBmpComplete(const QByteArray &bytes) {
    if (bytes.size() < 54 || u32At(bytes, 14) < 40) {
        return; // the old core header: Qt's reader checks what little it says
    }
    const auto width = static_cast<std::int32_t>(u32At(bytes, 18));
    const auto height = static_cast<std::int32_t>(u32At(bytes, 22));
    const std::uint32_t bits = u32At(bytes, 28) & 0xFFFF;
    const std::uint32_t compression = u32At(bytes, 30);
    if (compression != 0 && compression != 3 && compression != 6) {
        return; // run-length coded: its end marker tells
    }
    const std::int64_t stride = (static_cast<std::int64_t>(width) * bits + 31) / 32 * 4;
    const std::int64_t rows = height < 0 ? -static_cast<std::int64_t>(height) : height;
    if (static_cast<std::int64_t>(u32At(bytes, 10)) + stride * rows > bytes.size()) {
        fail(ImageKind::Bmp, QStringLiteral("the file ends before its image data does"));
    }
}

// A reader of bytes (which must outlive it) whose header has been read and checked.
struct Reader {
    QByteArray data;
    QBuffer buffer;
    QImageReader reader;
    SizeRules::TSize stored;
    int orientation = ExifOrientation::kNormal;

    Reader(const QByteArray &bytes, ImageKind kind)
        : data(bytes), buffer(&data), reader(&buffer, formatOf(kind)) {
        // Qt refuses images over 128 MB by default, less than a 48-megapixel photo takes at four bytes
        // a pixel. The limit is Qt's one for the whole program; it is only ever raised here.
        constexpr int kAllocationLimitMB = 512;
        if (QImageReader::allocationLimit() < kAllocationLimitMB) {
            QImageReader::setAllocationLimit(kAllocationLimitMB);
        }
        reader.setDecideFormatFromContent(false);
        reader.setAutoTransform(false);
        const QSize size = reader.size();
        if (!reader.canRead() || !size.isValid() || size.isEmpty()) {
            failReading(kind, reader);
        }
        if (static_cast<std::int64_t>(size.width()) * size.height() > kMaxImagePixels) {
            fail(kind, QStringLiteral("the image has %1x%2 pixels, more than the %3 megapixels accepted")
                           .arg(size.width())
                           .arg(size.height())
                           .arg(kMaxImagePixels / 1'000'000));
        }
        if (kind == ImageKind::Bmp) {
            checkBmpComplete(bytes);
        }
        stored = {size.width(), size.height()};
        orientation = orientationOf(reader.transformation());
    }
};

std::uint8_t onWhite(int channel, int alpha) {
    return static_cast<std::uint8_t>((channel * alpha + 255 * (255 - alpha) + 127) / 255);
}

} // namespace

SizeRules::TSize QtImageUprightSize(const QByteArray &bytes, ImageKind kind) {
    const Reader read(bytes, kind);
    return ExifOrientation::Turn(read.stored, read.orientation);
}

QByteArray QtImageToJpeg(const QByteArray &bytes, ImageKind kind, int quality) {
    Reader read(bytes, kind);
    QImage image = read.reader.read();
    if (image.isNull()) {
        failReading(kind, read.reader);
    }
    return ImageToJpeg(std::move(image), read.orientation, quality);
}

QByteArray ImageToJpeg(QImage image, int orientation, int quality) {
    // Rows are read as 32-bit pixels; other formats (grey, palette, 16 bits a channel) are converted
    // once, which frees the decoded copy.
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32) {
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        if (image.isNull()) {
            throw std::runtime_error("not enough memory to convert the image");
        }
    }
    const SizeRules::TSize stored{image.width(), image.height()};
    const SizeRules::TSize upright = ExifOrientation::Turn(stored, orientation);
    return EncodeJpegRows(upright, quality, [&](int y, std::uint8_t *out) {
        for (int x = 0; x < upright.width; ++x) {
            const ExifOrientation::TPoint at = ExifOrientation::StoredPosition(orientation, upright, x, y);
            const QRgb pixel = reinterpret_cast<const QRgb *>(image.constScanLine(at.y))[at.x];
            const int alpha = qAlpha(pixel);
            std::uint8_t *rgb = out + 3 * static_cast<std::size_t>(x);
            rgb[0] = onWhite(qRed(pixel), alpha);
            rgb[1] = onWhite(qGreen(pixel), alpha);
            rgb[2] = onWhite(qBlue(pixel), alpha);
        }
        return static_cast<const std::uint8_t *>(out);
    });
}
