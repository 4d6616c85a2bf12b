#include "HeifGrid.h"

#include "HeifDecode.h"
#include "HeifWriter.h"
#include "JpegWriter.h"

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

// One tile as a HEIF file of its own: its coded picture and properties, with the grid's colour
// profile when it has none.
QByteArray tileFile(QFile &file, const THeifGrid &grid, const THeifItem &tile) {
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
template <typename RowSink> void decodeTile(const QByteArray &tile, const THeifGrid &grid, RowSink &&row) {
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
    explicit TBand(const THeifGrid &grid) : grid_(grid) {}

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

    // Decodes the band's tiles side by side, each writing its own part of the band. A tile's bytes
    // are read when its decoding starts and dropped when it ends, so tiles that share their bytes
    // are never held more than once each; the band itself is made once a tile has decoded.
    void decode(QFile &file, int band) {
        const bool alongRows = this->alongRows();
        const int lines =
            std::min(thickness(), (alongRows ? grid_.height : grid_.width) - band * thickness());
        band_ = -1;
        struct Tile {
            int left;
            int top;
            const THeifItem *item;
        };
        std::vector<Tile> tiles;
        for (int i = 0; i < (alongRows ? grid_.columns : grid_.rows); ++i) {
            const int row = alongRows ? band : i;
            const int column = alongRows ? i : band;
            const int left = column * grid_.tileWidth;
            const int top = row * grid_.tileHeight;
            if (left < grid_.width && top < grid_.height) { // else wholly outside the picture
                tiles.push_back(
                    {left, top,
                     grid_.meta.Item(
                         grid_.tiles[std::size_t(row) * std::size_t(grid_.columns) + std::size_t(column)])});
            }
        }
        std::mutex fileLock;
        std::once_flag made;
        inParallel(tiles.size(), [&](std::size_t i) {
            const Tile &tile = tiles[i];
            QByteArray bytes;
            {
                const std::lock_guard<std::mutex> lock(fileLock);
                bytes = tileFile(file, grid_, *tile.item);
            }
            const int used = std::min(grid_.tileWidth, grid_.width - tile.left); // pixels of a tile row kept
            decodeTile(bytes, grid_, [&](int y, const std::uint8_t *rgb) {
                std::call_once(made, [&] { pixels_.assign(std::size_t(lines) * length() * 3, 0); });
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

    const THeifGrid &grid_;
    std::vector<std::uint8_t> pixels_;
    int band_ = -1;
};

} // namespace

QByteArray HeifGridToJpeg(QFile &file, const THeifGrid &grid, int quality) {
    const THeifUpright &to = grid.upright;
    TBand band(grid);
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
