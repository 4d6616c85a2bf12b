#pragma once
// Photos in the formats phones and cameras write, made at test time: HEIC through libheif's own
// encoder, the others through Qt's image writers. orientation (1 to 8, as in EXIF) is stored in the
// file where the format has one (HEIC, TIFF); image holds the pixels as stored.

#include <QImage>
#include <QImageWriter>
#include <QString>

#include <libheif/heif.h>

#include <cstring>

namespace photoformats {

inline bool writeHeic(const QString &path, const QImage &stored, int orientation) {
    const QImage rgb = stored.convertToFormat(QImage::Format_RGB888);
    heif_context *context = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    heif_image *image = nullptr;
    heif_encoding_options *options = heif_encoding_options_alloc();
    bool ok =
        heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code == heif_error_Ok &&
        heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image)
                .code == heif_error_Ok &&
        heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), 8).code ==
            heif_error_Ok;
    if (ok) {
        int stride = 0;
        std::uint8_t *plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
        for (int y = 0; y < rgb.height(); ++y) {
            std::memcpy(plane + y * stride, rgb.constScanLine(y), static_cast<std::size_t>(rgb.width()) * 3);
        }
        heif_encoder_set_lossy_quality(encoder, 90);
        options->image_orientation = static_cast<heif_orientation>(orientation);
        ok = heif_context_encode_image(context, image, encoder, options, nullptr).code == heif_error_Ok &&
             heif_context_write_to_file(context, path.toLocal8Bit().constData()).code == heif_error_Ok;
    }
    heif_encoding_options_free(options);
    if (image != nullptr) {
        heif_image_release(image);
    }
    if (encoder != nullptr) {
        heif_encoder_release(encoder);
    }
    heif_context_free(context);
    return ok;
}

// Qt's name of the transformation an EXIF orientation asks for.
inline QImageIOHandler::Transformations qtTransformation(int orientation) {
    static const QImageIOHandler::Transformations kByOrientation[] = {
        QImageIOHandler::TransformationNone,     QImageIOHandler::TransformationNone,
        QImageIOHandler::TransformationMirror,   QImageIOHandler::TransformationRotate180,
        QImageIOHandler::TransformationFlip,     QImageIOHandler::TransformationFlipAndRotate90,
        QImageIOHandler::TransformationRotate90, QImageIOHandler::TransformationMirrorAndRotate90,
        QImageIOHandler::TransformationRotate270};
    return kByOrientation[orientation >= 1 && orientation <= 8 ? orientation : 0];
}

// format: "heic", "png", "webp", "tiff" or "bmp".
inline bool writePhoto(const QString &path, const QImage &stored, const QByteArray &format,
                       int orientation = 1) {
    if (format == "heic") {
        return writeHeic(path, stored, orientation);
    }
    QImageWriter writer(path, format);
    writer.setTransformation(qtTransformation(orientation));
    return writer.write(stored);
}

} // namespace photoformats
