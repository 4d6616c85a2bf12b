#include "HeifGrid.h"

#include "HeifBoxes.h"
#include "HeifDecode.h"
#include "HeifWriter.h"
#include "ImageFile.h"
#include "JpegWriter.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Where each pixel of the upright picture lies in the stored grid: pixel (u, v) of the upright
// picture is stored pixel origin + u * along + v * down. Rotations and mirrorings are applied in the
// order the file lists them, each to the picture the ones before made.
struct TUpright {
    int originX = 0;
    int originY = 0;
    int alongX = 1;
    int alongY = 0;
    int downX = 0;
    int downY = 1;
    int width = 0;
    int height = 0;

    void RotateLeft() { // a quarter turn anticlockwise: the right column becomes the top row
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
    void MirrorLeftRight() {
        originX += (width - 1) * alongX;
        originY += (width - 1) * alongY;
        alongX = -alongX;
        alongY = -alongY;
    }
    void MirrorUpDown() {
        originX += (height - 1) * downX;
        originY += (height - 1) * downY;
        downX = -downX;
        downY = -downY;
    }
    // Rows of the upright picture run along rows of the stored one (else along its columns).
    bool AlongRows() const { return alongX != 0; }
};

struct TGrid {
    THeifMeta meta;
    std::uint32_t brand = 0;
    int rows = 0;
    int columns = 0;
    int tileWidth = 0;
    int tileHeight = 0;
    int width = 0; // of the stored picture
    int height = 0;
    std::vector<std::uint32_t> tiles; // row by row
    QByteArray colour;                // the grid's colour profile box, for tiles without their own
    TUpright upright;
};

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

// The grid of the file's primary picture as this reads it; nullopt for anything else.
std::optional<TGrid> gridOf(QFile &file, SizeRules::TSize upright) {
    TGrid grid;
    grid.meta = ReadHeifMeta(file);
    const THeifMeta &meta = grid.meta;
    const THeifItem &primary = *meta.Item(meta.primary);
    if (primary.type != FourCc("grid")) {
        return std::nullopt;
    }
    const QByteArray layout = ReadHeifItemData(file, meta, primary);
    if (layout.size() < 8 || layout[0] != 0) {
        return std::nullopt;
    }
    grid.rows = std::uint8_t(layout[2]) + 1;
    grid.columns = std::uint8_t(layout[3]) + 1;
    const bool wide = (layout[1] & 1) != 0;
    if (wide && layout.size() < 12) {
        return std::nullopt;
    }
    grid.width = int(wide ? qFromBigEndian<std::uint32_t>(layout.constData() + 4) & 0x7FFFFFFF
                          : qFromBigEndian<std::uint16_t>(layout.constData() + 4));
    grid.height = int(wide ? qFromBigEndian<std::uint32_t>(layout.constData() + 8) & 0x7FFFFFFF
                           : qFromBigEndian<std::uint16_t>(layout.constData() + 6));

    const auto tiles = primary.references.find(FourCc("dimg"));
    if (tiles == primary.references.end() ||
        tiles->second.size() != std::size_t(grid.rows) * std::size_t(grid.columns)) {
        return std::nullopt;
    }
    grid.tiles = tiles->second;
    const THeifItem *first = meta.Item(grid.tiles.front());
    const std::optional<SizeRules::TSize> tileSize = first ? spatialExtent(meta, *first) : std::nullopt;
    if (!tileSize || (first->type != FourCc("hvc1") && first->type != FourCc("av01"))) {
        return std::nullopt;
    }
    grid.brand = first->type == FourCc("hvc1") ? FourCc("heic") : FourCc("avif");
    grid.tileWidth = tileSize->width;
    grid.tileHeight = tileSize->height;
    for (const std::uint32_t id : grid.tiles) {
        const THeifItem *tile = meta.Item(id);
        if (tile == nullptr || tile->type != first->type || tile->extents.empty() ||
            spatialExtent(meta, *tile) != tileSize) {
            return std::nullopt;
        }
    }
    // The tiles cover the picture, and the grid's sides stay far from int's range (pixel positions
    // are ints).
    constexpr std::int64_t kMaxSide = 1 << 24;
    const std::int64_t across = std::int64_t(grid.tileWidth) * grid.columns;
    const std::int64_t down = std::int64_t(grid.tileHeight) * grid.rows;
    if (grid.width <= 0 || grid.height <= 0 || grid.tileWidth <= 0 || grid.tileHeight <= 0 ||
        across < grid.width || down < grid.height || across > kMaxSide || down > kMaxSide) {
        return std::nullopt;
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
            return std::nullopt; // cropped or scaled: left to libheif
        }
    }
    if (grid.upright.width != upright.width || grid.upright.height != upright.height) {
        return std::nullopt;
    }
    return grid;
}

