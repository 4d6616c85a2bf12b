#pragma once
// The size a prepared photo will be sent at, as the photo editor and the sheet of several photos show
// it before anything is sent: pixels and kilobytes of the photo and of its small version, the small one
// against the company's limits.

#include "client/PhotoWorkflow.h"

#include <QString>

namespace PreparedSizes {

// "照片 1600 × 1200 像素,245.3 KB"
QString SourceText(const PhotoWorkflow::TPreparedPhoto &photo);
// "小图 1024 × 768 像素,80.1 KB(按 1024 × 768 缩小)": the limits the small version is reduced by, the
// company's raised to the smallest ones as the preparation does.
QString SmallText(const PhotoWorkflow::TPreparedPhoto &photo, int zoomWidth, int zoomHeight);

} // namespace PreparedSizes
