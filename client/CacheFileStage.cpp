#include "CacheFileStage.h"

#include <QFile>

#include <utility>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

CacheFileStage::CacheFileStage(const QString &folder)
    : fd_(::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600)) {}

CacheFileStage::~CacheFileStage() {
    if (fd_ >= 0) {
        ::close(fd_); // never named: the file goes with its descriptor
    }
}

bool CacheFileStage::open(const QString &photoId, PhotoVersion version) {
    if (fd_ < 0 || version != PhotoVersion::Small) {
        return false;
    }
    staged_.remove(photoId); // a later field of the same photo replaces it, as in a record
    writing_ = photoId;
    current_ = Span{end_, 0};
    return true;
}

void CacheFileStage::write(QByteArrayView bytes) {
    if (writing_.isEmpty()) {
        return; // a write failed: this photo is lost, the row will not claim it
    }
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::pwrite(fd_, bytes.data() + done, std::size_t(bytes.size() - done),
                                   current_.offset + current_.size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            // A full disk: the photos still to come stay in the answer's record.
            ::close(std::exchange(fd_, -1));
            staged_.clear();
            writing_.clear();
            return;
        }
        done += n;
        current_.size += n;
    }
}

void CacheFileStage::close() {
    if (writing_.isEmpty()) {
        return;
    }
    staged_.insert(std::exchange(writing_, QString()), current_);
    end_ = current_.offset + current_.size;
}

std::optional<QByteArray> CacheFileStage::take(const QString &photoId) {
    const std::optional<Span> span =
        staged_.contains(photoId) ? std::optional(staged_.take(photoId)) : std::nullopt;
    if (!span || fd_ < 0) {
        return std::nullopt;
    }
    const Span *found = &*span;
    QByteArray bytes(found->size, Qt::Uninitialized);
    for (qint64 done = 0; done < found->size;) {
        const ssize_t n =
            ::pread(fd_, bytes.data() + done, std::size_t(found->size - done), found->offset + done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return std::nullopt;
        }
        done += n;
    }
    return bytes;
}
