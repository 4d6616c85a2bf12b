#include "CacheFileStage.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdint>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

struct Entry {
    QByteArray bytes; // released once committed
    int fd = -1;      // the unnamed file once written; -1 while queued, when it failed or was taken
    bool done = false;
};

// An unnamed file in folder holding bytes, or -1. Its permissions are those of a new file (0666 less
// the process mask), as for any other cache file.
int writeUnnamed(const QByteArray &folder, const QByteArray &bytes) {
    const int fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) {
        return -1;
    }
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + written, std::size_t(bytes.size() - written));
        if (n < 0 && errno != EINTR) {
            ::close(fd);
            return -1;
        }
        written += qMax<ssize_t>(n, 0);
    }
    return fd;
}

// "<target>.XXXXXX", as the other whole-file writes name their temporary files.
QByteArray temporaryName(const QByteArray &target) {
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = target + ".XXXXXX";
    for (qsizetype i = name.size() - 6; i < name.size(); ++i) {
        name[i] = kChars[QRandomGenerator::global()->bounded(int(sizeof(kChars) - 1))];
    }
    return name;
}

} // namespace

class CacheFileStage::Worker {
public:
    explicit Worker(const QString &folder) : folder_(QFile::encodeName(folder)), thread_([this] { run(); }) {}

    ~Worker() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        thread_.join();
        for (const Entry &entry : entries_) {
            if (entry.fd >= 0) {
                ::close(entry.fd); // never named: the file goes with its descriptor
            }
        }
    }

    void offer(const QByteArray &bytes) {
        {
            const std::lock_guard lock(mutex_);
            if (failed_) {
                return;
            }
            entries_.push_back(Entry{bytes});
        }
        changed_.notify_all();
    }

    // Nothing more is staged: the files cannot be named (no /proc, say), the caller writes them.
    void stop() {
        const std::lock_guard lock(mutex_);
        failed_ = true;
    }

    // The descriptor of the file written for bytes, handed over; -1 when there is none.
    int take(const QByteArray &bytes) {
        std::unique_lock lock(mutex_);
        // Commits come in the order of the offers: the search starts after the last one found.
        for (std::size_t n = 0; n < entries_.size(); ++n) {
            const std::size_t i = (last_ + n) % entries_.size();
            Entry &entry = entries_[i];
            if (entry.bytes.constData() != bytes.constData() || entry.bytes.size() != bytes.size()) {
                continue;
            }
            last_ = i + 1;
            if (!entry.done && i >= next_) {
                // Not started yet: the caller writes it, rather than wait (both then create files
                // at once, and a worker kept from the CPU holds nothing up).
                entry.done = true;
                entry.bytes = QByteArray();
                return -1;
            }
            changed_.wait(lock, [&] { return entry.done; });
            entry.bytes = QByteArray();
            if (entry.fd >= 0) {
                --open_;
                changed_.notify_all();
            }
            return std::exchange(entry.fd, -1);
        }
        return -1;
    }

private:
    void run() {
        // Writing ahead is background work: it takes the CPU the reading of the answer leaves.
        ::setpriority(PRIO_PROCESS, 0, kNice); // this thread only, on Linux
        std::unique_lock lock(mutex_);
        while (true) {
            // At most maxOpen_ files wait for their names, so that the process keeps descriptors
            // for the sockets and files it opens meanwhile. The worker goes on as files are named;
            // those it has not reached by then the caller writes.
            changed_.wait(lock, [&] { return stop_ || (next_ < entries_.size() && open_ < maxOpen_); });
            if (stop_) {
                return;
            }
            const std::size_t i = next_++;
            if (entries_[i].done) {
                continue; // the caller wrote it
            }
            const QByteArray bytes = entries_[i].bytes;
            const bool skip = failed_;
            lock.unlock();
            const int fd = skip ? -1 : writeUnnamed(folder_, bytes);
            lock.lock();
            // After one failure (no such folder, a file system without unnamed files, a full disk)
            // the caller writes the rest itself.
            failed_ = failed_ || fd < 0;
            open_ += fd >= 0 ? 1 : 0;
            entries_[i].fd = fd;
            entries_[i].done = true;
            changed_.notify_all();
        }
    }

    static constexpr int kNice = 19;

    // A quarter of the process's descriptors: 256 under the common soft limit of 1,024.
    static std::size_t maxOpenFiles() {
        rlimit limit{};
        if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
            return 256;
        }
        return limit.rlim_cur == RLIM_INFINITY ? SIZE_MAX : std::max<std::size_t>(limit.rlim_cur / 4, 1);
    }

    const QByteArray folder_;
    const std::size_t maxOpen_ = maxOpenFiles();
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Entry> entries_; // in the order offered; elements stay where they are
    std::size_t next_ = 0;      // the first entry not yet taken up by the worker
    std::size_t last_ = 0;      // after the entry last committed
    std::size_t open_ = 0;      // files written and not yet taken
    bool failed_ = false;
    bool stop_ = false;
    std::thread thread_; // last: starts once everything it uses exists
};

CacheFileStage::CacheFileStage(const QString &folder) : worker_(std::make_unique<Worker>(folder)) {}

CacheFileStage::~CacheFileStage() = default;

void CacheFileStage::Offer(const QByteArray &bytes) {
    if (!bytes.isEmpty()) {
        worker_->offer(bytes);
    }
}

bool CacheFileStage::Commit(const QByteArray &bytes, const QString &path) {
    if (bytes.isEmpty()) {
        return false;
    }
    const int fd = worker_->take(bytes);
    if (fd < 0) {
        return false;
    }
    // The file is whole before it has a name; it gets the final one through a temporary name, so
    // that an existing file is replaced in one step.
    const QByteArray source = "/proc/self/fd/" + QByteArray::number(fd);
    const QByteArray target = QFile::encodeName(path);
    bool named = false;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QByteArray temporary = temporaryName(target);
        if (::linkat(AT_FDCWD, source.constData(), AT_FDCWD, temporary.constData(), AT_SYMLINK_FOLLOW) == 0) {
            named = ::rename(temporary.constData(), target.constData()) == 0;
            if (!named) {
                ::unlink(temporary.constData());
            }
            break;
        }
        if (errno != EEXIST) {
            worker_->stop();
            break;
        }
    }
    ::close(fd);
    return named;
}
