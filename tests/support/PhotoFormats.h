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

// How a test HEIC is coded: sample depth (8 or 10), YCbCr range, chroma subsampling ("420", "422",
// "444"; "mono" codes the grey of the image without colour) and H.273 matrix coefficients, all
// declared in the file's colour profile.
struct HeicCoding {
    int bits = 8;
    bool fullRange = true;
    const char *chroma = "420";
    int matrix = 6;
};

inline bool writeHeic(const QString &path, const QImage &stored, int orientation,
                      const HeicCoding &coding = {}) {
    const bool mono = std::strcmp(coding.chroma, "mono") == 0;
    const QImage rgb = stored.convertToFormat(mono ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    const int channels = mono ? 1 : 3;
    const bool deep = coding.bits > 8;
    heif_context *context = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    heif_image *image = nullptr;
    const heif_channel channel = mono ? heif_channel_Y : heif_channel_interleaved;
    heif_encoding_options *options = heif_encoding_options_alloc();
    heif_color_profile_nclx *nclx = heif_nclx_color_profile_alloc();
    bool ok =
        heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code == heif_error_Ok &&
        heif_image_create(rgb.width(), rgb.height(), mono ? heif_colorspace_monochrome : heif_colorspace_RGB,
                          mono   ? heif_chroma_monochrome
                          : deep ? heif_chroma_interleaved_RRGGBB_LE
                                 : heif_chroma_interleaved_RGB,
                          &image)
                .code == heif_error_Ok &&
        heif_image_add_plane(image, channel, rgb.width(), rgb.height(), coding.bits).code == heif_error_Ok;
    if (ok) {
        int stride = 0;
        std::uint8_t *plane = heif_image_get_plane(image, channel, &stride);
        for (int y = 0; y < rgb.height(); ++y) {
            const uchar *from = rgb.constScanLine(y);
            std::uint8_t *to = plane + y * stride;
            for (int i = 0; i < rgb.width() * channels; ++i) {
                if (deep) { // 8-bit v as 10-bit v * 4 + v / 64: 255 reaches 1023
                    const std::uint16_t v = static_cast<std::uint16_t>(from[i] * 4 + from[i] / 64);
                    std::memcpy(to + 2 * i, &v, 2);
                } else {
                    to[i] = from[i];
                }
            }
        }
        heif_encoder_set_lossy_quality(encoder, 90);
        if (!mono) {
            heif_encoder_set_parameter(encoder, "chroma", coding.chroma);
        }
        heif_nclx_color_profile_set_matrix_coefficients(nclx, static_cast<std::uint16_t>(coding.matrix));
        nclx->full_range_flag = coding.fullRange ? 1 : 0;
        options->output_nclx_profile = nclx;
        options->image_orientation = static_cast<heif_orientation>(orientation);
        ok = heif_context_encode_image(context, image, encoder, options, nullptr).code == heif_error_Ok &&
             heif_context_write_to_file(context, path.toLocal8Bit().constData()).code == heif_error_Ok;
    }
    heif_nclx_color_profile_free(nclx);
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
