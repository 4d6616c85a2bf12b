#pragma once
// The outbox: work that could not be sent because the service was out of reach, kept in the folder
// "Outbox" of the program folder until it is sent or discarded. Each entry is one file, written whole
// or not at all (core/WholeFile: synced, then renamed into place), so it survives leaving the client,
// a crash and a power cut, and a write cut short leaves nothing that could be taken for an entry. The
// clean-up at exit does not touch the folder.

#include "OutboxEntry.h"

#include <QList>
#include <QString>
#include <QStringList>

class TOutbox {
public:
    // The outbox of the program folder: its "Outbox/".
    static QString Folder();

    // An outbox in folder (ending in "/"); the program folder's by default.
    explicit TOutbox(const QString &folder = Folder());

    // One entry as the outbox holds it: the entry, or why it cannot be read.
    struct Listed {
        QString id;
        TOutboxEntry entry; // valid when error is empty
        QString error;
    };

    // Keeps a new entry (entry.kept set now when empty) and gives it its ID. Throws
    // std::runtime_error naming the reason when it could not be written; nothing is kept then.
    QString Keep(TOutboxEntry &entry);
    // Every entry, oldest first; a damaged entry is listed with its error. Removes first what writers
    // killed before they finished left behind.
    QList<Listed> List() const;
    // How many entries there are, without reading them.
    int Count() const;
    // The entry with this ID; throws std::runtime_error saying why when there is none or it is
    // damaged.
    TOutboxEntry Read(const QString &id) const;
    // Replaces the entry's last reason, writing it whole again. Throws as Keep.
    void SetReason(const QString &id, const QString &reason);
    // Removes the entry; false when there was none.
    bool Discard(const QString &id) const;

    // Whether text could be an entry's ID; any other text never reaches the file system.
    static bool IsEntryId(const QString &id);

private:
    QStringList ids() const;
    QString path(const QString &id) const;
    void write(const TOutboxEntry &entry) const;

    QString folder_;
};
