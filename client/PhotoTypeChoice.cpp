#include "PhotoTypeChoice.h"

#include "contract/PhotoId.h"

#include "PhotoListModel.h"
#include "core/StrOper.h"

namespace PhotoTypeChoice {

QString CodeOf(const QString &entry) {
    return TStrOper::GetStrBeforeChar(entry, u' ');
}

bool IsUsed(const TPhotoListModel *list, const QString &code) {
    if (list == nullptr) {
        return false;
    }
    const QString wanted = code.trimmed();
    for (int row = 0; row < list->rowCount(); ++row) {
        if (list->subItem(row, TPhotoListModel::TypeCodeColumn).trimmed() == wanted) {
            return true;
        }
    }
    return false;
}

QString FindItem(const QStringList &typeList, const QString &photoType, const QString &photoNote) {
    for (const QString &entry : typeList) {
        if (CodeOf(entry) == photoType) {
            return entry;
        }
    }
    return photoType + u' ' + photoNote;
}

QStringList UnusedEntries(const QStringList &typeList, const TPhotoListModel *list) {
    QStringList offered;
    for (const QString &entry : typeList) {
        if (!IsUsed(list, CodeOf(entry))) {
            offered.append(entry);
        }
    }
    return offered;
}

QString UnusedEntryWithCode(const QStringList &typeList, const TPhotoListModel *list, const QString &code) {
    for (const QString &entry : UnusedEntries(typeList, list)) {
        if (CodeOf(entry) == code) {
            return entry;
        }
    }
    return {};
}

QString KeptCode(const QStringList &typeList, const QString &photoType, const QString &photoNote) {
    return CodeOf(FindItem(typeList, photoType, photoNote).trimmed());
}

QString NewPhotoId(const QString &customerId, const QDate &day, const QString &chosenEntry) {
    return PhotoId::ForNewPhoto(customerId, day, CodeOf(chosenEntry));
}

} // namespace PhotoTypeChoice
