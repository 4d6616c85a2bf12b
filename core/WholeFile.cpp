#include "WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace {

// Temporaries are hidden files named after the process that writes them, ".wholefile-<pid>-<random>",
// so that the sweep can tell a dead writer's leftover from a live writer's draft.
constexpr char kPrefix[] = ".wholefile-";

QByteArray temporaryName(const QByteArray &folder) {
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = folder + '/' + kPrefix + QByteArray::number(::getpid()) + '-';
    for (int i = 0; i < 8; ++i) {
        name += kChars[QRandomGenerator::global()->bounded(int(sizeof(kChars) - 1))];
    }
    return name;
}

// what is "<path>" or "in <folder>".
[[noreturn]] void fail(const QString &what, int error) {
    throw std::runtime_error(QStringLiteral("cannot write %1: %2")
                                 .arg(what, QString::fromLocal8Bit(std::strerror(error)))
                                 .toStdString());
}

// An unnamed file is named through its /proc link; without /proc it could never be named.
bool canNameUnnamedFiles() {
    static const bool can = ::access("/proc/self/fd", X_OK) == 0;
    return can;
}

} // namespace

class WholeFileDraft::Impl {
public:
    Impl(const QString &folderName, Staging staging) : folder(QFile::encodeName(folderName)) {
        if (staging == Staging::Automatic && canNameUnnamedFiles()) {
            // The mode is that of any new file: 0666 less the process mask.
            fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
            if (fd >= 0) {
                return;
            }
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
                fail(QStringLiteral("in ") + folderName, errno);
            }
        }
        // No unnamed files here: a fresh file that did not exist before (O_EXCL, never a link).
        for (int attempt = 0; attempt < 16; ++attempt) {
            temporary = temporaryName(folder);
            fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd >= 0) {
                return;
            }
            if (errno != EEXIST) {
                break;
            }
        }
        const int error = errno;
        temporary.clear();
        fail(QStringLiteral("in ") + folderName, error);
    }

    ~Impl() { drop(); }

    void drop() {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
        if (!temporary.isEmpty()) {
            ::unlink(temporary.constData());
            temporary.clear();
        }
    }

    // The unnamed file linked under a temporary name, so that a rename can put it over the target.
    void link(const QString &path) {
        const QByteArray source = "/proc/self/fd/" + QByteArray::number(fd);
        for (int attempt = 0; attempt < 16; ++attempt) {
            const QByteArray name = temporaryName(folder);
            if (::linkat(AT_FDCWD, source.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0) {
                temporary = name;
                return;
            }
            if (errno != EEXIST) {
                break;
            }
        }
        fail(path, errno);
    }

    const QByteArray folder;
    int fd = -1;
    QByteArray temporary; // the draft's name while it has one
};

WholeFileDraft::WholeFileDraft(const QString &folder, Staging staging)
    : impl_(std::make_unique<Impl>(folder, staging)) {}

WholeFileDraft::~WholeFileDraft() = default;

void WholeFileDraft::Write(const QByteArray &bytes) {
    if (impl_->fd < 0) {
        throw std::logic_error("write to a spent draft");
    }
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t n =
            ::write(impl_->fd, bytes.constData() + written, std::size_t(bytes.size() - written));
        if (n < 0 && errno != EINTR) {
            fail(QStringLiteral("in ") + QFile::decodeName(impl_->folder), errno);
        }
        written += qMax<ssize_t>(n, 0);
    }
}

void WholeFileDraft::Commit(const QString &path, WholeFileSync sync) {
    Impl &d = *impl_;
    if (d.fd < 0) {
        throw std::logic_error("commit of a spent draft");
    }
    const auto failAndDrop = [&](int error) {
        d.drop();
        fail(path, error);
    };
    if (sync == WholeFileSync::Synced && ::fsync(d.fd) != 0) {
        failAndDrop(errno);
    }
    if (d.temporary.isEmpty()) {
        try {
            d.link(path);
        } catch (...) {
            d.drop();
            throw;
        }
    }
    // close() reports write errors some file systems keep until then (a quota, a network disk).
    const int fd = std::exchange(d.fd, -1);
    if (::close(fd) != 0) {
        failAndDrop(errno);
    }
    // rename() replaces the name itself: a link there is replaced, not followed.
    if (::rename(d.temporary.constData(), QFile::encodeName(path).constData()) != 0) {
        failAndDrop(errno);
    }
    d.temporary.clear();
    if (sync == WholeFileSync::Synced) {
        // The rename is kept once the folder is on the disk; a folder that cannot be opened for that
        // (no read permission) still holds the whole file.
        const int folder = ::open(d.folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
    }
}

void WriteWholeFile(const QString &path, const QByteArray &bytes, WholeFileSync sync) {
    WholeFileDraft draft(QFileInfo(path).path());
    draft.Write(bytes);
    draft.Commit(path, sync);
}

void SweepWholeFileLeftovers(const QString &folder) {
    const QDir dir(folder);
    const QStringList names =
        dir.entryList({QLatin1String(kPrefix) + u'*'}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        const QStringView rest = QStringView(name).mid(qsizetype(sizeof(kPrefix) - 1));
        const qsizetype dash = rest.indexOf(u'-');
        bool ok = false;
        const qint64 pid = dash > 0 ? rest.left(dash).toLongLong(&ok) : 0;
        // A process that no longer exists (ESRCH) cannot finish its write.
        if (ok && pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH) {
            ::unlink(QFile::encodeName(dir.filePath(name)).constData());
        }
    }
}
