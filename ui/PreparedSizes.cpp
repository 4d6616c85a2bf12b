#include "PreparedSizes.h"

#include <QSize>
#include <QtGlobal>

namespace PreparedSizes {

namespace {

QString sizeText(const QString &what, QSize pixels, qsizetype bytes) {
    return QStringLiteral("%1 %2 × %3 像素,%4 KB")
        .arg(what)
        .arg(pixels.width())
        .arg(pixels.height())
        .arg(double(bytes) / 1024.0, 0, 'f', 1);
}

} // namespace

QString SourceText(const PhotoWorkflow::TPreparedPhoto &photo) {
    return sizeText(QStringLiteral("照片"), photo.sourceSize, photo.source.size());
}

QString SmallText(const PhotoWorkflow::TPreparedPhoto &photo, int zoomWidth, int zoomHeight) {
    return sizeText(QStringLiteral("小图"), photo.smallSize, photo.small.size()) +
           QStringLiteral("(按 %1 × %2 缩小)")
               .arg(qMax(zoomWidth, PhotoWorkflow::kMinSmallWidth))
               .arg(qMax(zoomHeight, PhotoWorkflow::kMinSmallHeight));
}

} // namespace PreparedSizes
