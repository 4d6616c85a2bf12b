#pragma once
// Cache files written ahead, while the answer that carries their bytes is still arriving. Each block
// of bytes offered is written on a worker thread to a draft in the cache folder (core/WholeFile.h: a
// file without a name); once the answer has been read, the files it turned out to need get their
// names, replacing any file there in one step. Drafts that no one claims vanish when the stage ends,
// so a failed, refused or cancelled answer leaves nothing on the disk. No disk sync: the cache can
// always be fetched again.

#include <QByteArray>
#include <QString>

#include <memory>

class CacheFileStage {
public:
    explicit CacheFileStage(const QString &folder);
    ~CacheFileStage(); // stops the worker; every file not committed is dropped
    CacheFileStage(const CacheFileStage &) = delete;
    CacheFileStage &operator=(const CacheFileStage &) = delete;

    // Queues bytes for writing; returns at once. The stage keeps a reference to the array.
    void Offer(const QByteArray &bytes);

    // Names the file written for exactly this array (the one offered, or a copy sharing its data)
    // path, replacing any file there. False when these bytes were not offered, the worker has not
    // started on them yet, or their file could not be written or named: the caller then writes
    // the file itself.
    bool Commit(const QByteArray &bytes, const QString &path);

private:
    class Worker;
    std::unique_ptr<Worker> worker_;
};
