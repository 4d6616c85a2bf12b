#pragma once
// Turns rows of a planar image as video codecs decode it (YCbCr with full or subsampled chroma,
// monochrome, or planar RGB; 8 to 16 bits a sample) into 8-bit RGB rows, one at a time, so that no
// full-size RGB copy of the picture is ever made. The YCbCr matrix and range are those the file
// declares (H.273 matrix coefficients and full-range flag).

#include <cstdint>

// One plane: samples of `bits` bits, one byte each up to 8 bits, else two in native byte order.
// Chroma planes of subsampled images are `shiftX`/`shiftY` times halved in each direction.
struct TPlane {
    const std::uint8_t *data = nullptr;
    int stride = 0; // bytes from one row to the next
    int bits = 8;
    int shiftX = 0;
    int shiftY = 0;
};

enum class TPlanarKind { YCbCr, Monochrome, Rgb };

struct TPlanarImage {
    TPlanarKind kind = TPlanarKind::YCbCr;
    int width = 0;
    TPlane planes[3]; // Y, Cb, Cr; or R, G, B; monochrome uses the first only
};

// What turns Y'CbCr into R'G'B': the weights of the colour differences, and whether the samples use
// the full range or the limited (video) range of their bit depth.
struct TYCbCrMatrix {
    float rCr = 1.402f;
    float gCb = -0.344136f;
    float gCr = -0.714136f;
    float bCb = 1.772f;
    bool fullRange = true;
};

// The matrix of H.273 matrix coefficients `coefficients` (BT.709: 1, BT.601: 5 and 6, SMPTE 240M: 7,
// BT.2020: 9 and 10, FCC: 4); BT.601 for any other value, as the decoder library itself assumes.
TYCbCrMatrix YCbCrMatrixFor(int coefficients, bool fullRange);

// Writes row y of image as width * 3 bytes of 8-bit RGB to out.
void PlanarRowToRgb(const TPlanarImage &image, const TYCbCrMatrix &matrix, int y, std::uint8_t *out);
