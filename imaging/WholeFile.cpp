#include "WholeFile.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The same temporary name and rename as QSaveFile, without its sync to the disk, in the fewest
// system calls: create the temporary, write, close, rename.
void writeUnsynced(const QString &path, const QByteArray &bytes) {
    QByteArray temporary = QFile::encodeName(path) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        throw std::runtime_error(std::strerror(errno));
    }
    const auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temporary.constData());
        throw std::runtime_error(std::strerror(error));
    };
    // The permissions a new file gets (mkostemp gives the owner's only). The process mask is read
    // once, at the first cache write, since reading it means setting it for a moment.
    static const mode_t mask = [] {
        const mode_t m = ::umask(022);
        ::umask(m);
        return m;
    }();
    if (::fchmod(fd, 0666 & ~mask) != 0) {
        fail(errno);
    }
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + written, std::size_t(bytes.size() - written));
        if (n < 0 && errno != EINTR) {
            fail(errno);
        }
        written += qMax<ssize_t>(n, 0);
    }
    if (::close(fd) != 0 || ::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        throw std::runtime_error(std::strerror(error));
    }
}

} // namespace

void WriteWholeFile(const QString &path, const QByteArray &bytes, WholeFileSync sync) {
    if (sync == WholeFileSync::Synced) {
        writeSynced(path, bytes);
    } else {
        writeUnsynced(path, bytes);
    }
}
