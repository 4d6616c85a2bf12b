#pragma once
// Which photo types a new or edited photo may take, and the ID of a new photo. Pure computations over the
// data module's type list and the photo list rows, so they are tested without a window.

#include <QDate>
#include <QString>
#include <QStringList>

class TPhotoListModel;

namespace PhotoTypeChoice {

// The type code of a type entry ("01 门头照片" gives "01"); empty for an entry without a space.
QString CodeOf(const QString &entry);

// Whether a row of the list already has this type code (both sides trimmed); false without a list.
bool IsUsed(const TPhotoListModel *list, const QString &code);

// The entry that stands for an existing photo's type: the first entry whose code is photoType, or
// photoType + " " + photoNote when no entry has it.
QString FindItem(const QStringList &typeList, const QString &photoType, const QString &photoNote);

// The entries a new photo may take: those whose type no listed photo has yet, in list order.
QStringList UnusedEntries(const QStringList &typeList, const TPhotoListModel *list);
// The entry of UnusedEntries whose code is code; empty when the code is in use or not in the list.
QString UnusedEntryWithCode(const QStringList &typeList, const TPhotoListModel *list, const QString &code);

// The type code an edited photo keeps: the code of its entry (FindItem, trimmed), as the photo
// editor shows it in its locked type list.
QString KeptCode(const QStringList &typeList, const QString &photoType, const QString &photoNote);

// "W" + customer ID + day as yyyyMMdd + the code of the chosen entry (not trimmed first, so an
// entry that starts with a space gives an empty code).
QString NewPhotoId(const QString &customerId, const QDate &day, const QString &chosenEntry);

} // namespace PhotoTypeChoice
