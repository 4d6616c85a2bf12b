#include "HeifImage.h"

#include "JpegReader.h"
#include "JpegWriter.h"

#include <libheif/heif.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace {

struct ContextFree {
    void operator()(heif_context *context) const { heif_context_free(context); }
};
struct HandleRelease {
    void operator()(heif_image_handle *handle) const { heif_image_handle_release(handle); }
};
struct ImageRelease {
    void operator()(heif_image *image) const { heif_image_release(image); }
};
struct OptionsFree {
    void operator()(heif_decoding_options *options) const { heif_decoding_options_free(options); }
};

void check(const heif_error &error) {
    if (error.code != heif_error_Ok) {
        throw std::runtime_error(std::string("HEIF: ") +
                                 (error.message != nullptr ? error.message : "error"));
    }
}

// The primary image of bytes, which must outlive it (libheif reads them in place).
struct Primary {
    std::unique_ptr<heif_context, ContextFree> context;
    std::unique_ptr<heif_image_handle, HandleRelease> handle;
    SizeRules::TSize size;

    explicit Primary(const QByteArray &bytes) : context(heif_context_alloc()) {
        if (!context) {
            throw std::runtime_error("HEIF: out of memory");
        }
        check(heif_context_read_from_memory_without_copy(context.get(), bytes.constData(),
                                                         static_cast<std::size_t>(bytes.size()), nullptr));
        heif_image_handle *found = nullptr;
        check(heif_context_get_primary_image_handle(context.get(), &found));
        handle.reset(found);
        size = {heif_image_handle_get_width(found), heif_image_handle_get_height(found)};
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

} // namespace

SizeRules::TSize HeifUprightSize(const QByteArray &bytes) {
    return Primary(bytes).size;
}

QByteArray HeifToJpeg(const QByteArray &bytes, int quality) {
    const Primary primary(bytes);
    const std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
    if (!options) {
        throw std::runtime_error("HEIF: out of memory");
    }
    options->convert_hdr_to_8bit = 1; // 10-bit photos come out as 8-bit RGB, as JPEG holds them
    heif_image *decoded = nullptr;
    check(heif_decode_image(primary.handle.get(), &decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGB,
                            options.get()));
    const std::unique_ptr<heif_image, ImageRelease> image(decoded);
    const SizeRules::TSize size{heif_image_get_width(decoded, heif_channel_interleaved),
                                heif_image_get_height(decoded, heif_channel_interleaved)};
    int stride = 0;
    const std::uint8_t *plane = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    if (plane == nullptr || size.width <= 0 || size.height <= 0 || stride < size.width * 3 ||
        heif_image_get_bits_per_pixel_range(decoded, heif_channel_interleaved) != 8) {
        throw std::runtime_error("HEIF: the decoder gave no 8-bit RGB image");
    }
    return EncodeJpegRows(size, quality, [&](int y, std::uint8_t *) {
        return plane + static_cast<std::size_t>(stride) * static_cast<std::size_t>(y);
    });
}
