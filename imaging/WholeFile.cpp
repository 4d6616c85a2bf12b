#include "WholeFile.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {

void writeSynced(const QString &path, const QByteArray &bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw std::runtime_error(file.errorString().toStdString());
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        // Without a commit QSaveFile removes its temporary file when it goes out of scope.
        throw std::runtime_error(file.errorString().toStdString());
    }
}

// The same temporary name and rename as QSaveFile, without its sync to the disk.
void writeUnsynced(const QString &path, const QByteArray &bytes) {
    QTemporaryFile file(path + QStringLiteral(".XXXXXX")); // removed when it goes out of scope unrenamed
    if (!file.open()) {
        throw std::runtime_error(file.errorString().toStdString());
    }
    // Readable like a file written with the usual permissions, not only by its owner.
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        throw std::runtime_error(file.errorString().toStdString());
    }
    file.close();
    if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) != 0) {
        throw std::runtime_error(std::strerror(errno));
    }
    file.setAutoRemove(false); // it is the target now
}

} // namespace

void WriteWholeFile(const QString &path, const QByteArray &bytes, WholeFileSync sync) {
    if (sync == WholeFileSync::Synced) {
        writeSynced(path, bytes);
    } else {
        writeUnsynced(path, bytes);
    }
}
