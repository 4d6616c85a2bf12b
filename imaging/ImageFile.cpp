#include "ImageFile.h"

#include <QFile>

#include <stdexcept>

void OpenImageFile(QFile &file) {
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error(file.errorString().toStdString());
    }
    const qint64 size = file.size();
    if (size > kMaxImageFileBytes) {
        throw std::runtime_error("the file is larger than the 512 MiB accepted");
    }
    if (size == 0) {
        throw std::runtime_error("the file is empty");
    }
}

QByteArray ReadImageFile(const QString &path) {
    QFile file(path);
    OpenImageFile(file);
    const qint64 size = file.size();
    QByteArray data(static_cast<qsizetype>(size), Qt::Uninitialized);
    const qint64 got = file.read(data.data(), size);
    if (got < 0) {
        throw std::runtime_error(file.errorString().toStdString());
    }
    data.truncate(static_cast<qsizetype>(got));
    if (data.isEmpty()) {
        throw std::runtime_error("the file is empty");
    }
    return data;
}

QByteArray ReadImageHead(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error(file.errorString().toStdString());
    }
    QByteArray head = file.read(kImageHeadBytes);
    if (head.isEmpty()) {
        throw std::runtime_error(file.error() == QFileDevice::NoError ? std::string("the file is empty")
                                                                      : file.errorString().toStdString());
    }
    return head;
}
