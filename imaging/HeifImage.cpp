#include "HeifImage.h"

#include "HeifFileSource.h"
#include "HeifLibrary.h"
#include "JpegReader.h"
#include "JpegWriter.h"
#include "PlanarRgb.h"


#include <memory>
#include <stdexcept>
#include <string>

namespace {

struct ContextFree {
    void operator()(heif_context *context) const { Heif().heif_context_free(context); }
};
struct HandleRelease {
    void operator()(heif_image_handle *handle) const { Heif().heif_image_handle_release(handle); }
};
struct ImageRelease {
    void operator()(heif_image *image) const { Heif().heif_image_release(image); }
};
struct OptionsFree {
    void operator()(heif_decoding_options *options) const { Heif().heif_decoding_options_free(options); }
};

void check(const heif_error &error) {
    if (error.code != heif_error_Ok) {
        throw std::runtime_error(std::string("HEIF: ") +
                                 (error.message != nullptr ? error.message : "error"));
    }
}

// The primary image of a file.
struct Primary {
    THeifFileSource source; // read by the context until it is freed
    std::unique_ptr<heif_context, ContextFree> context;
    std::unique_ptr<heif_image_handle, HandleRelease> handle;
    SizeRules::TSize size;

    explicit Primary(const QString &path) : source(path), context(Heif().heif_context_alloc()) {
        if (!context) {
            throw std::runtime_error("HEIF: out of memory");
        }
        check(source.ReadInto(context.get()));
        heif_image_handle *found = nullptr;
        check(Heif().heif_context_get_primary_image_handle(context.get(), &found));
        handle.reset(found);
        size = {Heif().heif_image_handle_get_width(found), Heif().heif_image_handle_get_height(found)};
        const std::int64_t pixels = static_cast<std::int64_t>(size.width) * size.height;
        if (size.width <= 0 || size.height <= 0) {
            throw std::runtime_error("HEIF: the image has no pixels");
        }
        if (pixels > kMaxImagePixels) {
            throw std::runtime_error("HEIF: the image has " + std::to_string(size.width) + "x" +
                                     std::to_string(size.height) +
                                     " pixels, more than the 300 megapixels accepted");
        }
    }
};

heif_channel firstChannel(const heif_image *image) {
    return Heif().heif_image_get_colorspace(image) == heif_colorspace_RGB ? heif_channel_R : heif_channel_Y;
}

int heightOf(const heif_image *image) {
    return Heif().heif_image_get_height(image, firstChannel(image));
}

// One plane of the decoded picture, checked to cover the whole picture at its subsampling.
TPlane planeOf(const heif_image *image, heif_channel channel, int shiftX, int shiftY) {
    TPlane plane;
    plane.bits = Heif().heif_image_get_bits_per_pixel_range(image, channel);
    plane.data = Heif().heif_image_get_plane_readonly(image, channel, &plane.stride);
    plane.shiftX = shiftX;
    plane.shiftY = shiftY;
    const int width = Heif().heif_image_get_width(image, firstChannel(image));
    const int height = heightOf(image);
    const int bytes = plane.bits > 8 ? 2 : 1;
    if (plane.data == nullptr || plane.bits < 1 || plane.bits > 16 || width <= 0 || height <= 0 ||
        Heif().heif_image_get_width(image, channel) < ((width + (1 << shiftX) - 1) >> shiftX) ||
        Heif().heif_image_get_height(image, channel) < ((height + (1 << shiftY) - 1) >> shiftY) ||
        plane.stride < Heif().heif_image_get_width(image, channel) * bytes) {
        throw std::runtime_error("HEIF: the decoder gave an incomplete picture");
    }
    return plane;
}

TPlanarImage planarOf(const heif_image *image) {
    TPlanarImage planar;
    planar.width = Heif().heif_image_get_width(image, firstChannel(image));
    const heif_chroma chroma = Heif().heif_image_get_chroma_format(image);
    switch (Heif().heif_image_get_colorspace(image)) {
    case heif_colorspace_monochrome:
        planar.kind = TPlanarKind::Monochrome;
        planar.planes[0] = planeOf(image, heif_channel_Y, 0, 0);
        return planar;
    case heif_colorspace_RGB:
        if (chroma == heif_chroma_444) {
            planar.kind = TPlanarKind::Rgb;
            planar.planes[0] = planeOf(image, heif_channel_R, 0, 0);
            planar.planes[1] = planeOf(image, heif_channel_G, 0, 0);
            planar.planes[2] = planeOf(image, heif_channel_B, 0, 0);
            return planar;
        }
        break;
    case heif_colorspace_YCbCr:
        if (chroma == heif_chroma_420 || chroma == heif_chroma_422 || chroma == heif_chroma_444) {
            const int shiftX = chroma == heif_chroma_444 ? 0 : 1;
            const int shiftY = chroma == heif_chroma_420 ? 1 : 0;
            planar.kind = TPlanarKind::YCbCr;
            planar.planes[0] = planeOf(image, heif_channel_Y, 0, 0);
            planar.planes[1] = planeOf(image, heif_channel_Cb, shiftX, shiftY);
            planar.planes[2] = planeOf(image, heif_channel_Cr, shiftX, shiftY);
            return planar;
        }
        break;
    default:
        break;
    }
    throw std::runtime_error("HEIF: the picture's colour format is not supported");
}

// The matrix and range the file declares for the picture, else the decoder library's own default.
TYCbCrMatrix matrixOf(const heif_image *image, const heif_image_handle *handle) {
    heif_color_profile_nclx *nclx = nullptr;
    if (Heif().heif_image_get_nclx_color_profile(image, &nclx).code != heif_error_Ok) {
        nclx = nullptr;
        if (Heif().heif_image_handle_get_nclx_color_profile(handle, &nclx).code != heif_error_Ok) {
            nclx = nullptr;
        }
    }
    if (nclx == nullptr) {
        return YCbCrMatrixFor(heif_matrix_coefficients_unspecified, true);
    }
    const TYCbCrMatrix matrix = YCbCrMatrixFor(nclx->matrix_coefficients, nclx->full_range_flag != 0);
    Heif().heif_nclx_color_profile_free(nclx);
    return matrix;
}

} // namespace

