#pragma once
// The texts above the preview: the size label of a shown photo, and the wheel notches one wheel event
// turns (120 units a notch, remainders carried to the next event as the platform does).

#include <QString>

#include <cstdint>

namespace PreviewText {

// "照片大小:" + kilobytes with two decimals + "KB", or megabytes + "M" above 1024 KB; empty for a size of
// 0 or less (the label then keeps its text).
QString SizeLabel(std::int64_t bytes);

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
