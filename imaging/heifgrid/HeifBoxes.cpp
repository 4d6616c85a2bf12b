#include "HeifBoxes.h"

#include <stdexcept>
#include <string>

namespace {

// The meta box of a photo holds a few kilobytes, a few hundred for each tile; more is no photo.
constexpr qint64 kMaxMetaBytes = 16LL * 1024 * 1024;
// A photo has a few hundred items at most (a grid's tiles, thumbnails, metadata): 256 x 256 tiles
// and a few more are the most a grid can name.
constexpr std::uint32_t kMaxItems = 65536 + 256;
// Property indices have 15 bits.
constexpr std::size_t kMaxProperties = 0x7FFF;

[[noreturn]] void damaged(const char *what) {
    throw std::runtime_error(std::string("HEIF: the file's boxes are damaged (") + what + ")");
}

// Reads big-endian fields from a span of bytes, every read checked against its end.
class TReader {
public:
    TReader(const char *data, qint64 size) : data_(data), size_(size) {}

    qint64 Left() const { return size_ - pos_; }
    bool AtEnd() const { return pos_ >= size_; }

    std::uint64_t Number(int bytes) {
        need(bytes);
        std::uint64_t value = 0;
        for (int i = 0; i < bytes; ++i) {
            value = (value << 8) | std::uint8_t(data_[pos_ + i]);
        }
        pos_ += bytes;
        return value;
    }
    std::uint32_t U8() { return std::uint32_t(Number(1)); }
    std::uint32_t U16() { return std::uint32_t(Number(2)); }
    std::uint32_t U32() { return std::uint32_t(Number(4)); }

    // A box header read here: the box's type, its size (header included) and the header's length,
    // checked to fit the `room` bytes from the box's start.
    struct THeader {
        std::uint32_t type;
        qint64 size;
        qint64 length;
    };
    THeader Header(qint64 room);

    // The next box inside this span: its type and a reader of its contents; this one goes on after it.
    struct TBox;
    TBox Box();

    // The version of a full box; its flags go to flags.
    std::uint32_t Version(std::uint32_t *flags = nullptr) {
        const std::uint32_t word = U32();
        if (flags != nullptr) {
            *flags = word & 0xFFFFFF;
        }
        return word >> 24;
    }

    void Skip(qint64 bytes) {
        need(bytes);
        pos_ += bytes;
    }
    const char *Here() const { return data_ + pos_; }

private:
    void need(qint64 bytes) const {
        if (bytes < 0 || bytes > size_ - pos_) {
            damaged("a box ends too early");
        }
    }

