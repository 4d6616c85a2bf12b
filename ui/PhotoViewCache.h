#pragma once
// Paints a photo stretched into a rectangle, fast enough to follow a zoom step and a drag. The
// smoothly scaled photo is kept between paints and rebuilt only when the photo or the scaled size
// changes, so a drag only copies pixels. Scaling a large photo smoothly takes far longer than a paint
// may, so that copy is made on a worker thread: until it arrives the paints take their pixels straight
// from the photo without filtering, then the owner is told to paint again. A scaled photo beyond
// MaxScaledPixels is never made whole: then only the part in view and a margin around it is scaled
// and kept, and a drag scales more only when it has used up the margin.

#include <QFutureWatcher>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QRegion>
#include <QThreadPool>

#include <functional>
#include <memory>

class QPainter;

class TPhotoViewCache {
public:
    static constexpr qint64 MaxScaledPixels = 64'000'000;
    // Up to this many pixels read and written, the smooth copy is made within the paint: it takes
    // a few milliseconds and the picture never shows unfiltered.
    static constexpr qint64 MaxPixelsScaledInPaint = 1'500'000;
    // Scaled pixels kept beyond each edge of the viewport when the photo is not held whole. Filling
    // a band this wide costs little more than a strip one pixel wide (the filter pays per row).
    static constexpr int VisibleMargin = 64;

    // smoothReady runs on the owner's thread when a smooth copy made on the worker thread is ready:
    // the owner paints again.
    explicit TPhotoViewCache(std::function<void()> smoothReady = {});
    // Waits for a smooth copy being made, which nobody will paint.
    ~TPhotoViewCache();
    TPhotoViewCache(const TPhotoViewCache &) = delete;
    TPhotoViewCache &operator=(const TPhotoViewCache &) = delete;

    // Paints the exposed part of photo scaled into target; viewport is the area that can be seen.
    void Draw(QPainter &painter, const QImage &photo, const QRect &target, const QRegion &exposed,
              const QRect &viewport);
    // Lets go of every cached pixel.
    void Clear();

    // Pixels held now, for checking the memory bound.
    qint64 CachedPixels() const;
    bool HoldsWholePhoto() const { return !Whole.isNull(); }
    // The last paint showed unfiltered pixels; the smooth copy for it is being made.
    bool SmoothPending() const { return !Photo.isNull(); }

private:
    void DrawWhole(QPainter &painter, const QRect &target, const QRegion &wanted);
    void DrawUnfiltered(QPainter &painter, const QImage &photo, const QRect &target, const QRegion &wanted);
    void DrawVisible(QPainter &painter, const QImage &photo, const QRect &target, const QRegion &wanted,
                     const QRect &viewport);
    // Starts making the smooth copy of Photo at ScaledSize, unless a copy is being made already.
    void StartSmoothCopy();
    void SmoothCopyMade();
    // Drops an image, a large one on another thread.
    static void LetGo(QImage image);

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

    std::function<void()> SmoothReady;
    // The worker thread. Not one of the global pool's: from outside it, the smooth scaling spreads
    // its rows over the global pool's threads.
    QThreadPool Worker;
    QImage Photo;      // the photo whose smooth copy at ScaledSize is wanted; null when none is
    qint64 JobKey = 0; // the photo and the size of the copy being made
    QSize JobSize;
    // The smooth copy being made; deleted only once the event that reports it is done.
    struct TLaterDelete {
        void operator()(QObject *job) const;
    };
    std::unique_ptr<QFutureWatcher<void>, TLaterDelete> Job;
    std::shared_ptr<QImage> JobResult; // where the worker puts the copy
};
