#include "ImageKind.h"

#include "contract/JpegSignature.h"

namespace {

// HEIF files open with an ISO box "ftyp" whose major brand names the coding; still images from
// phones and cameras carry these.
bool isHeif(const QByteArray &head) {
    if (head.size() < 12 || head.mid(4, 4) != "ftyp") {
        return false;
    }
    static const char *const kBrands[] = {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1"};
    const QByteArray brand = head.mid(8, 4);
    for (const char *known : kBrands) {
        if (brand == known) {
            return true;
        }
    }
    return false;
}

} // namespace

ImageKind SniffImageKind(const QByteArray &head) {
    if (HasJpegSignature(head)) {
        return ImageKind::Jpeg;
    }
    if (isHeif(head)) {
        return ImageKind::Heif;
    }
    if (head.startsWith("\x89PNG\r\n\x1A\n")) {
        return ImageKind::Png;
    }
    if (head.size() >= 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WEBP") {
        return ImageKind::WebP;
    }
    if (head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4))) {
        return ImageKind::Tiff;
    }
    if (head.size() >= 14 && head.startsWith("BM")) {
        return ImageKind::Bmp;
    }
    return ImageKind::NotImage;
}

QString ImageKindName(ImageKind kind) {
    switch (kind) {
    case ImageKind::Jpeg:
        return QStringLiteral("JPEG");
    case ImageKind::Heif:
        return QStringLiteral("HEIC/HEIF");
    case ImageKind::Png:
        return QStringLiteral("PNG");
    case ImageKind::WebP:
        return QStringLiteral("WebP");
    case ImageKind::Tiff:
        return QStringLiteral("TIFF");
    case ImageKind::Bmp:
        return QStringLiteral("BMP");
    case ImageKind::NotImage:
        break;
    }
    return {};
}