// One tile as a HEIF file of its own: its coded picture and properties, with the grid's colour
// profile when it has none.
QByteArray tileFile(QFile &file, const TGrid &grid, const THeifItem &tile) {
    THeifItemOut out;
    out.type = tile.type;
    out.data = ReadHeifItemData(file, grid.meta, tile);
    bool hasColour = false;
    for (const std::uint16_t index : tile.properties) {
        const THeifProperty &property = grid.meta.properties[index];
        if (property.type == FourCc("irot") || property.type == FourCc("imir") ||
            property.type == FourCc("clap")) {
            continue;
        }
        hasColour = hasColour || property.type == FourCc("colr");
        out.properties.push_back(property.box);
    }
    if (!hasColour && !grid.colour.isEmpty()) {
        out.properties.push_back(grid.colour);
    }
    return WriteHeifFile(grid.brand, {out});
}

// Decodes a tile handed over as a file of its own (see tileFile) and calls row(y, rgb) for each of
// its rows, 8-bit RGB, tileWidth pixels.
template <typename RowSink> void decodeTile(const QByteArray &tile, const TGrid &grid, RowSink &&row) {
    const THeifContext context = NewHeifContext();
    CheckHeif(Heif().heif_context_read_from_memory_without_copy(context.get(), tile.constData(),
                                                                std::size_t(tile.size()), nullptr));
    const THeifHandle handle = PrimaryHeifHandle(context.get());
    const THeifImage image = DecodeHeif(handle.get());
    int height = 0;
    const TPlanarImage planar = HeifPlanes(image.get(), height);
    if (planar.width != grid.tileWidth || height != grid.tileHeight) {
        throw std::runtime_error("HEIF: a tile of the grid decodes to another size than the file declares");
    }
    const TYCbCrMatrix matrix = HeifMatrix(image.get(), handle.get());
    std::vector<std::uint8_t> rgb(std::size_t(grid.tileWidth) * 3);
    for (int y = 0; y < height; ++y) {
        PlanarRowToRgb(planar, matrix, y, rgb.data());
        row(y, rgb.data());
    }
}

