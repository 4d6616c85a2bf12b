#include "LoadedPhoto.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <stdexcept>

void TLoadedPhoto::LoadFromFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error((path + QStringLiteral(": ") + file.errorString()).toStdString());
    }
    QByteArray bytes = file.readAll();
    // The header tells whether the data is an image the viewer can show; decoding waits for the viewer.
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    if (bytes.isEmpty() || !reader.canRead() || !reader.size().isValid()) {
        throw std::runtime_error((path + QStringLiteral(": 不是可读取的图片")).toStdString());
    }
    bytes_ = bytes; // shared, not copied
}
