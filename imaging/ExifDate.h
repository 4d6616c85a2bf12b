#pragma once
// When a photo was taken, as its EXIF block says (DateTimeOriginal).

#include <QString>

#include <cstddef>
#include <cstdint>

// The date taken in an APP1 segment's payload as "yyyy-MM-dd HH:mm:ss"; empty when the payload is
// not EXIF, has no such tag, or holds anything but a valid date and time ("0000:00:00 00:00:00",
// the format's mark of an unknown date, included).
QString DateTakenFromApp1(const std::uint8_t *payload, std::size_t length);
