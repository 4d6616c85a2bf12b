#pragma once
// The body of one HTTP request as Qt's network stack reads it: a read-only device over the bytes that
// tells its owner, on the owner's thread, how far Qt has taken it. Qt takes a body piece by piece only
// as its connection has room, so the position stays within a few socket buffers of what went out
// (SendBuffer bounds the one buffer that could otherwise hold megabytes). Until the last byte has
// been handed over, the server cannot hold the complete request.

#include <QByteArray>
#include <QIODevice>

#include <functional>

class RequestBody : public QIODevice {
public:
    explicit RequestBody(const QByteArray &bytes, QObject *parent = nullptr);

    // Called once, before the first bytes are handed over (the connection stands by then).
    std::function<void()> OnFirstRead;
    // Called with the furthest position handed over, each time it moves.
    std::function<void(qint64)> OnTaken;

    bool isSequential() const override { return false; }
    qint64 size() const override { return bytes_.size(); }
    // Every byte of the body has been handed to Qt.
    bool HandedOver() const { return handedOver_ >= bytes_.size(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray bytes_;
    bool read_ = false;
    qint64 handedOver_ = 0; // the furthest position read so far
};
