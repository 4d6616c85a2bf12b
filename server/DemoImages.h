#pragma once
// Generated photos for the demo data: painted scenes saved as JPEG, no files needed.

#include <QByteArray>
#include <QSize>

namespace DemoImages {

// A JPEG of the given size; `variant` picks colours and shapes so that photos differ.
QByteArray PaintJpeg(QSize size, int variant);

} // namespace DemoImages
