#pragma once
// A plain 24-bit RGB bitmap: rows of width * 3 bytes, top row first, no padding.

#include <cstddef>
#include <cstdint>
#include <vector>

struct TRgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    TRgbImage() = default;
    TRgbImage(int w, int h)
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3) {}

    std::size_t stride() const { return static_cast<std::size_t>(width) * 3; }
    std::uint8_t *row(int y) { return pixels.data() + stride() * static_cast<std::size_t>(y); }
    const std::uint8_t *row(int y) const { return pixels.data() + stride() * static_cast<std::size_t>(y); }
};
