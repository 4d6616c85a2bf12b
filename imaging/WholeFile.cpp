#include "WholeFile.h"

#include <QSaveFile>

#include <stdexcept>

void WriteWholeFile(const QString &path, const QByteArray &bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw std::runtime_error(file.errorString().toStdString());
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        // Without a commit QSaveFile removes its temporary file when it goes out of scope.
        throw std::runtime_error(file.errorString().toStdString());
    }
}