    const char *data_;
    qint64 size_;
    qint64 pos_ = 0;
};

struct TReader::TBox {
    std::uint32_t type;
    qint64 size; // header included
    TReader body;
};

TReader::THeader TReader::Header(qint64 room) {
    const qint64 start = pos_;
    std::uint64_t size = U32();
    const std::uint32_t type = U32();
    if (size == 1) {
        size = Number(8);
    } else if (size == 0) {
        size = std::uint64_t(room);
    }
    const qint64 header = pos_ - start;
    if (size < std::uint64_t(header) || size > std::uint64_t(room)) {
        damaged("a box runs past its container");
    }
    return {type, qint64(size), header};
}

TReader::TBox TReader::Box() {
    const qint64 start = pos_;
    const THeader head = Header(size_ - start);
    pos_ = start + head.size;
    return {head.type, head.size, TReader(data_ + start + head.length, head.size - head.length)};
}

// The first top-level box of the given type, read whole; the file's other boxes are only skipped.
QByteArray topLevelBox(QFile &file, std::uint32_t wanted) {
    const qint64 end = file.size();
    for (qint64 at = 0; at + 8 <= end;) {
        const QByteArray head = file.seek(at) ? file.read(16) : QByteArray();
        const TReader::THeader box = TReader(head.constData(), head.size()).Header(end - at);
        if (box.type == wanted) {
            if (box.size > kMaxMetaBytes) {
                damaged("the item list is too large");
            }
            QByteArray whole = file.seek(at) ? file.read(box.size) : QByteArray();
            if (whole.size() != box.size) {
                damaged("the file ends too early");
            }
            return whole;
        }
        at += box.size;
    }
    damaged("no item list");
}

void readItemInfo(TReader body, THeifMeta &meta) {
    const std::uint32_t version = body.Version();
    const std::uint32_t count = version == 0 ? body.U16() : body.U32();
    if (count > kMaxItems) {
        damaged("more items than a photo has");
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        TReader::TBox entry = body.Box();
        if (entry.type != FourCc("infe")) {
            damaged("an item entry of the wrong type");
        }
        const std::uint32_t entryVersion = entry.body.Version();
        if (entryVersion < 2) {
            continue; // items without a type: not pictures
        }
        const std::uint32_t id = entryVersion == 2 ? entry.body.U16() : entry.body.U32();
        entry.body.U16(); // protection index
        meta.items[id].type = entry.body.U32();
    }
}

void readLocations(TReader body, THeifMeta &meta) {
    const std::uint32_t version = body.Version();
    if (version > 2) {
        damaged("an item location list of an unknown version");
    }
    const std::uint32_t sizes = body.U16();
    const int offsetSize = int(sizes >> 12);
    const int lengthSize = int((sizes >> 8) & 0xF);
    const int baseSize = int((sizes >> 4) & 0xF);
    const int indexSize = version == 0 ? 0 : int(sizes & 0xF);
    for (const int size : {offsetSize, lengthSize, baseSize, indexSize}) {
        if (size != 0 && size != 4 && size != 8) {
            damaged("an item location field of a wrong size");
        }
    }
    const std::uint32_t count = version < 2 ? body.U16() : body.U32();
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t id = version < 2 ? body.U16() : body.U32();
        THeifItem scratch; // for an item the item table does not name: read past, then dropped
        const auto named = meta.items.find(id);
        THeifItem &item = named == meta.items.end() ? scratch : named->second;
        std::uint32_t method = 0;
        if (version > 0) {
            method = body.U16() & 0xF;
        }
        const std::uint32_t dataReference = body.U16();
        const std::uint64_t base = body.Number(baseSize);
        const std::uint32_t extents = body.U16();
        if (method > 1 || dataReference != 0) {
            item.extents.clear(); // in another file or made of other items: not readable here
            body.Skip(qint64(extents) * (indexSize + offsetSize + lengthSize));
            continue;
        }
        item.inMeta = method == 1;
        for (std::uint32_t e = 0; e < extents; ++e) {
            body.Number(indexSize);
            const std::uint64_t offset = body.Number(offsetSize);
            const std::uint64_t length = body.Number(lengthSize);
            if (length == 0 || offset > UINT64_MAX / 2 || base > UINT64_MAX / 2) {
                damaged("an item without a length");
            }
            item.extents.push_back({base + offset, length});
        }
    }
}

void readReferences(TReader body, THeifMeta &meta) {
    const int idBytes = body.Version() == 0 ? 2 : 4;
    while (!body.AtEnd()) {
        TReader::TBox reference = body.Box();
        const auto from = std::uint32_t(reference.body.Number(idBytes));
        const std::uint32_t count = reference.body.U16();
        const auto named = meta.items.find(from);
        if (named == meta.items.end()) {
            continue; // from an item the item table does not name
        }
        std::vector<std::uint32_t> &to = named->second.references[reference.type];
        for (std::uint32_t i = 0; i < count; ++i) {
            to.push_back(std::uint32_t(reference.body.Number(idBytes)));
        }
    }
}

