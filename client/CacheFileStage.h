#pragma once
// The small versions of a list's photos held on the disk while the answer that carries them is
// still arriving: each is written, as it is decoded, into one unnamed file in the cache folder and
// found again by its photo's ID. Once the answer has been read, take() gives the bytes of each
// photo to file; whatever is not taken vanishes with the stage, so a failed, refused or cancelled
// answer leaves nothing on the disk, even after a crash. The memory a list takes then does not
// grow with its photos.

#include "contract/PhotoSink.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

class CacheFileStage : public PhotoSink {
public:
    explicit CacheFileStage(const QString &folder);
    ~CacheFileStage() override;
    CacheFileStage(const CacheFileStage &) = delete;
    CacheFileStage &operator=(const CacheFileStage &) = delete;

    // Small versions only, and none once the folder takes no unnamed file or a write failed: the
    // answer's record then holds the bytes.
    bool open(const QString &photoId, PhotoVersion version) override;
    void write(QByteArrayView bytes) override;
    void close() override;

    // The bytes of the small version staged whole under photoId (F_ID as on the wire); nothing
    // when none were staged, or they could not be read back.
    std::optional<QByteArray> take(const QString &photoId);

private:
    struct Span {
        qint64 offset = 0;
        qint64 size = 0;
    };

    int fd_ = -1;
    qint64 end_ = 0;              // where the next photo begins
    QString writing_;             // the photo being written, empty between photos
    Span current_;                // its bytes so far
    QHash<QString, Span> staged_; // the photos written whole
};
