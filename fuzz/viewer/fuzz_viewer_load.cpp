// libFuzzer target: a cached photo file as the viewer loads it, turned upright by its EXIF
// orientation. Any input must give an image or an error text.

#include "ViewPhotoLoad.h"

#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    static QCoreApplication app(*argc, *argv); // the image format plugins need an application
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("photo.jpg"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            return 0;
        }
        file.write(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    }
    const TUprightPhoto photo = LoadUprightPhoto(path);
    if (!photo.Image.isNull()) {
        RotatedQuarter(photo.Image, true);
    }
    return 0;
}
