#include "PlanarRgb.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Kr and Kb of a matrix; zero for those without their own (the caller then keeps BT.601).
struct LumaWeights {
    float kr = 0.0f;
    float kb = 0.0f;
};

LumaWeights weightsOf(int coefficients) {
    switch (coefficients) {
    case 1:
        return {0.2126f, 0.0722f};
    case 4:
        return {0.30f, 0.11f};
    case 5:
    case 6:
        return {0.299f, 0.114f};
    case 7:
        return {0.212f, 0.087f};
    case 9:
    case 10:
        return {0.2627f, 0.0593f};
    default:
        return {};
    }
}

// A sample as v * scale + offset on the 8-bit scale, luma 0 to 255 and colour differences centred on
// zero: limited range puts black at 16 and the colour differences within +-112 (times 2^(bits-8)).
struct Linear {
    float scale;
    float offset;
};

Linear linearOf(const TPlane &plane, bool luma, bool fullRange) {
    const float toEight = std::ldexp(1.0f, 8 - plane.bits);
    if (fullRange) {
        return {toEight, luma ? 0.0f : -128.0f};
    }
    const float stretch = luma ? 255.0f / 219.0f : 255.0f / 224.0f;
    return {toEight * stretch, -(luma ? 16.0f : 128.0f) * stretch};
}

const std::uint8_t *rowOf(const TPlane &plane, int y) {
    return plane.data + static_cast<std::ptrdiff_t>(plane.stride) * (y >> plane.shiftY);
}

float sampleAt(const TPlane &plane, const std::uint8_t *row, int x) {
    x >>= plane.shiftX;
    if (plane.bits <= 8) {
        return row[x];
    }
    std::uint16_t value = 0;
    std::memcpy(&value, row + 2 * static_cast<std::ptrdiff_t>(x), sizeof value);
    return value;
}

// Clamped to 0..255 first, so adding a half and truncating rounds to nearest (lround costs a call
// per sample here).
std::uint8_t toByte(float value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0.0f, 255.0f) +
                                     0.5f); // NOLINT(bugprone-incorrect-roundings)
}

} // namespace

TYCbCrMatrix YCbCrMatrixFor(int coefficients, bool fullRange) {
    TYCbCrMatrix matrix;
    matrix.fullRange = fullRange;
    const LumaWeights k = weightsOf(coefficients);
    if (k.kr > 0.0f && k.kb > 0.0f) {
        const float kg = 1.0f - k.kr - k.kb;
        matrix.rCr = 2.0f * (1.0f - k.kr);
        matrix.bCb = 2.0f * (1.0f - k.kb);
        matrix.gCb = -2.0f * k.kb * (1.0f - k.kb) / kg;
        matrix.gCr = -2.0f * k.kr * (1.0f - k.kr) / kg;
    }
    return matrix;
}

void PlanarRowToRgb(const TPlanarImage &image, const TYCbCrMatrix &matrix, int y, std::uint8_t *out) {
    const TPlane &p0 = image.planes[0];
    const std::uint8_t *row0 = rowOf(p0, y);
    if (image.kind == TPlanarKind::Monochrome) {
        const Linear l = linearOf(p0, true, matrix.fullRange);
        for (int x = 0; x < image.width; ++x, out += 3) {
            out[0] = out[1] = out[2] = toByte(sampleAt(p0, row0, x) * l.scale + l.offset);
        }
        return;
    }
    const TPlane &p1 = image.planes[1];
    const TPlane &p2 = image.planes[2];
    const std::uint8_t *row1 = rowOf(p1, y);
    const std::uint8_t *row2 = rowOf(p2, y);
    if (image.kind == TPlanarKind::Rgb) {
        const float s0 = std::ldexp(1.0f, 8 - p0.bits);
        const float s1 = std::ldexp(1.0f, 8 - p1.bits);
        const float s2 = std::ldexp(1.0f, 8 - p2.bits);
        for (int x = 0; x < image.width; ++x, out += 3) {
            out[0] = toByte(sampleAt(p0, row0, x) * s0);
            out[1] = toByte(sampleAt(p1, row1, x) * s1);
            out[2] = toByte(sampleAt(p2, row2, x) * s2);
        }
        return;
    }
    const Linear ly = linearOf(p0, true, matrix.fullRange);
    const Linear lb = linearOf(p1, false, matrix.fullRange);
    const Linear lr = linearOf(p2, false, matrix.fullRange);
    for (int x = 0; x < image.width; ++x, out += 3) {
        const float luma = sampleAt(p0, row0, x) * ly.scale + ly.offset;
        const float cb = sampleAt(p1, row1, x) * lb.scale + lb.offset;
        const float cr = sampleAt(p2, row2, x) * lr.scale + lr.offset;
        out[0] = toByte(luma + matrix.rCr * cr);
        out[1] = toByte(luma + matrix.gCb * cb + matrix.gCr * cr);
        out[2] = toByte(luma + matrix.bCb * cb);
    }
}
