#include "HeifDecode.h"

#include <stdexcept>
#include <string>

namespace {

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

} // namespace

void CheckHeif(const heif_error &error) {
    if (error.code != heif_error_Ok) {
        throw std::runtime_error(std::string("HEIF: ") +
                                 (error.message != nullptr ? error.message : "error"));
    }
}

THeifContext NewHeifContext() {
    THeifContext context(Heif().heif_context_alloc());
    if (!context) {
        throw std::runtime_error("HEIF: out of memory");
    }
    return context;
}

THeifHandle PrimaryHeifHandle(heif_context *context) {
    heif_image_handle *found = nullptr;
    CheckHeif(Heif().heif_context_get_primary_image_handle(context, &found));
    return THeifHandle(found);
}

THeifImage DecodeHeif(heif_image_handle *handle) {
    struct OptionsFree {
        void operator()(heif_decoding_options *options) const { Heif().heif_decoding_options_free(options); }
    };
    const std::unique_ptr<heif_decoding_options, OptionsFree> options(Heif().heif_decoding_options_alloc());
    if (!options) {
        throw std::runtime_error("HEIF: out of memory");
    }
    heif_image *decoded = nullptr;
    CheckHeif(Heif().heif_decode_image(handle, &decoded, heif_colorspace_undefined, heif_chroma_undefined,
                                       options.get()));
    return THeifImage(decoded);
}

TPlanarImage HeifPlanes(const heif_image *image, int &height) {
    height = heightOf(image);
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

TYCbCrMatrix HeifMatrix(const heif_image *image, const heif_image_handle *handle) {
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
