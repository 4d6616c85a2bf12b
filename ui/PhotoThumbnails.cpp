#include "PhotoThumbnails.h"

#include "client/PhotoCache.h"

#include <QFileInfo>
#include <QImageReader>

namespace {

constexpr int kCacheKB = 64 * 1024;

} // namespace

TPhotoThumbnails::TPhotoThumbnails(QObject *parent) : QObject(parent), cache_(kCacheKB) {
    // One reader leaves the other core to the window.
    pool_.setMaxThreadCount(1);
}

TPhotoThumbnails::~TPhotoThumbnails() {
    pool_.clear();
    pool_.waitForDone();
}

QImage TPhotoThumbnails::Read(const QString &path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!stored.isValid()) {
        return {};
    }
    if (stored.width() > kSize.width() || stored.height() > kSize.height()) {
        // The JPEG reader then decodes at a reduced scale instead of the whole image.
        reader.setScaledSize(stored.scaled(kSize, Qt::KeepAspectRatio));
    }
    return reader.read();
}

QImage TPhotoThumbnails::Thumbnail(const QString &photoId) {
    if (!PhotoCache::IsPlainFileName(photoId)) {
        return {};
    }
    const QString path = PhotoCache::SmallFile(PhotoCache::Folder(), photoId);
    const QFileInfo file(path);
    if (!file.isFile()) {
        cache_.remove(photoId);
        return {};
    }
    const TStamp stamp{file.lastModified(), file.size()};
    if (const TEntry *entry = cache_.object(photoId); entry != nullptr && entry->stamp == stamp) {
        return entry->image;
    }
    if (!reading_.contains(photoId)) {
        reading_.insert(photoId);
        pool_.start([this, photoId, path, stamp] {
            const QImage image = Read(path);
            // Back on the window's thread; dropped with this object if it is gone by then.
            QMetaObject::invokeMethod(
                this, [this, photoId, stamp, image] { Finished(photoId, stamp, image); },
                Qt::QueuedConnection);
        });
    }
    return {};
}

void TPhotoThumbnails::Finished(const QString &photoId, const TStamp &stamp, const QImage &image) {
    reading_.remove(photoId);
    const auto cost = static_cast<qsizetype>(image.sizeInBytes() / 1024 + 1);
    cache_.insert(photoId, new TEntry{stamp, image}, cost);
    emit ready(photoId);
}
