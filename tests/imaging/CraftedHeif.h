#pragma once
// A small generator of HEIF files as an attacker would write them: items, the property boxes each
// has, the bytes each points at (several items may point at the same bytes), grid references, and
// property associations for items that do not exist. Every box is written as given, checked by
// nothing, so that the reader's checks are what is tested.

#include "imaging/heifgrid/HeifBoxes.h"

#include <QByteArray>
#include <QMap>
#include <QtEndian>

#include <cstdint>
#include <vector>

namespace crafted {

inline void put(QByteArray &out, std::uint64_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
        out.append(char((value >> shift) & 0xFF));
    }
}

inline QByteArray box(const char (&type)[5], const QByteArray &payload, int version = -1, int flags = 0) {
    QByteArray out;
    put(out, std::uint64_t(payload.size()) + 8 + (version >= 0 ? 4 : 0), 4);
    out.append(type, 4);
    if (version >= 0) {
        put(out, (std::uint32_t(version) << 24) | std::uint32_t(flags), 4);
    }
    return out + payload;
}

// An "ispe" box declaring width x height.
inline QByteArray sizeBox(std::uint32_t width, std::uint32_t height) {
    QByteArray payload;
    put(payload, width, 4);
    put(payload, height, 4);
    return box("ispe", payload, 0);
}

struct Item {
    std::uint32_t type = 0;
    std::vector<QByteArray> properties; // boxes
    int blob = 0;                       // which of the file's blobs the item's bytes are
};

struct File {
    std::vector<Item> items;             // numbered from 1; the first is the primary
    std::vector<QByteArray> blobs;       // each written once in the media data
    std::vector<std::uint32_t> tiles;    // the first item's grid tiles (item numbers)
    std::uint32_t emptyAssociations = 0; // property entries for items the file does not have

    QByteArray Build() const {
        // Equal property boxes are written once and shared, as writers do.
        QMap<QByteArray, int> indexOf;
        QByteArray container;
        QByteArray associations;
        put(associations, items.size() + emptyAssociations, 4);
        for (std::size_t i = 0; i < items.size(); ++i) {
            put(associations, i + 1, 4);
            put(associations, items[i].properties.size(), 1);
            for (const QByteArray &property : items[i].properties) {
                if (!indexOf.contains(property)) {
                    container += property;
                    indexOf.insert(property, int(indexOf.size()) + 1);
                }
                put(associations, std::uint64_t(indexOf.value(property)), 2);
            }
        }
        for (std::uint32_t i = 0; i < emptyAssociations; ++i) {
            put(associations, 0x10000 + i, 4);
            put(associations, 0, 1);
        }
        QByteArray info;
        put(info, items.size(), 2);
        for (std::size_t i = 0; i < items.size(); ++i) {
            QByteArray entry;
            put(entry, i + 1, 2);
            put(entry, 0, 2);
            put(entry, items[i].type, 4);
            entry.append('\0');
            info += box("infe", entry, 2, i == 0 ? 0 : 1);
        }
        QByteArray references;
        if (!tiles.empty()) {
            QByteArray grid;
            put(grid, 1, 2);
            put(grid, tiles.size(), 2);
            for (const std::uint32_t tile : tiles) {
                put(grid, tile, 2);
            }
            references = box("iref", box("dimg", grid), 0);
        }
        const auto meta = [&](std::uint64_t dataStart) {
            std::vector<std::uint64_t> offsets;
            for (const QByteArray &blob : blobs) {
                offsets.push_back(dataStart);
                dataStart += std::uint64_t(blob.size());
            }
            QByteArray locations;
            put(locations, 0x4400, 2);
            put(locations, items.size(), 2);
            for (std::size_t i = 0; i < items.size(); ++i) {
                put(locations, i + 1, 2);
                put(locations, 0, 2);
                put(locations, 1, 2);
                put(locations, offsets[std::size_t(items[i].blob)], 4);
                put(locations, std::uint64_t(blobs[std::size_t(items[i].blob)].size()), 4);
            }
            QByteArray handler(20, '\0');
            handler.replace(4, 4, "pict");
            QByteArray primary;
            put(primary, 1, 2);
            return box("meta",
                       box("hdlr", handler + '\0', 0) + box("pitm", primary, 0) + box("iinf", info, 0) +
                           references +
                           box("iprp", box("ipco", container) + box("ipma", associations, 1, 1)) +
                           box("iloc", locations, 0),
                       0);
        };
        const QByteArray head = box("ftyp", QByteArray("mif1\0\0\0\0mif1heic", 16));
        const std::uint64_t dataStart = std::uint64_t(head.size() + meta(0).size()) + 8;
        QByteArray data;
        for (const QByteArray &blob : blobs) {
            data += blob;
        }
        return head + meta(dataStart) + box("mdat", data);
    }
};

// A grid's description: rows x columns of tiles making a width x height picture.
inline QByteArray gridLayout(int rows, int columns, std::uint32_t width, std::uint32_t height) {
    QByteArray layout;
    put(layout, 0, 1);
    put(layout, 1, 1); // 32-bit sides
    put(layout, std::uint64_t(rows - 1), 1);
    put(layout, std::uint64_t(columns - 1), 1);
    put(layout, width, 4);
    put(layout, height, 4);
    return layout;
}

} // namespace crafted
