#include "PhotoCache.h"

#include "core/FileOper.h"
#include "core/SysOper.h"

#include <QFileInfo>

namespace PhotoCache {

QString Folder() {
    return TSysOper::GetAppPath() + QStringLiteral("Photo/");
}

QString SmallFile(const QString &folder, const QString &photoId) {
    return folder + photoId + QStringLiteral("_0.jpg");
}

QString SourceFile(const QString &folder, const QString &photoId) {
    return folder + photoId + QStringLiteral("_1.jpg");
}

bool IsPlainFileName(const QString &photoId) {
    return !photoId.isEmpty() && photoId != u"." && photoId != u".." && !photoId.contains(u'/') &&
           !photoId.contains(u'\\') && !photoId.contains(QChar(0));
}

void LogUnsafePhotoId(const QString &photoId) {
    QString shown = photoId;
    shown.replace(QChar(0), QStringLiteral("\\0"));
    TFileOper::WriteLog(QStringLiteral("照片编号不能用作文件名,未读写照片缓存,照片编号:[") + shown + u']');
}

void LogNotFiled(const QString &photoId, const QString &reason) {
    QString shown = photoId;
    shown.replace(QChar(0), QStringLiteral("\\0"));
    TFileOper::WriteLog(QStringLiteral("照片未存入缓存,照片编号:[") + shown + QStringLiteral("],原因:") +
                        reason);
}

bool Exists(const QString &path) {
    return QFileInfo(path).isFile();
}

} // namespace PhotoCache
