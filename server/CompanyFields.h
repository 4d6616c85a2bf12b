#pragma once
// A company's fields by name, as administration commands (--photo-limit) and CSV columns
// (photo_limit) give them: company_id, customer_id, software_id, device_id, company_type, name, trade,
// photo_limit, zoom_width, zoom_height, active.

#include "PhotoDatabase.h"

#include <QStringList>

namespace CompanyFields {

// Every field name, in the order a listing shows them.
const QStringList &Names();

// Sets the field `name` from `value`; false with the reason when the name is unknown or the value
// does not fit the field.
bool Set(CompanyRecord &company, const QString &name, const QString &value, QString &error);

// Why the company cannot be stored (a field missing or out of range), or an empty text.
QString Missing(const CompanyRecord &company);

// The fields of `company` in Names() order, as texts.
QStringList Values(const CompanyRecord &company);

} // namespace CompanyFields
