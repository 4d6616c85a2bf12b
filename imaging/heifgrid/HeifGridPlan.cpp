#include "HeifGridPlan.h"

#include "JpegReader.h"

#include <QtEndian>

#include <utility>

void THeifUpright::RotateLeft() {
    originX += (width - 1) * alongX;
    originY += (width - 1) * alongY;
    const int x = alongX;
    const int y = alongY;
    alongX = downX;
    alongY = downY;
    downX = -x;
    downY = -y;
    std::swap(width, height);
}

void THeifUpright::MirrorLeftRight() {
    originX += (width - 1) * alongX;
    originY += (width - 1) * alongY;
    alongX = -alongX;
    alongY = -alongY;
}

void THeifUpright::MirrorUpDown() {
    originX += (height - 1) * downX;
    originY += (height - 1) * downY;
    downX = -downX;
    downY = -downY;
}

bool DecodedWhole(HeifGridFallback reason) {
    return reason == HeifGridFallback::NotAGrid || reason == HeifGridFallback::CroppedOrScaled;
}

QString HeifGridFallbackText(HeifGridFallback reason) {
    switch (reason) {
    case HeifGridFallback::NotAGrid:
        return QStringLiteral("HEIF: the picture is no grid of tiles");
    case HeifGridFallback::CroppedOrScaled:
        return QStringLiteral("HEIF: the grid is cropped or scaled");
    case HeifGridFallback::LayoutDamaged:
        return QStringLiteral("HEIF: the grid's layout is damaged");
    case HeifGridFallback::TileCountWrong:
        return QStringLiteral("HEIF: the grid has another number of tiles than rows times columns");
    case HeifGridFallback::TileWithoutSize:
        return QStringLiteral("HEIF: a tile of the grid declares no size");
    case HeifGridFallback::TileCodecUnknown:
        return QStringLiteral("HEIF: the grid's tiles are coded neither as HEVC nor as AV1");
    case HeifGridFallback::TilesDiffer:
        return QStringLiteral("HEIF: the grid's tiles are missing or differ from one another");
    case HeifGridFallback::TilesDoNotFit:
        return QStringLiteral("HEIF: the grid's tiles do not fit the picture");
    case HeifGridFallback::TooLarge:
        return QStringLiteral("HEIF: the picture declares more than the %1 megapixels accepted")
            .arg(kMaxImagePixels / 1'000'000);
    case HeifGridFallback::SizeDisagrees:
        return QStringLiteral("HEIF: the grid's size disagrees with the picture's");
    }
    return QStringLiteral("HEIF: the grid cannot be read");
}

