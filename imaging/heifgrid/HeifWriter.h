#pragma once
// Writes small HEIF files: the picture items given, their properties, and the grid references
// between them. Used to hand libheif one tile of a grid at a time as a file of its own.

#include <QByteArray>

#include <cstdint>
#include <vector>

struct THeifItemOut {
    std::uint32_t type = 0;             // "hvc1", "av01", "grid", ...
    std::vector<QByteArray> properties; // whole property boxes, in the order they apply
    QByteArray data;                    // the item's bytes (coded picture, grid description)
    std::vector<std::uint16_t> tiles;   // for a grid: the items it is made of, numbered from 1
    bool hidden = false;                // not to be shown by itself (a grid's tile)
};

// A HEIF file of the given compatible brand ("heic", "avif") whose items are numbered from 1 in the
// order given, the first being the primary picture. Throws std::runtime_error for what the file's
// fields cannot hold: more than 65,535 items or tiles, 255 properties of one item, 32,767 in all,
// or 4 GB of data.
QByteArray WriteHeifFile(std::uint32_t brand, const std::vector<THeifItemOut> &items);
