#include "PhotoFacts.h"

#include "JpegReader.h"

#include <QFileInfo>
#include <QImageReader>

#include <exception>

TPhotoFacts ReadPhotoFacts(const QString &path) {
    TPhotoFacts facts;
    facts.bytes = QFileInfo(path).size();
    try {
        const TJpegReader reader(path);
        facts.size = reader.UprightSize();
        facts.dateTaken = reader.DateTaken();
    } catch (const std::exception &) {
        // Not a JPEG: the size as Qt's readers see it, upright.
        QImageReader other(path);
        other.setAutoTransform(true);
        const QSize size = other.size();
        const bool turned = other.transformation().testFlag(QImageIOHandler::TransformationRotate90);
        if (size.isValid()) {
            facts.size = turned ? SizeRules::TSize{size.height(), size.width()}
                                : SizeRules::TSize{size.width(), size.height()};
        }
    }
    return facts;
}