namespace {

std::optional<SizeRules::TSize> spatialExtent(const THeifMeta &meta, const THeifItem &item) {
    const THeifProperty *extent = meta.PropertyOf(item, FourCc("ispe"));
    if (extent == nullptr || extent->payload.size() < 12) {
        return std::nullopt;
    }
    const auto field = [&](int at) {
        return int(qFromBigEndian<std::uint32_t>(extent->payload.constData() + at) & 0x7FFFFFFF);
    };
    return SizeRules::TSize{field(4), field(8)};
}

bool tooLarge(std::int64_t width, std::int64_t height) {
    return width * height > kMaxImagePixels;
}

// The grid's layout, tiles and their common size into grid; the reason when they cannot be read.
std::optional<HeifGridFallback> layOut(QFile &file, const THeifItem &primary, THeifGrid &grid) {
    const THeifMeta &meta = grid.meta;
    const QByteArray layout = primary.extents.empty() ? QByteArray() : ReadHeifItemData(file, meta, primary);
    if (layout.size() < 8 || layout[0] != 0) {
        return HeifGridFallback::LayoutDamaged;
    }
    grid.rows = std::uint8_t(layout[2]) + 1;
    grid.columns = std::uint8_t(layout[3]) + 1;
    const bool wide = (layout[1] & 1) != 0;
    if (wide && layout.size() < 12) {
        return HeifGridFallback::LayoutDamaged;
    }
    grid.width = int(wide ? qFromBigEndian<std::uint32_t>(layout.constData() + 4) & 0x7FFFFFFF
                          : qFromBigEndian<std::uint16_t>(layout.constData() + 4));
    grid.height = int(wide ? qFromBigEndian<std::uint32_t>(layout.constData() + 8) & 0x7FFFFFFF
                           : qFromBigEndian<std::uint16_t>(layout.constData() + 6));
    if (grid.width <= 0 || grid.height <= 0) {
        return HeifGridFallback::LayoutDamaged;
    }
    if (tooLarge(grid.width, grid.height)) {
        return HeifGridFallback::TooLarge;
    }
    const auto tiles = primary.references.find(FourCc("dimg"));
    if (tiles == primary.references.end() ||
        tiles->second.size() != std::size_t(grid.rows) * std::size_t(grid.columns)) {
        return HeifGridFallback::TileCountWrong;
    }
    grid.tiles = tiles->second;
    const THeifItem *first = meta.Item(grid.tiles.front());
    if (first == nullptr) {
        return HeifGridFallback::TilesDiffer;
    }
    const std::optional<SizeRules::TSize> tileSize = spatialExtent(meta, *first);
    if (!tileSize || tileSize->width <= 0 || tileSize->height <= 0) {
        return HeifGridFallback::TileWithoutSize;
    }
    if (first->type != FourCc("hvc1") && first->type != FourCc("av01")) {
        return HeifGridFallback::TileCodecUnknown;
    }
    grid.brand = first->type == FourCc("hvc1") ? FourCc("heic") : FourCc("avif");
    grid.tileWidth = tileSize->width;
    grid.tileHeight = tileSize->height;
    for (const std::uint32_t id : grid.tiles) {
        const THeifItem *tile = meta.Item(id);
        if (tile == nullptr || tile->type != first->type || tile->extents.empty()) {
            return HeifGridFallback::TilesDiffer;
        }
        const std::optional<SizeRules::TSize> size = spatialExtent(meta, *tile);
        if (!size) {
            return HeifGridFallback::TileWithoutSize;
        }
        if (size != tileSize) {
            return HeifGridFallback::TilesDiffer;
        }
    }
    // The tiles cover the picture and reach less than a tile past it, so that the pixels decoded
    // are those declared, give or take a tile's edge.
    const std::int64_t across = std::int64_t(grid.tileWidth) * grid.columns;
    const std::int64_t down = std::int64_t(grid.tileHeight) * grid.rows;
    if (across < grid.width || down < grid.height || across - grid.width >= grid.tileWidth ||
        down - grid.height >= grid.tileHeight) {
        return HeifGridFallback::TilesDoNotFit;
    }
    return std::nullopt;
}

} // namespace

THeifGridPlan PlanHeifGrid(QFile &file) {
    THeifGridPlan plan;
    THeifGrid grid;
    grid.meta = ReadHeifMeta(file);
    const THeifMeta &meta = grid.meta;
    const THeifItem &primary = *meta.Item(meta.primary);
    if (primary.type != FourCc("grid")) {
        // A single coded picture: libheif decodes it whole at the size it declares.
        const std::optional<SizeRules::TSize> size = spatialExtent(meta, primary);
        plan.fallback = size && tooLarge(size->width, size->height) ? HeifGridFallback::TooLarge
                                                                    : HeifGridFallback::NotAGrid;
        return plan;
    }
    if (const std::optional<HeifGridFallback> fault = layOut(file, primary, grid)) {
        plan.fallback = *fault;
        return plan;
    }
    if (const THeifProperty *colour = meta.PropertyOf(primary, FourCc("colr"))) {
        grid.colour = colour->box;
    }
    grid.upright.width = grid.width;
    grid.upright.height = grid.height;
    for (const std::uint16_t index : primary.properties) {
        const THeifProperty &property = meta.properties[index];
        if (property.type == FourCc("irot") && !property.payload.isEmpty()) {
            for (int turn = 0; turn < (property.payload[0] & 3); ++turn) {
                grid.upright.RotateLeft();
            }
        } else if (property.type == FourCc("imir") && !property.payload.isEmpty()) {
            if ((property.payload[0] & 1) != 0) {
                grid.upright.MirrorLeftRight();
            } else {
                grid.upright.MirrorUpDown();
            }
        } else if (property.type == FourCc("clap") || property.type == FourCc("iscl")) {
            plan.fallback = HeifGridFallback::CroppedOrScaled; // a grid of a checked size, left to libheif
            return plan;
        }
    }
    plan.grid = std::move(grid);
    return plan;
}
