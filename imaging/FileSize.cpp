#include "ImgOper.h"

#include <QDir>
#include <QFileInfo>

#include <limits>

std::int32_t TImgOper::GetFileSize(const QString &path) {
    const QFileInfo info(path);
    const QString name = info.fileName();
    QFileInfo match;
    if (name.contains(u'*') || name.contains(u'?')) {
        QDir dir = info.dir();
        dir.setNameFilters({name});
        dir.setFilter(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        dir.setSorting(QDir::Name);
        const QFileInfoList entries = dir.entryInfoList();
        if (entries.isEmpty()) {
            return -1;
        }
        match = entries.first();
    } else if (info.exists()) {
        match = info;
    } else {
        return -1;
    }
    const qint64 size = match.size();
    return size > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                           : static_cast<std::int32_t>(size);
}
