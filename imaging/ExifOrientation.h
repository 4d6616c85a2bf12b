#pragma once
// The orientation tag of a photo's EXIF block: how the stored pixels must be turned or mirrored to
// stand upright, and what that does to sizes and pixel positions.

#include "RgbImage.h"
#include "SizeRules.h"

#include <cstddef>
#include <cstdint>

namespace ExifOrientation {

inline constexpr int kNormal = 1;

// The orientation (1 to 8) of an APP1 segment's payload ("Exif\0\0" followed by the TIFF data);
// kNormal when the payload is not EXIF, has no orientation tag, or holds a value outside 1 to 8.
int FromApp1(const std::uint8_t *payload, std::size_t length);

// Orientations 5 to 8 exchange width and height.
bool SwapsSides(int orientation);

// The upright size of a stored size, and back (the same exchange both ways).
SizeRules::TSize Turn(SizeRules::TSize size, int orientation);

struct TPoint {
    int x = 0;
    int y = 0;
};

// The stored pixel shown at upright pixel (x, y) of an upright image of the given size.
TPoint StoredPosition(int orientation, SizeRules::TSize upright, int x, int y);

// Writes row y of the upright view of stored (width = Turn(stored).width pixels) into out.
void UprightRow(const TRgbImage &stored, int orientation, int y, std::uint8_t *out);

} // namespace ExifOrientation
