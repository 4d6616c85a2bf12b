#pragma once
// A large message kept as the pieces it arrived in, never joined: read as one text by the tag check,
// and taken by the XML reader through a device that frees each piece once it has been read, so that
// the message and what is read from it do not take the memory twice.

#include <QByteArrayList>
#include <QIODevice>

#include <vector>

namespace Soap {

// The pieces seen as one byte string (for the tag check's searches).
class ChunkedBytes {
public:
    explicit ChunkedBytes(const QByteArrayList &parts);

    qsizetype size() const { return size_; }
    char at(qsizetype i) const;
    // The first position >= from holding c, or -1.
    qsizetype indexOf(char c, qsizetype from = 0) const;
    // The first position >= from where text starts, or -1.
    qsizetype indexOf(const char *text, qsizetype from) const;
    bool startsWithAt(qsizetype i, const char *text) const;

private:
    qsizetype part(qsizetype i) const; // index of the piece holding position i

    const QByteArrayList &parts_;
    std::vector<qsizetype> starts_; // offset of each piece
    qsizetype size_ = 0;
    mutable qsizetype last_ = 0; // piece of the last lookup: access is mostly sequential
};

// Reads the pieces in order, each freed once read; sequential.
class ChunkDevice : public QIODevice {
public:
    explicit ChunkDevice(QByteArrayList parts);
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArrayList parts_;
    qsizetype offset_ = 0; // read position in the first piece
    qint64 left_ = 0;
};

} // namespace Soap
