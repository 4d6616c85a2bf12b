#include "ViewPhotoLoad.h"

#include <QImageReader>
#include <QTransform>

TUprightPhoto LoadUprightPhoto(const QString &path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    TUprightPhoto result;
    result.Image = reader.read();
    if (result.Image.isNull()) {
        result.Error = reader.errorString();
        return result;
    }
    // Painting copies rows straight into the window only from these two formats.
    const QImage::Format paintable =
        result.Image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (result.Image.format() != paintable) {
        result.Image.convertTo(paintable);
        if (result.Image.isNull()) {
            result.Error = QStringLiteral("not enough memory to convert the image");
        }
    }
    return result;
}

QImage RotatedQuarter(const QImage &image, bool clockwise) {
    return image.transformed(QTransform().rotate(clockwise ? 90 : 270));
}
