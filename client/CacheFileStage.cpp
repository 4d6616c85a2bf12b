#include "CacheFileStage.h"

#include "core/WholeFile.h"

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include <sys/resource.h>

namespace {

struct Entry {
    QByteArray bytes;                     // released once committed
    std::unique_ptr<WholeFileDraft> file; // once written; null while queued, when it failed or was taken
    bool done = false;
};

// A file without a name in folder holding bytes, or null.
std::unique_ptr<WholeFileDraft> writeDraft(const QString &folder, const QByteArray &bytes) {
    try {
        auto file = std::make_unique<WholeFileDraft>(folder);
        file->Write(bytes);
        return file;
    } catch (const std::exception &) {
        return nullptr;
    }
}

} // namespace

class CacheFileStage::Worker {
public:
    explicit Worker(const QString &folder) : folder_(folder), thread_([this] { run(); }) {}

    ~Worker() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        thread_.join(); // files never named go with their entries
    }

    void offer(const QByteArray &bytes) {
        {
            const std::lock_guard lock(mutex_);
            if (failed_) {
                return;
            }
            entries_.push_back(Entry{bytes, nullptr, false});
        }
        changed_.notify_all();
    }

    // The file written for bytes, handed over; null when there is none.
    std::unique_ptr<WholeFileDraft> take(const QByteArray &bytes) {
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
                return nullptr;
            }
            changed_.wait(lock, [&] { return entry.done; });
            entry.bytes = QByteArray();
            if (entry.file) {
                --open_;
                changed_.notify_all();
            }
            return std::move(entry.file);
        }
        return nullptr;
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
            std::unique_ptr<WholeFileDraft> file = skip ? nullptr : writeDraft(folder_, bytes);
            lock.lock();
            // After one failure (no such folder, a full disk)
            // the caller writes the rest itself.
            failed_ = failed_ || !file;
            open_ += file ? 1 : 0;
            entries_[i].file = std::move(file);
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

    const QString folder_;
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
    const std::unique_ptr<WholeFileDraft> file = worker_->take(bytes);
    if (!file) {
        return false;
    }
    try {
        file->Commit(path, WholeFileSync::Unsynced);
        return true;
    } catch (const std::exception &) {
        return false;
    }
}
