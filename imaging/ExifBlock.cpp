#include "ExifBlock.h"

#include <cstring>

TExifBlock LoadExifBlock(const std::uint8_t *payload, std::size_t length) {
    static constexpr char kHeader[] = "Exif\0";
    if (payload == nullptr || length < 6 || length > 0xFFFF || std::memcmp(payload, kHeader, 6) != 0) {
        return nullptr;
    }
    TExifBlock data(exif_data_new());
    if (!data) {
        return nullptr;
    }
    exif_data_unset_option(data.get(), static_cast<ExifDataOption>(~0U));
    exif_data_set_option(data.get(), EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
    exif_data_load_data(data.get(), payload, static_cast<unsigned int>(length));
    return data;
}
