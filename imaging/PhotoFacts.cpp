#include "PhotoFacts.h"

#include "JpegReader.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

#include <exception>

namespace {

// The size as Qt's readers see it, upright.
SizeRules::TSize UprightSizeFrom(QImageReader &reader) {
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (!size.isValid()) {
        return {};
    }
    const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    return turned ? SizeRules::TSize{size.height(), size.width()}
                  : SizeRules::TSize{size.width(), size.height()};
}

} // namespace

TPhotoFacts ReadPhotoFacts(const QString &path) {
    TPhotoFacts facts;
    facts.bytes = QFileInfo(path).size();
    try {
        const TJpegReader reader(path);
        facts.size = reader.UprightSize();
        facts.dateTaken = reader.DateTaken();
    } catch (const std::exception &) {
        // Not a JPEG.
        QImageReader other(path);
        facts.size = UprightSizeFrom(other);
    }
    return facts;
}

SizeRules::TSize UprightSizeOf(const QByteArray &image) {
    QBuffer buffer;
    buffer.setData(image);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return UprightSizeFrom(reader);
}
