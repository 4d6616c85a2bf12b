#pragma once
// What the grid reader makes of a HEIF file's boxes before libheif is handed the file: the grid of
// tiles it reads itself (HeifGrid.h), or why it does not. Only two kinds of picture go on to libheif's
// whole decoding, both of a declared size checked here; every other grid is refused, since libheif
// 1.15 decodes a grid it cannot lay out (tiles without a size, say) at a size nobody checked.

#include "HeifBoxes.h"
#include "SizeRules.h"

#include <QFile>
#include <QString>

#include <optional>
#include <vector>

// Why the primary picture is not read as a grid of tiles here.
enum class HeifGridFallback {
    // Decoded whole by libheif:
    NotAGrid,        // a single coded picture
    CroppedOrScaled, // a grid libheif crops or scales once assembled (its size checked here)
    // Refused:
    LayoutDamaged,    // the grid's description cannot be read
    TileCountWrong,   // not as many tiles as rows times columns
    TileWithoutSize,  // a tile declares no size
    TileCodecUnknown, // tiles coded neither as HEVC nor as AV1
    TilesDiffer,      // tiles missing, without data, or of different sizes or codecs
    TilesDoNotFit,    // the tiles do not cover the picture, or reach a whole tile past it
    TooLarge,         // more pixels declared than kMaxImagePixels
    SizeDisagrees,    // libheif reads another upright size from the file than the grid's
};

// True for the reasons that leave the picture to libheif's whole decoding.
bool DecodedWhole(HeifGridFallback reason);

// The reason as the message of a refusal ("HEIF: ...").
QString HeifGridFallbackText(HeifGridFallback reason);

// Where each pixel of the upright picture lies in the stored grid: pixel (u, v) of the upright
// picture is stored pixel origin + u * along + v * down. Rotations and mirrorings are applied in the
// order the file lists them, each to the picture the ones before made.
struct THeifUpright {
    int originX = 0;
    int originY = 0;
    int alongX = 1;
    int alongY = 0;
    int downX = 0;
    int downY = 1;
    int width = 0;
    int height = 0;

    void RotateLeft(); // a quarter turn anticlockwise: the right column becomes the top row
    void MirrorLeftRight();
    void MirrorUpDown();
    // Rows of the upright picture run along rows of the stored one (else along its columns).
    bool AlongRows() const { return alongX != 0; }
};

struct THeifGrid {
    THeifMeta meta;
    std::uint32_t brand = 0; // of the one-tile files handed to libheif
    int rows = 0;
    int columns = 0;
    int tileWidth = 0;
    int tileHeight = 0;
    int width = 0; // of the stored picture
    int height = 0;
    std::vector<std::uint32_t> tiles; // row by row
    QByteArray colour;                // the grid's colour profile box, for tiles without their own
    THeifUpright upright;
};

struct THeifGridPlan {
    std::optional<THeifGrid> grid; // when this reads the picture
    HeifGridFallback fallback = HeifGridFallback::NotAGrid;
};

// The plan for the primary picture of the HEIF file open in file. Throws std::runtime_error naming
// the fault when the boxes are damaged (HeifBoxes.h).
THeifGridPlan PlanHeifGrid(QFile &file);
