#pragma once
// Where the viewer's picture is and how large: the display scale with its single-precision steps,
// the rectangle the picture occupies, the hit test and the drag. Pure arithmetic, no painting, so
// that every rule here can be checked without a window.

#include <QPoint>
#include <QRect>
#include <QSize>

// Nearest integer, exact halves to the even neighbour; saturates at the int range.
int RoundHalfEven(double value);

// A rectangle by its edges; right and bottom lie just outside it.
struct TViewRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    // Left and top edges inside, right and bottom edges outside.
    bool Contains(QPoint point) const;
    TViewRect Offset(int dx, int dy) const;
    QRect ToQRect() const { return QRect(Left, Top, Width(), Height()); }
    bool operator==(const TViewRect &) const = default;
};

class TPhotoViewState {
public:
    static constexpr float MinScale = 0.1f;
    static constexpr float MaxScale = 5.0f;

    float ViewScale = 0.0f; // 1 at every load
    bool Zoomed = false;    // ViewScale differs from 1, as the last scale step left it
    bool Dragging = false;
    QPoint LastPoint;
    TViewRect DrawRect;

    // One scale step of 0.1 up or down, the sum stored in single precision and held within
    // MinScale..MaxScale; Zoomed follows.
    void StepUp();
    void StepDown();

    // The rectangle of an image of imageSize at the current scale with its top-left corner at
    // (left, top).
    TViewRect ScaledRect(int left, int top, QSize imageSize) const;
    // Where a press grabs the picture: the scaled rectangle at DrawRect's corner when zoomed.
    TViewRect HitRect(QSize imageSize) const;

    // A photo of imageSize was loaded: at its own size in the top-left corner (scale is set to 1
    // before the load is tried, see ResetScale).
    void Loaded(QSize imageSize);
    void ResetScale() { ViewScale = 1.0f; }
    // Back to the top-left corner at the current scale (after a zoom or rotation command).
    void ToCorner(QSize imageSize) { DrawRect = ScaledRect(0, 0, imageSize); }
    // Before a paint: a zoomed picture being dragged takes the current scale.
    void SettleForPaint(QSize imageSize);
    // Where a paint puts the picture: DrawRect when zoomed (after SettleForPaint), else the photo at
    // its own size at DrawRect's corner.
    QRect PictureRect(QSize imageSize) const;

    // Left-button press at point: starts a drag when it hits the picture; true when it did.
    bool Press(QPoint point, QSize imageSize);
    // Pointer moved to point: while dragging, moves the picture along; true when it moved.
    bool Move(QPoint point, QSize imageSize);
    void Release() { Dragging = false; }

    // The viewer was closed: everything back to rest.
    void Close();
};
