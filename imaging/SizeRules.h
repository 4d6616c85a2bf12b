#pragma once
// The size arithmetic of photo reduction, free of I/O: the two rounding rules, the scale factor for
// the width and height limits, and the target sizes of both reductions. Both operations on files
// are thin shells around these functions.

#include <cstdint>

namespace SizeRules {

struct TSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const TSize &, const TSize &) = default;
};

// Nearest integer, exact halves to the even neighbour (1024.5 -> 1024, 1025.5 -> 1026).
std::int64_t RoundToInt(long double value);

// numerator / denominator rounded to two decimals with exact halves away from zero, as hundredths
// (640/1024 = 0.625 -> 63). Computed on the exact ratio, so a half is a true half. Throws
// std::domain_error when the denominator is 0.
std::int64_t RoundHundredths(std::int64_t numerator, std::int64_t denominator);

// The two-decimal factor read back as a number: RoundHundredths(...) / 100.
double TwoDecimalFactor(std::int64_t numerator, std::int64_t denominator);

// Scale factor that brings width x height within maxWidth x maxHeight; 1.0 keeps the size. A side
// whose factor rounds to 1.00 is not reduced; when both sides are over, the larger factor wins, so
// the side that is over by less lands on its limit. Throws std::domain_error for a side over its
// limit whose length is 0 or less (no ratio exists).
double ZipRate(int width, int height, int maxWidth, int maxHeight);

// Size of the photo scaled by rate (each side rounded to an integer). Throws std::domain_error when
// a side would be empty.
TSize ScaledSize(TSize size, double rate);

// Whole kilobytes of a file of the given length; a missing file (-1) counts as 0.
std::int64_t SizeInKB(std::int64_t bytes);

// Files of more than this many kilobytes are shrunk before they are sent.
inline constexpr std::int64_t kZipThresholdKB = 1024;

// Size that divides the pixel count by the file size in megabytes (two-decimal factor), aiming at a
// file of about one megabyte. Throws std::domain_error when a side would be empty.
TSize ShrunkSize(TSize size, std::int64_t sizeKB);

} // namespace SizeRules
