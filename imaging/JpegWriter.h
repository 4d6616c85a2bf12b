#pragma once
// Encodes a bitmap as a baseline colour JPEG with libjpeg's default settings at a given quality.
// Only the pixels are written, no metadata; a bitmap stored sideways is written upright.

#include "RgbImage.h"
#include "SizeRules.h"

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <memory>

// The JPEG bytes of the upright view of stored (orientation 1 to 8, as in EXIF), quality 1 to 100.
// Throws std::runtime_error when libjpeg fails or memory runs out.
QByteArray EncodeJpeg(const TRgbImage &stored, int orientation, int quality);

// Row y (top first) of an image being encoded: either a pointer to width * 3 RGB bytes that stay
// valid until the next call, or buffer (width * 3 bytes) filled and returned.
using TRowSource = std::function<const std::uint8_t *(int y, std::uint8_t *buffer)>;

// The JPEG bytes of an image of the given size whose rows come from rowAt, quality 1 to 100; only
// one row is held at a time. Throws std::runtime_error when libjpeg fails or memory runs out.
QByteArray EncodeJpegRows(SizeRules::TSize size, int quality, const TRowSource &rowAt);

// Encodes an image of the given size, quality 1 to 100, from rows pushed top first; only the row
// being written is held. Throws std::runtime_error when libjpeg fails or memory runs out.
class TJpegRowWriter {
public:
    TJpegRowWriter(SizeRules::TSize size, int quality);
    ~TJpegRowWriter();
    TJpegRowWriter(const TJpegRowWriter &) = delete;
    TJpegRowWriter &operator=(const TJpegRowWriter &) = delete;

    void Write(const std::uint8_t *row); // width * 3 RGB bytes
    QByteArray Finish();                 // once every row is written

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
