#pragma once
// Sending the outbox's entries through the session, one after another, each as its own add or edit
// of its company (queried first when it is not the one worked on). Nothing is sent twice: before an
// add is sent again the company's fresh list is looked at, and when it holds a photo of the entry's
// type whose small version is byte for byte the one kept (an add whose answer was lost, applied all
// the same), the entry counts as sent and goes. An entry that succeeds goes; one the service refuses
// or cannot be reached for stays, with the reason.

#include "Outbox.h"
#include "PhotoSession.h"

#include <QList>
#include <QStringList>

#include <functional>

class TDM_Main;

struct TOutboxReport {
    enum class Outcome {
        Sent,        // sent now; the entry is gone
        AlreadySent, // found in the company's list, not sent again; the entry is gone
        Refused,     // the service refused it (or its company): kept with the reason
        Unreachable, // no answer: kept with the reason
        Unreadable,  // the entry is damaged or gone: left as it is
        Cancelled,   // stopped by the user before it was sent: kept as it was
    };
    QString id;
    Outcome outcome = Outcome::Unreadable;
    // The last operation's result: the message, the reason and, for an add, the photo's ID.
    TOperationResult result;
    bool done() const { return outcome == Outcome::Sent || outcome == Outcome::AlreadySent; }
};

// The word for an outcome ("sent", "already-sent", "refused", "unreachable", "unreadable",
// "cancelled"), as uploadpic-cli prints it.
QString OutcomeName(TOutboxReport::Outcome outcome);

// Sends the entries ids (every entry of the outbox, oldest first, when ids is empty) through session,
// which works on dm. each, when given, hears every report as soon as it is known. A cancel through the
// session's control stops after the entry being sent; the rest are reported as cancelled.
QList<TOutboxReport> SendOutbox(TPhotoSession &session, TDM_Main &dm, TOutbox &outbox, QStringList ids,
                                const std::function<void(const TOutboxReport &)> &each = {});
