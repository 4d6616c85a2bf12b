#include "PhotoId.h"

namespace PhotoId {

QString ForNewPhoto(const QString &customerId, const QDate &day, const QString &typeCode) {
    return u'W' + customerId + day.toString(QStringLiteral("yyyyMMdd")) + typeCode;
}

} // namespace PhotoId
