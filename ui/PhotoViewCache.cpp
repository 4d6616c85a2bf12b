#include "PhotoViewCache.h"

#include <QPainter>

void TPhotoViewCache::Draw(QPainter &painter, const QImage &photo, const QRect &target, const QRegion &exposed,
                           const QRect &viewport) {
    if (photo.isNull() || target.isEmpty()) {
        return;
    }
    if (photo.cacheKey() != PhotoKey || target.size() != ScaledSize) {
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

void TPhotoViewCache::DrawWhole(QPainter &painter, const QRect &target, const QRegion &wanted) {
    for (const QRect &r : wanted) {
        painter.drawImage(r.topLeft(), Whole, r.translated(-target.topLeft()));
    }
}

void TPhotoViewCache::DrawVisible(QPainter &painter, const QImage &photo, const QRect &target,
                                  const QRegion &wanted, const QRect &viewport) {
    // Everything below works in scaled-photo coordinates: pixel (0, 0) is the target's corner.
    const QPoint corner = target.topLeft();
    const QRect seen = (viewport & target).translated(-corner);
    MoveVisibleWindow(seen.topLeft(), viewport.size(), !photo.hasAlphaChannel());
    if (Visible.isNull()) {
        return;
    }
    const QRegion needed = wanted.translated(-corner);
    const QRegion missing = needed - VisibleValid;
    if (!missing.isEmpty()) {
        QPainter scaler(&Visible);
        scaler.setRenderHint(QPainter::SmoothPixmapTransform);
        scaler.setCompositionMode(QPainter::CompositionMode_Source);
        const QRectF whole(-VisibleOrigin.x(), -VisibleOrigin.y(), ScaledSize.width(), ScaledSize.height());
        // One rectangle at a time: a rectangular clip lets the filter run over just those pixels.
        for (const QRect &r : missing) {
            scaler.setClipRect(r.translated(-VisibleOrigin));
            scaler.drawImage(whole, photo);
        }
        VisibleValid += missing;
    }
    for (const QRect &r : wanted) {
        painter.drawPixmap(r.topLeft(), Visible, r.translated(-corner - VisibleOrigin));
    }
}

void TPhotoViewCache::MoveVisibleWindow(QPoint origin, QSize size, bool opaque) {
    if (Visible.size() != size) {
        Visible = QPixmap(size);
        if (!opaque) {
            Visible.fill(Qt::transparent);
        }
        VisibleValid = QRegion();
        VisibleOrigin = origin;
        return;
    }
    if (origin == VisibleOrigin) {
        return;
    }
    VisibleValid &= QRect(origin, size);
    if (!VisibleValid.isEmpty()) {
        // Keep the pixels still in view: a drag then scales only the strips that came in.
        const QPoint shift = VisibleOrigin - origin;
        Visible.scroll(shift.x(), shift.y(), Visible.rect());
    }
    VisibleOrigin = origin;
}

void TPhotoViewCache::Clear() {
    PhotoKey = 0;
    ScaledSize = QSize();
    Whole = QImage();
    WholeRefused = false;
    Visible = QPixmap();
    VisibleValid = QRegion();
    VisibleOrigin = QPoint();
}

qint64 TPhotoViewCache::CachedPixels() const {
    return qint64(Whole.width()) * Whole.height() + qint64(Visible.width()) * Visible.height();
}
