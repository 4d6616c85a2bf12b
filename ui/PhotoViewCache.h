#pragma once
// Paints a photo stretched into a rectangle, fast enough to follow a drag. The smoothly scaled
// photo is kept between paints and rebuilt only when the photo or the scaled size changes, so a
// drag only copies pixels. A scaled photo beyond MaxScaledPixels is never made whole: then only
// the part in view and a margin around it is scaled and kept, and a drag scales more only when it
// has used up the margin.

#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QRegion>

class QPainter;

class TPhotoViewCache {
public:
    static constexpr qint64 MaxScaledPixels = 64'000'000;
    // Scaled pixels kept beyond each edge of the viewport when the photo is not held whole. Filling
    // a band this wide costs little more than a strip one pixel wide (the filter pays per row).
    static constexpr int VisibleMargin = 64;

    // Paints the exposed part of photo scaled into target; viewport is the area that can be seen.
    void Draw(QPainter &painter, const QImage &photo, const QRect &target, const QRegion &exposed,
              const QRect &viewport);
    // Lets go of every cached pixel.
    void Clear();

    // Pixels held now, for checking the memory bound.
    qint64 CachedPixels() const;
    bool HoldsWholePhoto() const { return !Whole.isNull(); }

private:
    void DrawWhole(QPainter &painter, const QRect &target, const QRegion &wanted);
    void DrawVisible(QPainter &painter, const QImage &photo, const QRect &target, const QRegion &wanted,
                     const QRect &viewport);

    qint64 PhotoKey = 0;
    QSize ScaledSize;
    QImage Whole;              // the whole photo at ScaledSize
    bool WholeRefused = false; // memory for Whole was refused; not asked again for this size
    // Part of the scaled photo, stored wrapped around: scaled-photo pixel (x, y) lives at
    // (x mod width, y mod height). A drag thus never moves cached pixels; it only fills the slots
    // of the pixels that came into view.
    QPixmap Visible;
    QRect VisibleWindow;  // the scaled-photo pixels Visible has room for: the viewport and the margins
    QRegion VisibleValid; // the scaled-photo pixels Visible holds, in scaled-photo coordinates
};
