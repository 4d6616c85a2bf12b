// Preparing a chosen photo for the service and filing a saved photo's versions in the cache.

#include "PhotoWorkflow.h"

#include "PhotoCache.h"
#include "imaging/ImgOper.h"
#include "imaging/PhotoFacts.h"

namespace PhotoWorkflow {

TPreparedPhoto PreparePhoto(const QString &path, int maxWidth, int maxHeight) {
    TPreparedPhoto photo;
    QString jpegFile;
    const TImgOper::TReduction converted = TImgOper::ConvertToJpeg(path, jpegFile);
    if (!converted.ok) {
        // The chosen file itself must not stand in: the service takes JPEGs only.
        photo.failedSteps.append(QStringLiteral("turning the photo into a JPEG: ") + converted.error);
        return photo;
    }
    const TImgOper::TReduction shrunk = TImgOper::ZipImage(jpegFile, photo.sourceFile);
    if (!shrunk.ok) {
        photo.failedSteps.append(QStringLiteral("shrinking by file size: ") + shrunk.error);
    }
    // The bytes a step wrote are already in memory; only a file the steps left alone is read.
    if (!shrunk.written.isEmpty()) {
        photo.source = shrunk.written;
    } else if (!converted.written.isEmpty()) {
        photo.source = converted.written;
    } else {
        photo.source = TImgOper::ImgPathToByte(photo.sourceFile);
    }
    const TImgOper::TReduction reduced = TImgOper::ZipImageSize(
        photo.sourceFile, qMax(maxWidth, kMinSmallWidth), qMax(maxHeight, kMinSmallHeight), photo.smallFile);
    if (!reduced.ok) {
        photo.failedSteps.append(QStringLiteral("reducing to the size limits: ") + reduced.error);
    }
    photo.small = reduced.written.isEmpty() ? photo.source : reduced.written;
    const auto toQSize = [](SizeRules::TSize size) { return QSize(size.width, size.height); };
    photo.sourceSize = toQSize(UprightSizeOf(photo.source));
    photo.smallSize = photo.small == photo.source ? photo.sourceSize : toQSize(UprightSizeOf(photo.small));
    return photo;
}

QString FilePreparedPhoto(const QString &photoId, const TPreparedPhoto &photo) {
    if (!PhotoCache::IsPlainFileName(photoId)) {
        PhotoCache::LogUnsafePhotoId(photoId);
        return QStringLiteral("the photo ID cannot name a cache file");
    }
    const QString folder = PhotoCache::Folder();
    QString error;
    if (!TImgOper::SaveImgInfo(PhotoCache::SourceFile(folder, photoId), photo.source, &error,
                               WholeFileSync::Unsynced) ||
        !TImgOper::SaveImgInfo(PhotoCache::SmallFile(folder, photoId), photo.small, &error,
                               WholeFileSync::Unsynced)) {
        return error;
    }
    return {};
}

} // namespace PhotoWorkflow