SizeRules::TSize HeifUprightSize(const QString &path) {
    return Primary(path).size;
}

QByteArray HeifToJpeg(const QString &path, int quality) {
    const Primary primary(path);
    const std::unique_ptr<heif_decoding_options, OptionsFree> options(Heif().heif_decoding_options_alloc());
    if (!options) {
        throw std::runtime_error("HEIF: out of memory");
    }
    // The picture in the form libheif keeps it, without a conversion asked for: libheif 1.15 turns
    // the codec's YCbCr into planar RGB at the codec's depth itself (before rotating), grey stays
    // grey, later versions may hand over the YCbCr. Asking for interleaved 8-bit RGB, as before,
    // made libheif hold one more full-size copy (two for 10-bit); asking for YCbCr makes it convert
    // back. Each JPEG row is made from these planes as it is written.
    heif_image *decoded = nullptr;
    check(Heif().heif_decode_image(primary.handle.get(), &decoded, heif_colorspace_undefined, heif_chroma_undefined,
                            options.get()));
    const std::unique_ptr<heif_image, ImageRelease> image(decoded);
    const TPlanarImage planar = planarOf(decoded);
    const TYCbCrMatrix matrix = matrixOf(decoded, primary.handle.get());
    const SizeRules::TSize size{planar.width, heightOf(decoded)};
    return EncodeJpegRows(size, quality, [&](int y, std::uint8_t *buffer) {
        PlanarRowToRgb(planar, matrix, y, buffer);
        return buffer;
    });
}
