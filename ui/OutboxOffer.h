#pragma once
// What the windows say about the outbox: the offer to keep a photo that could not be sent because the
// service was out of reach, and the result of sending kept photos, one line per entry.

#include "client/OutboxSend.h"

#include <QList>
#include <QString>

class QWidget;

namespace OutboxOffer {

// After a save whose result is unreachable: asks whether to keep the work in the outbox to be sent
// later and keeps it when the user agrees. True when it was kept (and said so); a failed write is
// told with its reason.
bool OfferToKeep(QWidget *parent, const TOperationResult &result, TOutboxEntry entry);

// One line per entry: what became of it and why.
QString ReportText(const QList<TOutboxReport> &reports);

} // namespace OutboxOffer
