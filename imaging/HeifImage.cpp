#include "HeifImage.h"

#include "HeifDecode.h"
#include "HeifFileSource.h"
#include "HeifGrid.h"
#include "JpegReader.h"
#include "JpegWriter.h"

#include <stdexcept>
#include <string>

namespace {

// The primary image of a file.
struct Primary {
    THeifFileSource source; // read by the context until it is freed
    THeifContext context;
    THeifHandle handle;
    SizeRules::TSize size;

    explicit Primary(const QString &path) : source(path), context(NewHeifContext()) {
        CheckHeif(source.ReadInto(context.get()));
        handle = PrimaryHeifHandle(context.get());
        size = {Heif().heif_image_handle_get_width(handle.get()),
                Heif().heif_image_handle_get_height(handle.get())};
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

SizeRules::TSize HeifUprightSize(const QString &path) {
    return Primary(path).size;
}

QByteArray HeifToJpeg(const QString &path, int quality) {
    const Primary primary(path);
    if (std::optional<QByteArray> jpeg = HeifGridToJpeg(path, primary.size, quality)) {
        return *std::move(jpeg);
    }
    const THeifImage image = DecodeHeif(primary.handle.get());
    int height = 0;
    const TPlanarImage planar = HeifPlanes(image.get(), height);
    const TYCbCrMatrix matrix = HeifMatrix(image.get(), primary.handle.get());
    return EncodeJpegRows({planar.width, height}, quality, [&](int y, std::uint8_t *buffer) {
        PlanarRowToRgb(planar, matrix, y, buffer);
        return buffer;
    });
}
