#include "ExifOrientation.h"

#include "ExifBlock.h"

#include <cstring>

namespace ExifOrientation {

int FromApp1(const std::uint8_t *payload, std::size_t length) {
    const TExifBlock data = LoadExifBlock(payload, length);
    if (!data) {
        return kNormal;
    }
    ExifEntry *entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (entry == nullptr || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 ||
        entry->data == nullptr || entry->size < 2) {
        return kNormal;
    }
    const int value = exif_get_short(entry->data, exif_data_get_byte_order(data.get()));
    return value >= 1 && value <= 8 ? value : kNormal;
}

bool SwapsSides(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

SizeRules::TSize Turn(SizeRules::TSize size, int orientation) {
    return SwapsSides(orientation) ? SizeRules::TSize{size.height, size.width} : size;
}

TPoint StoredPosition(int orientation, SizeRules::TSize upright, int x, int y) {
    // Per the tag's meaning of row 0 and column 0.
    switch (orientation) {
    case 2:
        return {upright.width - 1 - x, y};
    case 3:
        return {upright.width - 1 - x, upright.height - 1 - y};
    case 4:
        return {x, upright.height - 1 - y};
    case 5:
        return {y, x};
    case 6:
        return {y, upright.width - 1 - x};
    case 7:
        return {upright.height - 1 - y, upright.width - 1 - x};
    case 8:
        return {upright.height - 1 - y, x};
    default:
        return {x, y};
    }
}

void UprightRow(const TRgbImage &stored, int orientation, int y, std::uint8_t *out) {
    const SizeRules::TSize upright = Turn({stored.width, stored.height}, orientation);
    if (orientation == 1 || orientation == 4) {
        std::memcpy(out, stored.row(StoredPosition(orientation, upright, 0, y).y), stored.stride());
        return;
    }
    for (int x = 0; x < upright.width; ++x) {
        const TPoint at = StoredPosition(orientation, upright, x, y);
        std::memcpy(out + 3 * static_cast<std::size_t>(x),
                    stored.row(at.y) + 3 * static_cast<std::size_t>(at.x), 3);
    }
}

} // namespace ExifOrientation
