#pragma once
// The item structure of a HEIF file, read from its boxes: which items it holds (coded pictures,
// grids), where each item's bytes lie, which properties each has, and how items refer to one another.
// Only what is needed to read a grid of tiles ourselves; the pictures are still decoded by libheif.

#include <QByteArray>
#include <QFile>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

// A four-character box or item type as a number, first character in the top byte.
constexpr std::uint32_t FourCc(const char (&code)[5]) {
    return (std::uint32_t(std::uint8_t(code[0])) << 24) | (std::uint32_t(std::uint8_t(code[1])) << 16) |
           (std::uint32_t(std::uint8_t(code[2])) << 8) | std::uint32_t(std::uint8_t(code[3]));
}

struct THeifProperty {
    std::uint32_t type = 0;
    QByteArray box;     // the whole box, header included, as the file has it
    QByteArray payload; // the box's contents after its header
};

struct THeifExtent {
    std::uint64_t offset = 0; // from the start of the file, or of the meta box's data for items kept there
    std::uint64_t length = 0;
};

struct THeifItem {
    std::uint32_t type = 0;
    bool inMeta = false; // the extents lie in the meta box's own data, not in the file
    std::vector<THeifExtent> extents;
    std::vector<std::uint16_t> properties; // indices into THeifMeta::properties, in the file's order
    std::map<std::uint32_t, std::vector<std::uint32_t>> references; // by reference type: items referred to
};

struct THeifMeta {
    std::uint32_t primary = 0;
    std::map<std::uint32_t, THeifItem> items;
    std::vector<THeifProperty> properties;
    QByteArray metaData; // the meta box's own item data

    const THeifItem *Item(std::uint32_t id) const;
    // The first property of the given type the item has.
    const THeifProperty *PropertyOf(const THeifItem &item, std::uint32_t type) const;
};

// The item structure of the HEIF file open in file: only the items its item table names, whatever
// the other boxes mention. Throws std::runtime_error naming the fault when the boxes are damaged or
// hold more than a photo plausibly does.
THeifMeta ReadHeifMeta(QFile &file);

// The bytes of an item, its extents one after the other. Throws std::runtime_error when they lie
// outside the file or add up to more than it holds.
QByteArray ReadHeifItemData(QFile &file, const THeifMeta &meta, const THeifItem &item);
