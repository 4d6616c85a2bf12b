#include "HeifImage.h"

#include "HeifDecode.h"
#include "HeifFileSource.h"
#include "ImageFile.h"
#include "JpegReader.h"
#include "JpegWriter.h"
#include "heifgrid/HeifGrid.h"

#include <QFile>

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
                                     std::to_string(size.height) + " pixels, more than the " +
                                     std::to_string(kMaxImagePixels / 1'000'000) + " megapixels accepted");
        }
    }
};

// The plan for the file's grid, read from its boxes before libheif sees the file; a refusal throws.
THeifGridPlan checkedPlan(QFile &file) {
    THeifGridPlan plan = PlanHeifGrid(file);
    if (!plan.grid && !DecodedWhole(plan.fallback)) {
        throw std::runtime_error(HeifGridFallbackText(plan.fallback).toStdString());
    }
    return plan;
}

} // namespace

SizeRules::TSize HeifUprightSize(const QString &path) {
    QFile file(path);
    OpenImageFile(file);
    checkedPlan(file);
    return Primary(path).size;
}

QByteArray HeifToJpeg(const QString &path, int quality) {
    QFile file(path);
    OpenImageFile(file);
    const THeifGridPlan plan = checkedPlan(file);
    const Primary primary(path);
    if (plan.grid) {
        const THeifUpright &upright = plan.grid->upright;
        if (upright.width != primary.size.width || upright.height != primary.size.height) {
            throw std::runtime_error(HeifGridFallbackText(HeifGridFallback::SizeDisagrees).toStdString());
        }
        return HeifGridToJpeg(file, *plan.grid, quality);
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