void readProperties(TReader body, THeifMeta &meta) {
    while (!body.AtEnd()) {
        TReader::TBox box = body.Box();
        if (box.type == FourCc("ipco")) {
            while (!box.body.AtEnd()) {
                const char *start = box.body.Here();
                TReader::TBox property = box.body.Box();
                if (meta.properties.size() >= kMaxProperties) {
                    damaged("more properties than can be named");
                }
                meta.properties.push_back(
                    THeifProperty{property.type, QByteArray(start, qsizetype(property.size)),
                                  QByteArray(property.body.Here(), qsizetype(property.body.Left()))});
            }
        } else if (box.type == FourCc("ipma")) {
            std::uint32_t flags = 0;
            const std::uint32_t version = box.body.Version(&flags);
            const std::uint32_t count = box.body.U32();
            if (count > kMaxItems) {
                damaged("more items than a photo has");
            }
            for (std::uint32_t i = 0; i < count; ++i) {
                const std::uint32_t id = version < 1 ? box.body.U16() : box.body.U32();
                const std::uint32_t associations = box.body.U8();
                THeifItem scratch; // for an item the item table does not name: read past, then dropped
                const auto named = meta.items.find(id);
                THeifItem &item = named == meta.items.end() ? scratch : named->second;
                for (std::uint32_t a = 0; a < associations; ++a) {
                    const std::uint32_t index =
                        (flags & 1) != 0 ? box.body.U16() & 0x7FFF : box.body.U8() & 0x7F;
                    if (index != 0) { // 0: no property
                        item.properties.push_back(std::uint16_t(index - 1));
                    }
                }
            }
        }
    }
}

} // namespace

const THeifItem *THeifMeta::Item(std::uint32_t id) const {
    const auto found = items.find(id);
    return found == items.end() ? nullptr : &found->second;
}

const THeifProperty *THeifMeta::PropertyOf(const THeifItem &item, std::uint32_t type) const {
    for (const std::uint16_t index : item.properties) {
        if (index < properties.size() && properties[index].type == type) {
            return &properties[index];
        }
    }
    return nullptr;
}

THeifMeta ReadHeifMeta(QFile &file) {
    const QByteArray box = topLevelBox(file, FourCc("meta"));
    TReader whole(box.constData(), box.size());
    TReader::TBox metaBox = whole.Box();
    TReader &body = metaBox.body;
    body.Version();
    THeifMeta meta;
    // The item table first, wherever it stands: the other boxes describe only the items it names.
    std::vector<TReader::TBox> children;
    while (!body.AtEnd()) {
        TReader::TBox child = body.Box();
        if (child.type == FourCc("iinf")) {
            readItemInfo(child.body, meta);
        } else {
            children.push_back(child);
        }
    }
    for (TReader::TBox &child : children) {
        switch (child.type) {
        case FourCc("pitm"):
            meta.primary = child.body.Version() == 0 ? child.body.U16() : child.body.U32();
            break;
        case FourCc("iloc"):
            readLocations(child.body, meta);
            break;
        case FourCc("iref"):
            readReferences(child.body, meta);
            break;
        case FourCc("iprp"):
            readProperties(child.body, meta);
            break;
        case FourCc("idat"):
            meta.metaData = QByteArray(child.body.Here(), qsizetype(child.body.Left()));
            break;
        default:
            break;
        }
    }
    if (meta.Item(meta.primary) == nullptr) {
        damaged("no primary item");
    }
    for (const auto &[id, item] : meta.items) {
        for (const std::uint16_t index : item.properties) {
            if (index >= meta.properties.size()) {
                damaged("an item has a property that does not exist");
            }
        }
    }
    return meta;
}

QByteArray ReadHeifItemData(QFile &file, const THeifMeta &meta, const THeifItem &item) {
    const std::uint64_t available =
        item.inMeta ? std::uint64_t(meta.metaData.size()) : std::uint64_t(file.size());
    std::uint64_t total = 0;
    for (const THeifExtent &extent : item.extents) {
        if (extent.offset > available || extent.length > available - extent.offset ||
            (total += extent.length) > available) {
            throw std::runtime_error("HEIF: a picture's data lies outside the file");
        }
    }
    if (item.extents.empty()) {
        throw std::runtime_error("HEIF: a picture has no data in the file");
    }
    QByteArray data;
    data.reserve(qsizetype(total));
    for (const THeifExtent &extent : item.extents) {
        if (item.inMeta) {
            data.append(meta.metaData.constData() + extent.offset, qsizetype(extent.length));
            continue;
        }
        const QByteArray part =
            file.seek(qint64(extent.offset)) ? file.read(qint64(extent.length)) : QByteArray();
        if (part.size() != qint64(extent.length)) {
            throw std::runtime_error("HEIF: the file ends too early");
        }
        data.append(part);
    }
    return data;
}
