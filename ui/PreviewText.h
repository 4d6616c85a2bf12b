#pragma once
// The texts above the preview: the size label of a shown photo, the facts shown on hover, and the wheel
// notches one wheel event turns (120 units a notch, remainders carried to the next event as the platform
// does).

#include "imaging/PhotoFacts.h"

#include <QString>

#include <cstdint>

namespace PreviewText {

// "照片大小:" + kilobytes with two decimals + "KB", or megabytes + "M" above 1024 KB; empty for a size of
// 0 or less (the label then keeps its text).
QString SizeLabel(std::int64_t bytes);

// The facts of a shown photo, one a line: "尺寸:W × H 像素", "文件大小:" as in the size label, and
// "拍摄时间:" with the date taken when known. A fact that could not be read is left out.
QString FactsText(const TPhotoFacts &facts);

} // namespace PreviewText

// Counts whole wheel notches across events.
class TWheelNotches {
public:
    // Adds one event's delta (positive away from the user) and returns the whole notches it completes,
    // positive away from the user, negative towards the user.
    int Add(int angleDelta);

private:
    int pending_ = 0;
};
