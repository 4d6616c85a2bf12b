#pragma once
// The EXIF block of a JPEG's APP1 segment, parsed by libexif as it is stored: libexif's repairs,
// which would add entries we never look at, stay off. Shared by the readers of single tags.

#include <libexif/exif-data.h>

#include <cstddef>
#include <cstdint>
#include <memory>

struct TExifDataUnref {
    void operator()(ExifData *data) const { exif_data_unref(data); }
};
using TExifBlock = std::unique_ptr<ExifData, TExifDataUnref>;

// The parsed block of an APP1 payload ("Exif\0\0" followed by the TIFF data); null when the payload
// is not EXIF or memory runs out. libexif checks every offset and count against length.
TExifBlock LoadExifBlock(const std::uint8_t *payload, std::size_t length);
