#include "PhotoViewState.h"

#include <cmath>
#include <limits>

namespace {

int SaturateToInt(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    if (value <= static_cast<double>(std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(value);
}

int AddSaturated(int a, int b) {
    return SaturateToInt(static_cast<double>(a) + static_cast<double>(b));
}

} // namespace

int RoundHalfEven(double value) {
    // nearbyint rounds in the default mode, to nearest with ties to even.
    return SaturateToInt(std::nearbyint(value));
}

bool TViewRect::Contains(QPoint point) const {
    return point.x() >= Left && point.x() < Right && point.y() >= Top && point.y() < Bottom;
}

TViewRect TViewRect::Offset(int dx, int dy) const {
    return {AddSaturated(Left, dx), AddSaturated(Top, dy), AddSaturated(Right, dx), AddSaturated(Bottom, dy)};
}

void TPhotoViewState::StepUp() {
    // The sum is formed in double and then stored in single precision; that rounding is what makes
    // 41 steps reach the cap and a run of steps up and down return to exactly 1.
    ViewScale = static_cast<float>(static_cast<double>(ViewScale) + 0.1);
    if (ViewScale > MaxScale) {
        ViewScale = MaxScale;
    }
    Zoomed = ViewScale != 1.0f;
}

void TPhotoViewState::StepDown() {
    ViewScale = static_cast<float>(static_cast<double>(ViewScale) - 0.1);
    if (!(static_cast<double>(ViewScale) > 0.1)) {
        ViewScale = MinScale;
    }
    Zoomed = ViewScale != 1.0f;
}

TViewRect TPhotoViewState::ScaledRect(int left, int top, QSize imageSize) const {
    const double s = ViewScale;
    return {left, top, AddSaturated(left, RoundHalfEven(imageSize.width() * s)),
            AddSaturated(top, RoundHalfEven(imageSize.height() * s))};
}

TViewRect TPhotoViewState::HitRect(QSize imageSize) const {
    return Zoomed ? ScaledRect(DrawRect.Left, DrawRect.Top, imageSize) : DrawRect;
}

void TPhotoViewState::Loaded(QSize imageSize) {
    DrawRect = {0, 0, imageSize.width(), imageSize.height()};
}

void TPhotoViewState::SettleForPaint(QSize imageSize) {
    if (Zoomed && Dragging) {
        DrawRect = ScaledRect(DrawRect.Left, DrawRect.Top, imageSize);
    }
}

QRect TPhotoViewState::PictureRect(QSize imageSize) const {
    return Zoomed ? DrawRect.ToQRect() : QRect(QPoint(DrawRect.Left, DrawRect.Top), imageSize);
}

bool TPhotoViewState::Press(QPoint point, QSize imageSize) {
    if (!HitRect(imageSize).Contains(point)) {
        return false;
    }
    LastPoint = point;
    Dragging = true;
    return true;
}

bool TPhotoViewState::Move(QPoint point, QSize imageSize) {
    if (!Dragging) {
        return false;
    }
    DrawRect = HitRect(imageSize).Offset(point.x() - LastPoint.x(), point.y() - LastPoint.y());
    LastPoint = point;
    return true;
}

void TPhotoViewState::Close() {
    Dragging = false;
    Zoomed = false;
    LastPoint = QPoint(0, 0);
    ViewScale = 1.0f;
    DrawRect = {};
}
