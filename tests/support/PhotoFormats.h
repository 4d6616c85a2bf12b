#pragma once
// Photos in the formats phones and cameras write, made at test time: HEIC through libheif's own
// encoder (whole, or as a grid of tiles), the others through Qt's image writers. orientation (1 to
// 8, as in EXIF) is stored in the file where the format has one (HEIC, TIFF); image holds the pixels
// as stored.

#include <QImage>
#include <QImageWriter>
#include <QString>

#include "core/WholeFile.h"
#include "imaging/heifgrid/HeifBoxes.h"
#include "imaging/heifgrid/HeifWriter.h"

#include <QFile>
#include <QSize>
#include <QtEndian>

#include <libheif/heif.h>

#include <cstring>
#include <vector>

namespace photoformats {

// How a test HEIC is coded: sample depth (8 or 10), YCbCr range, chroma subsampling ("420", "422",
// "444"; "mono" codes the grey of the image without colour) and H.273 matrix coefficients, all
// declared in the file's colour profile.
struct HeicCoding {
    int bits = 8;
    bool fullRange = true;
    const char *chroma = "420";
    int matrix = 6;
    const char *preset = nullptr; // the encoder's speed, when not its default
    bool av1 = false;             // AV1 (as AVIF files) instead of HEVC
};

// Codes stored as one more picture of context, with orientation stored as the file's rotation and
// mirroring.
inline bool encodeHeic(heif_context *context, const QImage &stored, int orientation,
                       const HeicCoding &coding) {
    const bool mono = std::strcmp(coding.chroma, "mono") == 0;
    const QImage rgb = stored.convertToFormat(mono ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    const int channels = mono ? 1 : 3;
    const bool deep = coding.bits > 8;
    heif_encoder *encoder = nullptr;
    heif_image *image = nullptr;
    const heif_channel channel = mono ? heif_channel_Y : heif_channel_interleaved;
    heif_encoding_options *options = heif_encoding_options_alloc();
    heif_color_profile_nclx *nclx = heif_nclx_color_profile_alloc();
    bool ok =
        heif_context_get_encoder_for_format(
            context, coding.av1 ? heif_compression_AV1 : heif_compression_HEVC, &encoder)
                .code == heif_error_Ok &&
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
        if (coding.preset != nullptr) {
            heif_encoder_set_parameter(encoder, "preset", coding.preset);
        }
        if (!mono) {
            heif_encoder_set_parameter(encoder, "chroma", coding.chroma);
        }
        heif_nclx_color_profile_set_matrix_coefficients(nclx, static_cast<std::uint16_t>(coding.matrix));
        nclx->full_range_flag = coding.fullRange ? 1 : 0;
        options->output_nclx_profile = nclx;
        options->image_orientation = static_cast<heif_orientation>(orientation);
        ok = heif_context_encode_image(context, image, encoder, options, nullptr).code == heif_error_Ok;
    }
    heif_nclx_color_profile_free(nclx);
    heif_encoding_options_free(options);
    if (image != nullptr) {
        heif_image_release(image);
    }
    if (encoder != nullptr) {
        heif_encoder_release(encoder);
    }
    return ok;
}

inline bool writeHeic(const QString &path, const QImage &stored, int orientation,
                      const HeicCoding &coding = {}) {
    heif_context *context = heif_context_alloc();
    const bool ok = encodeHeic(context, stored, orientation, coding) &&
                    heif_context_write_to_file(context, path.toLocal8Bit().constData()).code == heif_error_Ok;
    heif_context_free(context);
    return ok;
}

// A one-byte property box of a picture ("irot": quarter turns anticlockwise; "imir": mirror axis).
inline QByteArray transformBox(const char *type, int value) {
    return QByteArray::fromHex("00000009") + QByteArray(type, 4) + QByteArray(1, char(value));
}

// stored as a grid of tile x tile pictures, as phones write large photos: each tile is coded by
// libheif as a picture of its own, then the tiles are put in a grid with the given rotation and
// mirroring boxes (applied in that order). Tiles past the right and bottom edges are padded with
// black, which the grid's size cuts off. Tile sides of 64 or more: the encoder pads smaller pictures.
inline bool writeHeicGrid(const QString &path, const QImage &stored, QSize tile,
                          const std::vector<QByteArray> &transforms = {}, const HeicCoding &coding = {}) {
    const int columns = (stored.width() + tile.width() - 1) / tile.width();
    const int rows = (stored.height() + tile.height() - 1) / tile.height();
    const QString tilesPath = path + QStringLiteral(".tiles");
    heif_context *context = heif_context_alloc();
    bool ok = true;
    for (int i = 0; ok && i < rows * columns; ++i) {
        ok = encodeHeic(context,
                        stored.copy((i % columns) * tile.width(), (i / columns) * tile.height(), tile.width(),
                                    tile.height()),
                        1, coding);
    }
    ok = ok && heif_context_write_to_file(context, tilesPath.toLocal8Bit().constData()).code == heif_error_Ok;
    heif_context_free(context);
    QFile tiles(tilesPath);
    if (!ok || !tiles.open(QIODevice::ReadOnly)) {
        return false;
    }
    const THeifMeta meta = ReadHeifMeta(tiles);
    THeifItemOut grid{FourCc("grid"), {}, QByteArray(8, '\0'), {}};
    grid.data[2] = char(rows - 1);
    grid.data[3] = char(columns - 1);
    qToBigEndian<std::uint16_t>(std::uint16_t(stored.width()), grid.data.data() + 4);
    qToBigEndian<std::uint16_t>(std::uint16_t(stored.height()), grid.data.data() + 6);
    QByteArray extent(20, '\0');
    qToBigEndian<std::uint32_t>(20, extent.data());
    std::memcpy(extent.data() + 4, "ispe", 4);
    qToBigEndian<std::uint32_t>(std::uint32_t(stored.width()), extent.data() + 12);
    qToBigEndian<std::uint32_t>(std::uint32_t(stored.height()), extent.data() + 16);
    grid.properties.push_back(extent);
    grid.properties.insert(grid.properties.end(), transforms.begin(), transforms.end());
    std::vector<THeifItemOut> items{grid};
    for (const auto &[id, item] : meta.items) { // libheif numbers the pictures in the order coded
        if (item.type != FourCc("hvc1") && item.type != FourCc("av01")) {
            continue;
        }
        THeifItemOut out{item.type, {}, ReadHeifItemData(tiles, meta, item), {}, true};
        for (const std::uint16_t index : item.properties) {
            out.properties.push_back(meta.properties[index].box);
        }
        items.front().tiles.push_back(std::uint16_t(items.size() + 1));
        items.push_back(out);
    }
    tiles.remove();
    WriteWholeFile(path, WriteHeifFile(coding.av1 ? FourCc("avif") : FourCc("heic"), items),
                   WholeFileSync::Unsynced);
    return true;
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

// format: "heic", "heic-grid" (tiles of 64 x 64), "png", "webp", "tiff" or "bmp".
inline bool writePhoto(const QString &path, const QImage &stored, const QByteArray &format,
                       int orientation = 1) {
    if (format == "heic") {
        return writeHeic(path, stored, orientation);
    }
    if (format == "heic-grid") { // turns only: 1, 3, 6 or 8
        const int turns = orientation == 8 ? 1 : orientation == 3 ? 2 : orientation == 6 ? 3 : 0;
        return writeHeicGrid(path, stored, QSize(64, 64), {transformBox("irot", turns)});
    }
    QImageWriter writer(path, format);
    writer.setTransformation(qtTransformation(orientation));
    return writer.write(stored);
}

} // namespace photoformats
