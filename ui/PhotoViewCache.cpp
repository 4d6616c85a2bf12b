#include "PhotoViewCache.h"

#include <QPainter>
#include <QPromise>
#include <QScopeGuard>

#include <algorithm>
#include <memory>
#include <utility>

void TPhotoViewCache::TLaterDelete::operator()(QObject *job) const {
    // No more word from it; it goes once the event that may be telling of it now is handled.
    job->disconnect();
    job->deleteLater();
}

TPhotoViewCache::TPhotoViewCache(std::function<void()> smoothReady) : SmoothReady(std::move(smoothReady)) {
    Worker.setMaxThreadCount(1);
}

TPhotoViewCache::~TPhotoViewCache() = default;

void TPhotoViewCache::Draw(QPainter &painter, const QImage &photo, const QRect &target,
                           const QRegion &exposed, const QRect &viewport) {
    if (photo.isNull() || target.isEmpty()) {
        return;
    }
    // The copy of the last scale goes once this paint is done.
    QImage dropped;
    const auto letGo = qScopeGuard([&dropped] { LetGo(std::move(dropped)); });
    if (photo.cacheKey() != PhotoKey || target.size() != ScaledSize) {
        dropped = std::exchange(Whole, QImage());
        Clear();
        PhotoKey = photo.cacheKey();
        ScaledSize = target.size();
    }
    const QRegion wanted = exposed & viewport & target;
    if (wanted.isEmpty()) {
        return;
    }
    const qint64 scaledPixels = qint64(ScaledSize.width()) * ScaledSize.height();
    if (Whole.isNull() && !WholeRefused && scaledPixels <= MaxScaledPixels) {
        if (scaledPixels + qint64(photo.width()) * photo.height() > MaxPixelsScaledInPaint) {
            // Painted before the copy is started, so that the two do not share the processor.
            DrawUnfiltered(painter, photo, target, wanted);
            Photo = photo;
            StartSmoothCopy();
            return;
        }
        // Smooth scaling averages the pixels a reduction drops, which a per-pixel filter cannot.
        Whole = photo.scaled(ScaledSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        WholeRefused = Whole.isNull();
    }
    if (!Whole.isNull()) {
        DrawWhole(painter, target, wanted);
    } else {
        // Too large to hold whole, or memory for it was refused.
        DrawVisible(painter, photo, target, wanted, viewport);
    }
}

void TPhotoViewCache::StartSmoothCopy() {
    if (Job) {
        return; // when it is done, SmoothCopyMade asks for the size wanted then
    }
    JobKey = PhotoKey;
    JobSize = ScaledSize;
    // The copy travels in a slot of its own rather than in the future, so that this thread holds the
    // only reference to it once it is done.
    JobResult = std::make_shared<QImage>();
    auto promise = std::make_shared<QPromise<void>>();
    Job.reset(new QFutureWatcher<void>());
    QObject::connect(Job.get(), &QFutureWatcherBase::finished, Job.get(), [this] { SmoothCopyMade(); });
    Job->setFuture(promise->future());
    Worker.start([promise, result = JobResult, photo = Photo, size = ScaledSize] {
        promise->start();
        *result = photo.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        promise->finish();
    });
}

void TPhotoViewCache::SmoothCopyMade() {
    QImage copy = std::exchange(*JobResult, QImage());
    JobResult.reset();
    Job.reset();
    if (Photo.isNull() || JobKey != PhotoKey || JobSize != ScaledSize) {
        LetGo(std::move(copy));
        if (!Photo.isNull()) {
            StartSmoothCopy(); // the scale or the photo changed while this one was being made
        }
        return;
    }
    Whole = std::move(copy);
    WholeRefused = Whole.isNull();
    Photo = QImage();
    if (SmoothReady) {
        SmoothReady();
    }
}

void TPhotoViewCache::LetGo(QImage image) {
    // Handing back the pages of a large image takes milliseconds a zoom step cannot spare.
    if (qint64(image.width()) * image.height() > MaxPixelsScaledInPaint) {
        QThreadPool::globalInstance()->start([image = std::move(image)]() mutable { image = QImage(); });
    }
}

void TPhotoViewCache::DrawUnfiltered(QPainter &painter, const QImage &photo, const QRect &target,
                                     const QRegion &wanted) {
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    for (const QRect &r : wanted) {
        // A rectangular clip lets the scaling run over just these pixels.
        painter.setClipRect(r);
        painter.drawImage(QRectF(target), photo);
    }
    painter.restore();
}

void TPhotoViewCache::DrawWhole(QPainter &painter, const QRect &target, const QRegion &wanted) {
    for (const QRect &r : wanted) {
        painter.drawImage(r.topLeft(), Whole, r.translated(-target.topLeft()));
    }
}

namespace {

int FloorMod(int value, int period) {
    const int m = value % period;
    return m < 0 ? m + period : m;
}

// Calls f(piece, slot) for the pieces of r (scaled-photo coordinates) that do not cross a wrap
// boundary of a buffer of size period, with where each piece starts in that buffer.
template <class F> void ForEachWrappedPiece(const QRect &r, QSize period, F f) {
    for (int y = r.top(); y <= r.bottom();) {
        const int slotY = FloorMod(y, period.height());
        const int h = std::min(r.bottom() + 1 - y, period.height() - slotY);
        for (int x = r.left(); x <= r.right();) {
            const int slotX = FloorMod(x, period.width());
            const int w = std::min(r.right() + 1 - x, period.width() - slotX);
            f(QRect(x, y, w, h), QPoint(slotX, slotY));
            x += w;
        }
        y += h;
    }
}

} // namespace

void TPhotoViewCache::DrawVisible(QPainter &painter, const QImage &photo, const QRect &target,
                                  const QRegion &wanted, const QRect &viewport) {
    // Scaled-photo coordinates below: pixel (0, 0) is the target's corner.
    const QPoint corner = target.topLeft();
    const QRect seen = (viewport & target).translated(-corner);
    const QSize room = viewport.size() + QSize(2 * VisibleMargin, 2 * VisibleMargin);
    if (Visible.size() != room) {
        Visible = QPixmap(room);
        if (Visible.isNull()) {
            return;
        }
        if (photo.hasAlphaChannel()) {
            Visible.fill(Qt::transparent);
        }
        VisibleValid = QRegion();
        VisibleWindow = QRect();
    }
    if (!VisibleWindow.contains(seen)) {
        // Pixels that leave the window would share slots with those coming in.
        VisibleWindow = QRect(seen.topLeft() - QPoint(VisibleMargin, VisibleMargin), room);
        VisibleValid &= VisibleWindow;
    }

    const QRegion needed = wanted.translated(-corner);
    QRegion missing;
    if (!(needed - VisibleValid).isEmpty()) {
        // Fill ahead: the margin around what is needed, so that the next drag steps find it ready.
        const QRect ahead =
            needed.boundingRect().adjusted(-VisibleMargin, -VisibleMargin, VisibleMargin, VisibleMargin);
        missing = QRegion(ahead & VisibleWindow & QRect(QPoint(0, 0), ScaledSize)) - VisibleValid;
    }
    if (!missing.isEmpty()) {
        QPainter scaler(&Visible);
        scaler.setRenderHint(QPainter::SmoothPixmapTransform);
        scaler.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect &r : missing) {
            ForEachWrappedPiece(r, Visible.size(), [&](const QRect &piece, QPoint slot) {
                // A rectangular clip lets the filter run over just these pixels.
                scaler.setClipRect(QRect(slot, piece.size()));
                const QPoint shift = slot - piece.topLeft();
                scaler.drawImage(QRectF(shift.x(), shift.y(), ScaledSize.width(), ScaledSize.height()),
                                 photo);
            });
        }
        VisibleValid += missing;
    }
    for (const QRect &r : wanted) {
        ForEachWrappedPiece(r.translated(-corner), Visible.size(), [&](const QRect &piece, QPoint slot) {
            painter.drawPixmap(piece.topLeft() + corner, Visible, QRect(slot, piece.size()));
        });
    }
}

void TPhotoViewCache::Clear() {
    PhotoKey = 0;
    ScaledSize = QSize();
    LetGo(std::exchange(Whole, QImage()));
    WholeRefused = false;
    Visible = QPixmap();
    VisibleValid = QRegion();
    VisibleWindow = QRect();
    Photo = QImage();
}

qint64 TPhotoViewCache::CachedPixels() const {
    return qint64(Whole.width()) * Whole.height() + qint64(Visible.width()) * Visible.height();
}