// Runs job(i) for i from 0 to count - 1 on this thread and up to kMaxWorkers - 1 more; the first
// exception a job throws is thrown here once all are done.
template <typename Job> void inParallel(std::size_t count, const Job &job) {
    constexpr unsigned kMaxWorkers = 4;
    std::atomic<std::size_t> next{0};
    std::mutex failureLock;
    std::exception_ptr failure;
    const auto work = [&] {
        for (std::size_t i = next++; i < count; i = next++) {
            try {
                job(i);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(failureLock);
                failure = failure ? failure : std::current_exception();
            }
        }
    };
    {
        const std::size_t helpers =
            std::min<std::size_t>({count, std::max(1U, std::thread::hardware_concurrency()), kMaxWorkers}) -
            1;
        std::vector<std::jthread> threads;
        for (std::size_t i = 0; i < helpers; ++i) {
            threads.emplace_back(work);
        }
        work();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

// The stored rows (or columns) of one row (or column) of tiles, as lines of 8-bit RGB pixels.
class TBand {
public:
    explicit TBand(const TGrid &grid) : grid_(grid) {}

    // Line `line` of the stored picture: a row when the upright rows run along rows, else a column.
    const std::uint8_t *Line(QFile &file, int line) {
        const int band = line / thickness();
        if (band != band_) {
            decode(file, band);
        }
        return pixels_.data() + std::size_t(line - band * thickness()) * length() * 3;
    }

private:
    bool alongRows() const { return grid_.upright.AlongRows(); }
    // Lines in a full band, and pixels in a line.
    int thickness() const { return alongRows() ? grid_.tileHeight : grid_.tileWidth; }
    std::size_t length() const { return std::size_t(alongRows() ? grid_.width : grid_.height); }

    // Reads the band's tiles from the file here, then decodes them side by side: each writes its own
    // part of the band.
    void decode(QFile &file, int band) {
        const bool alongRows = this->alongRows();
        const int lines =
            std::min(thickness(), (alongRows ? grid_.height : grid_.width) - band * thickness());
        band_ = -1;
        pixels_.assign(std::size_t(lines) * length() * 3, 0);
        struct Tile {
            int left;
            int top;
            QByteArray file;
        };
        std::vector<Tile> tiles;
        for (int i = 0; i < (alongRows ? grid_.columns : grid_.rows); ++i) {
            const int row = alongRows ? band : i;
            const int column = alongRows ? i : band;
            const int left = column * grid_.tileWidth;
            const int top = row * grid_.tileHeight;
            if (left < grid_.width && top < grid_.height) { // else wholly outside the picture
                const THeifItem &item = *grid_.meta.Item(
                    grid_.tiles[std::size_t(row) * std::size_t(grid_.columns) + std::size_t(column)]);
                tiles.push_back({left, top, tileFile(file, grid_, item)});
            }
        }
        inParallel(tiles.size(), [&](std::size_t i) {
            const Tile &tile = tiles[i];
            const int used = std::min(grid_.tileWidth, grid_.width - tile.left); // pixels of a tile row kept
            decodeTile(tile.file, grid_, [&](int y, const std::uint8_t *rgb) {
                const int top = tile.top + y;
                if (top >= grid_.height) {
                    return;
                }
                if (alongRows) {
                    std::memcpy(pixels_.data() + (std::size_t(y) * length() + std::size_t(tile.left)) * 3,
                                rgb, std::size_t(used) * 3);
                    return;
                }
                for (int x = 0; x < used; ++x) {
                    std::memcpy(pixels_.data() + (std::size_t(x) * length() + std::size_t(top)) * 3,
                                rgb + std::size_t(x) * 3, 3);
                }
            });
        });
        band_ = band;
    }

    const TGrid &grid_;
    std::vector<std::uint8_t> pixels_;
    int band_ = -1;
};

} // namespace

std::optional<QByteArray> HeifGridToJpeg(const QString &path, SizeRules::TSize upright, int quality) {
    QFile file(path);
    OpenImageFile(file);
    std::optional<TGrid> grid;
    try {
        grid = gridOf(file, upright);
    } catch (const std::runtime_error &) {
        grid.reset(); // boxes read differently from libheif, which read them already: its decoding decides
    }
    if (!grid) {
        return std::nullopt;
    }
    const TUpright &to = grid->upright;
    TBand band(*grid);
    return EncodeJpegRows(
        {to.width, to.height}, quality, [&](int v, std::uint8_t *buffer) -> const std::uint8_t * {
            const int x = to.originX + v * to.downX;
            const int y = to.originY + v * to.downY;
            const std::uint8_t *line = band.Line(file, to.AlongRows() ? y : x);
            const int start = to.AlongRows() ? x : y;
            const int step = to.AlongRows() ? to.alongX : to.alongY;
            if (step > 0 && start == 0) {
                return line;
            }
            for (int u = 0; u < to.width; ++u) {
                std::memcpy(buffer + std::size_t(u) * 3, line + std::size_t(start + u * step) * 3, 3);
            }
            return buffer;
        });
}
