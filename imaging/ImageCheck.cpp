#include "ImageCheck.h"

#include "HeifImage.h"
#include "ImageFile.h"
#include "JpegReader.h"
#include "QtImageFormats.h"

#include <QFile>

#include <exception>

TImageCheck CheckImageFile(const QString &path) {
    TImageCheck check;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return check;
    }
    check.kind = SniffImageKind(file.read(32));
    file.close();
    try {
        switch (check.kind) {
        case ImageKind::NotImage:
            break;
        case ImageKind::Jpeg: {
            const TJpegReader header(path);
            break;
        }
        case ImageKind::Heif:
            HeifUprightSize(path);
            break;
        default:
            QtImageUprightSize(ReadImageFile(path), check.kind);
            break;
        }
    } catch (const std::exception &e) {
        check.error = QString::fromUtf8(e.what());
    }
    return check;
}
