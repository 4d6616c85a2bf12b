#pragma once
// Reads one JPEG file: its size, EXIF orientation and date taken from the header alone, then its pixels
// shrunk to a given size while they are decoded. libjpeg decodes at the smallest DCT scale (n/8) that is
// still at least the target, and area averaging takes the rows from there to the exact size, so
// the full-size image is never held in memory.

#include "AreaResampler.h"
#include "RgbImage.h"
#include "SizeRules.h"

#include <QString>

#include <cstdint>
#include <memory>

// Images with more pixels than this are refused before any pixel memory is taken: no camera makes
// them (the largest take about 150 megapixels), and every format is held to it.
inline constexpr std::int64_t kMaxImagePixels = 200'000'000;

// The smallest n (1 to 8) at which libjpeg's n/8 scaling of stored gives at least target on both
// sides; 8 when even the full size is smaller.
int DctScaleNumerator(SizeRules::TSize stored, SizeRules::TSize target);

class TJpegReader {
public:
    // Opens path and reads the JPEG header; throws std::runtime_error for a missing, empty or
    // unreadable file, a file that is not a JPEG, or an image over kMaxImagePixels.
    explicit TJpegReader(const QString &path);
    ~TJpegReader();
    TJpegReader(const TJpegReader &) = delete;
    TJpegReader &operator=(const TJpegReader &) = delete;

    SizeRules::TSize StoredSize() const;
    int Orientation() const; // EXIF orientation, 1 to 8
    SizeRules::TSize UprightSize() const;
    QString DateTaken() const; // EXIF DateTimeOriginal as "yyyy-MM-dd HH:mm:ss"; empty when none

    // Decodes the pixels into a bitmap of exactly target, in stored orientation; target must not
    // exceed the stored size. Throws std::runtime_error on corrupt or truncated data. Once only.
    TRgbImage DecodeTo(SizeRules::TSize target);

    // The same, handing each row of the target to sink as it is finished instead of keeping a
    // bitmap. Once only, and not after DecodeTo.
    void DecodeRowsTo(SizeRules::TSize target, const TRowSink &sink);

private:
    TRgbImage decode(SizeRules::TSize target, const TRowSink &sink);

    struct Impl;
    std::unique_ptr<Impl> impl_;
};
