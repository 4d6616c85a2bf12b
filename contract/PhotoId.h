#pragma once
// The ID of a new photo: the service gives it, the client derives the same one to file the photo it
// has just sent, so both sides build it here.

#include <QDate>
#include <QString>

namespace PhotoId {

// "W" + customer ID + day as yyyyMMdd + type code.
QString ForNewPhoto(const QString &customerId, const QDate &day, const QString &typeCode);

} // namespace PhotoId
