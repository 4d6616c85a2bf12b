#pragma once
// One piece of work kept in the outbox until it can be sent: an add or an edit of a company's photo,
// with the photo as it was prepared for sending, and the bytes of the file that holds it. Reading
// takes nothing on trust: every field is checked, and a damaged or foreign file gives a reason.

#include "PhotoWorkflow.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

struct TOutboxEntry {
    enum class Kind { Add, Edit };

    QString id; // the entry's name in the outbox, given when it is kept
    QString companyId;
    Kind kind = Kind::Add;
    QString photoId;   // Edit: the photo changed
    QString typeEntry; // Add: the type entry chosen ("05 门头照片")
    QString note;
    QDateTime kept;                      // when it went into the outbox (UTC)
    QString reason;                      // why it has not been sent yet (the last attempt's reason)
    PhotoWorkflow::TPreparedPhoto photo; // the prepared versions; no image for an edit of the note alone

    // The file's bytes (the ID is the file's name, not part of them).
    QByteArray Encode() const;
    // The entry of a file's bytes; throws std::runtime_error with the reason when they are no whole,
    // well-formed entry.
    static TOutboxEntry Decode(const QByteArray &bytes);
};
