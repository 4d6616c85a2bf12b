#include "HeifWriter.h"

#include "HeifBoxes.h"

#include <stdexcept>

namespace {

// Appends value as `bytes` (1 to 8) big-endian bytes.
void put(QByteArray &out, std::uint64_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
        out.append(char((value >> shift) & 0xFF));
    }
}

QByteArray box(std::uint32_t type, const QByteArray &payload) {
    QByteArray out;
    put(out, std::uint64_t(payload.size()) + 8, 4);
    put(out, type, 4);
    return out + payload;
}

QByteArray fullBox(std::uint32_t type, std::uint32_t version, std::uint32_t flags,
                   const QByteArray &payload) {
    QByteArray head;
    put(head, (version << 24) | flags, 4);
    return box(type, head + payload);
}

QByteArray itemInfo(const std::vector<THeifItemOut> &items) {
    QByteArray entries;
    put(entries, items.size(), 2);
    for (std::size_t i = 0; i < items.size(); ++i) {
        QByteArray entry;
        put(entry, i + 1, 2);
        put(entry, 0, 2); // not protected
        put(entry, items[i].type, 4);
        entry.append('\0'); // no name
        entries += fullBox(FourCc("infe"), 2, items[i].hidden ? 1 : 0, entry);
    }
    return fullBox(FourCc("iinf"), 0, 0, entries);
}

QByteArray references(const std::vector<THeifItemOut> &items) {
    QByteArray grids;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].tiles.empty()) {
            continue;
        }
        QByteArray reference;
        put(reference, i + 1, 2);
        put(reference, items[i].tiles.size(), 2);
        for (const std::uint16_t tile : items[i].tiles) {
            put(reference, tile, 2);
        }
        grids += box(FourCc("dimg"), reference);
    }
    return grids.isEmpty() ? QByteArray() : fullBox(FourCc("iref"), 0, 0, grids);
}

QByteArray itemProperties(const std::vector<THeifItemOut> &items) {
    QByteArray container;
    QByteArray associations;
    put(associations, items.size(), 4);
    std::uint32_t index = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        put(associations, i + 1, 2);
        put(associations, items[i].properties.size(), 1);
        for (const QByteArray &property : items[i].properties) {
            container += property;
            put(associations, ++index, 2); // 16-bit indices (flag 1), none essential
        }
    }
    return box(FourCc("iprp"), box(FourCc("ipco"), container) + fullBox(FourCc("ipma"), 0, 1, associations));
}

// Every item's data lies in the media data box, one after the other from dataStart.
QByteArray locations(const std::vector<THeifItemOut> &items, std::uint64_t dataStart) {
    QByteArray list;
    put(list, 0x4400, 2); // 32-bit offsets and lengths, no base offset
    put(list, items.size(), 2);
    for (std::size_t i = 0; i < items.size(); ++i) {
        put(list, i + 1, 2);
        put(list, 0, 2); // this file
        put(list, 1, 2); // one extent
        put(list, dataStart, 4);
        put(list, std::uint64_t(items[i].data.size()), 4);
        dataStart += std::uint64_t(items[i].data.size());
    }
    return fullBox(FourCc("iloc"), 0, 0, list);
}

QByteArray meta(const std::vector<THeifItemOut> &items, std::uint64_t dataStart) {
    QByteArray handler;
    put(handler, 0, 4);
    put(handler, FourCc("pict"), 4);
    handler.append(QByteArray(12, '\0')); // reserved
    handler.append('\0');
    QByteArray primary;
    put(primary, 1, 2);
    return fullBox(FourCc("meta"), 0, 0,
                   fullBox(FourCc("hdlr"), 0, 0, handler) + fullBox(FourCc("pitm"), 0, 0, primary) +
                       itemInfo(items) + references(items) + itemProperties(items) +
                       locations(items, dataStart));
}

// Refuses what the fields written below cannot hold: 16-bit item IDs and counts, one-byte property
// counts, 15-bit property indices, 32-bit offsets and lengths.
void checkCounts(const std::vector<THeifItemOut> &items) {
    std::uint64_t properties = 0;
    std::uint64_t bytes = 0;
    for (const THeifItemOut &item : items) {
        if (item.properties.size() > 0xFF || item.tiles.size() > 0xFFFF) {
            throw std::runtime_error("HEIF: an item has more properties or tiles than a file can name");
        }
        properties += item.properties.size();
        bytes += std::uint64_t(item.data.size());
    }
    if (items.empty() || items.size() > 0xFFFF || properties > 0x7FFF || bytes > 0xFFFF0000) {
        throw std::runtime_error("HEIF: more items, properties or data than a file can name");
    }
}

} // namespace

QByteArray WriteHeifFile(std::uint32_t brand, const std::vector<THeifItemOut> &items) {
    checkCounts(items);
    QByteArray fileType;
    put(fileType, FourCc("mif1"), 4);
    put(fileType, 0, 4);
    put(fileType, FourCc("mif1"), 4);
    put(fileType, brand, 4);
    const QByteArray head = box(FourCc("ftyp"), fileType);
    // The meta box's size does not depend on the offsets it holds.
    const std::uint64_t dataStart = std::uint64_t(head.size() + meta(items, 0).size()) + 8;
    QByteArray data;
    for (const THeifItemOut &item : items) {
        data += item.data;
    }
    return head + meta(items, dataStart) + box(FourCc("mdat"), data);
}
