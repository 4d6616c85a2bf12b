#include "ExifOrientation.h"

#include <libexif/exif-data.h>

#include <cstring>
#include <memory>

namespace ExifOrientation {
namespace {

struct ExifDataUnref {
    void operator()(ExifData *data) const { exif_data_unref(data); }
};

} // namespace

int FromApp1(const std::uint8_t *payload, std::size_t length) {
    static constexpr char kHeader[] = "Exif\0";
    if (payload == nullptr || length < 6 || std::memcmp(payload, kHeader, 6) != 0) {
        return kNormal;
    }
    std::unique_ptr<ExifData, ExifDataUnref> data(exif_data_new());
    if (!data) {
        return kNormal;
    }
    // Read the block as it is, skipping unknown tags only: libexif's default repairs would add entries we
    // never look at.
    exif_data_unset_option(data.get(), static_cast<ExifDataOption>(~0U));
    exif_data_set_option(data.get(), EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
    exif_data_load_data(data.get(), payload, static_cast<unsigned int>(length));
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

void UprightRow(const TRgbImage &stored, int orientation, int y, std::uint8_t *out) {
    const int uprightWidth = SwapsSides(orientation) ? stored.height : stored.width;
    const int uprightHeight = SwapsSides(orientation) ? stored.width : stored.height;
    if (orientation == 1 || orientation == 4) {
        const std::uint8_t *row = stored.row(orientation == 1 ? y : stored.height - 1 - y);
        std::memcpy(out, row, stored.stride());
        return;
    }
    // Stored pixel (sx, sy) shown at upright (x, y), per the tag's meaning of row 0 and column 0.
    for (int x = 0; x < uprightWidth; ++x) {
        int sx = 0;
        int sy = 0;
        switch (orientation) {
        case 2:
            sx = uprightWidth - 1 - x;
            sy = y;
            break;
        case 3:
            sx = uprightWidth - 1 - x;
            sy = uprightHeight - 1 - y;
            break;
        case 5:
            sx = y;
            sy = x;
            break;
        case 6:
            sx = y;
            sy = uprightWidth - 1 - x;
            break;
        case 7:
            sx = uprightHeight - 1 - y;
            sy = uprightWidth - 1 - x;
            break;
        default:
            sx = uprightHeight - 1 - y;
            sy = x;
            break; // 8
        }
        std::memcpy(out + 3 * static_cast<std::size_t>(x), stored.row(sy) + 3 * static_cast<std::size_t>(sx),
                    3);
    }
}

} // namespace ExifOrientation
