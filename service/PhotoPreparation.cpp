// Preparing a chosen photo for the service and filing a saved photo's versions in the cache.

#include "PhotoWorkflow.h"

#include "core/PhotoCache.h"
#include "imaging/ImgOper.h"

namespace PhotoWorkflow {

TPreparedPhoto PreparePhoto(const QString &path, int maxWidth, int maxHeight) {
    TPreparedPhoto photo;
    const TImgOper::TReduction shrunk = TImgOper::ZipImage(path, photo.sourceFile);
    if (!shrunk.ok) {
        photo.failedSteps.append(QStringLiteral("shrinking by file size: ") + shrunk.error);
    }
    // The bytes a step wrote are already in memory; only a file the steps left alone is read.
    photo.source = shrunk.written.isEmpty() ? TImgOper::ImgPathToByte(photo.sourceFile) : shrunk.written;
    const TImgOper::TReduction reduced = TImgOper::ZipImageSize(
        photo.sourceFile, qMax(maxWidth, kMinSmallWidth), qMax(maxHeight, kMinSmallHeight), photo.smallFile);
    if (!reduced.ok) {
        photo.failedSteps.append(QStringLiteral("reducing to the size limits: ") + reduced.error);
    }
    photo.small = reduced.written.isEmpty() ? photo.source : reduced.written;
    return photo;
}

QString FilePreparedPhoto(const QString &photoId, const TPreparedPhoto &photo) {
    if (!PhotoCache::IsPlainFileName(photoId)) {
        PhotoCache::LogUnsafePhotoId(photoId);
        return QStringLiteral("the photo ID cannot name a cache file");
    }
    const QString folder = PhotoCache::Folder();
    QString error;
    if (!TImgOper::SaveImgInfo(PhotoCache::SourceFile(folder, photoId), photo.source, &error, WholeFileSync::Unsynced) ||
        !TImgOper::SaveImgInfo(PhotoCache::SmallFile(folder, photoId), photo.small, &error, WholeFileSync::Unsynced)) {
        return error;
    }
    return {};
}

} // namespace PhotoWorkflow
