#include "DemoImages.h"

#include "imaging/JpegWriter.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace DemoImages {

namespace {

using Rgb = std::array<std::uint8_t, 3>;

// Hue 0-359, saturation and value 0-255.
Rgb FromHsv(int hue, int saturation, int value) {
    const double s = saturation / 255.0;
    const double v = value / 255.0;
    const double c = v * s;
    const double h = (hue % 360) / 60.0;
    const double x = c * (1 - std::abs(h - 2 * static_cast<int>(h / 2) - 1));
    double r = 0, g = 0, b = 0;
    switch (static_cast<int>(h)) {
    case 0:
        r = c, g = x;
        break;
    case 1:
        r = x, g = c;
        break;
    case 2:
        g = c, b = x;
        break;
    case 3:
        g = x, b = c;
        break;
    case 4:
        r = x, b = c;
        break;
    default:
        r = c, b = x;
        break;
    }
    const double m = v - c;
    auto byte = [m](double part) {
        return static_cast<std::uint8_t>(std::clamp((part + m) * 255.0, 0.0, 255.0));
    };
    return {byte(r), byte(g), byte(b)};
}

Rgb Mix(const Rgb &a, const Rgb &b, double t) {
    Rgb out;
    for (std::size_t i = 0; i < 3; ++i) {
        out[i] = static_cast<std::uint8_t>(a[i] + (b[i] - a[i]) * t);
    }
    return out;
}

struct Box {
    int x, y, w, h;
    bool contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

} // namespace

QByteArray PaintJpeg(QSize size, int variant) {
    // A shop front under a sky: a building with a sign and windows, and a sun.
    const int w = size.width();
    const int h = size.height();
    const int hue = (variant * 67) % 360;
    const Rgb skyTop = FromHsv(hue, 90, 250);
    const Rgb skyBottom = FromHsv(hue + 40, 160, 160);
    const Rgb wall = FromHsv(hue + 180, 60, 200);
    const Rgb sign = FromHsv(hue + 200, 200, 150);
    const Rgb window{240, 240, 210};
    const Rgb sun = FromHsv(hue + 90, 220, 230);
    const Box building{w / 8, h / 3, w * 3 / 4, h * 2 / 3};
    const Box signBox{w / 6, h / 3 + h / 20, w * 2 / 3, h / 10};
    std::vector<Box> windows;
    for (int i = 0; i < 3 + variant % 3; ++i) {
        windows.push_back({w / 6 + i * w / 6, h / 2 + h / 20, w / 10, h / 7});
    }
    const int sunX = w * 5 / 6, sunY = h / 6, sunR = h / 12;

    auto pixel = [&](int x, int y) -> Rgb {
        if ((x - sunX) * (x - sunX) + (y - sunY) * (y - sunY) <= sunR * sunR) {
            return sun;
        }
        for (const Box &b : windows) {
            if (b.contains(x, y)) {
                return window;
            }
        }
        if (signBox.contains(x, y)) {
            return sign;
        }
        if (building.contains(x, y)) {
            return wall;
        }
        return Mix(skyTop, skyBottom, h > 1 ? static_cast<double>(y) / (h - 1) : 0.0);
    };
    return EncodeJpegRows({w, h}, 85, [&](int y, std::uint8_t *row) {
        for (int x = 0; x < w; ++x) {
            const Rgb c = pixel(x, y);
            std::copy(c.begin(), c.end(), row + 3 * x);
        }
        return row;
    });
}

} // namespace DemoImages
