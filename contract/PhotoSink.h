#pragma once
// Where the photos of an answer go while it is read, instead of into its record: the photos of a
// long list can then go to the disk as they arrive rather than all be held until the answer ends.
// A photo is handed on by the ID of its picture and its version, never by the identity of a buffer.

#include <QByteArrayView>
#include <QString>

enum class PhotoVersion { Small, Source };

class PhotoSink {
public:
    virtual ~PhotoSink() = default;
    // A photo field of the picture whose F_ID (as on the wire) came before it begins. True: its
    // bytes go to write() as they are decoded and the record's field stays empty; false: they stay
    // in the record.
    virtual bool open(const QString &photoId, PhotoVersion version) = 0;
    // The next bytes of the field opened last.
    virtual void write(QByteArrayView bytes) = 0;
    // The field opened last ended: its bytes are complete (an answer that fails later is the
    // caller's to drop).
    virtual void close() = 0;
};
