#pragma once
// Decoding with libheif: its objects owned, its errors turned into exceptions, and a decoded
// picture seen as planes (see PlanarRgb.h).

#include "HeifLibrary.h"
#include "PlanarRgb.h"

#include <QByteArray>

#include <memory>

struct THeifContextFree {
    void operator()(heif_context *context) const { Heif().heif_context_free(context); }
};
struct THeifHandleRelease {
    void operator()(heif_image_handle *handle) const { Heif().heif_image_handle_release(handle); }
};
struct THeifImageRelease {
    void operator()(heif_image *image) const { Heif().heif_image_release(image); }
};
using THeifContext = std::unique_ptr<heif_context, THeifContextFree>;
using THeifHandle = std::unique_ptr<heif_image_handle, THeifHandleRelease>;
using THeifImage = std::unique_ptr<heif_image, THeifImageRelease>;

// Throws std::runtime_error with libheif's message when error is one.
void CheckHeif(const heif_error &error);

// A new, empty context. Throws std::runtime_error when memory runs out.
THeifContext NewHeifContext();

// The primary picture of the file read into context.
THeifHandle PrimaryHeifHandle(heif_context *context);

// The picture of handle, upright, in the form libheif keeps it after decoding: no conversion is
// asked for, because libheif 1.15 turns the codec's YCbCr into planar RGB at the codec's depth
// itself (before rotating), grey stays grey, later versions may hand over the YCbCr. Asking for
// interleaved 8-bit RGB made libheif hold one more full-size copy (two for 10-bit); asking for YCbCr
// makes it convert back.
THeifImage DecodeHeif(heif_image_handle *handle);

// The decoded picture's planes, each checked to cover the whole picture; its height goes to height.
// Throws std::runtime_error for a colour format PlanarRowToRgb does not take.
TPlanarImage HeifPlanes(const heif_image *image, int &height);

// The YCbCr matrix and range the file declares for the picture, else libheif's own default.
TYCbCrMatrix HeifMatrix(const heif_image *image, const heif_image_handle *handle);
