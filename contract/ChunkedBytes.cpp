#include "ChunkedBytes.h"

#include <algorithm>
#include <cstring>

namespace Soap {

ChunkedBytes::ChunkedBytes(const QByteArrayList &parts) : parts_(parts) {
    starts_.reserve(std::size_t(parts.size()));
    for (const QByteArray &p : parts) {
        starts_.push_back(size_);
        size_ += p.size();
    }
}

qsizetype ChunkedBytes::part(qsizetype i) const {
    const auto holds = [&](qsizetype k) { return starts_[k] <= i && i < starts_[k] + parts_[k].size(); };
    if (holds(last_)) {
        return last_;
    }
    const auto after = std::upper_bound(starts_.begin(), starts_.end(), i);
    qsizetype k = qsizetype(after - starts_.begin()) - 1;
    while (parts_[k].isEmpty()) { // empty pieces share their start with the next one
        ++k;
    }
    last_ = k;
    return k;
}

char ChunkedBytes::at(qsizetype i) const {
    const qsizetype k = part(i);
    return parts_[k].at(i - starts_[k]);
}

qsizetype ChunkedBytes::indexOf(char c, qsizetype from) const {
    if (from >= size_) {
        return -1;
    }
    for (qsizetype k = part(qMax<qsizetype>(from, 0)); k < parts_.size(); ++k) {
        const qsizetype begin = qMax<qsizetype>(from - starts_[k], 0);
        const qsizetype at = parts_[k].indexOf(c, begin);
        if (at >= 0) {
            return starts_[k] + at;
        }
    }
    return -1;
}

bool ChunkedBytes::startsWithAt(qsizetype i, const char *text) const {
    const auto n = qsizetype(std::strlen(text));
    if (i < 0 || i + n > size_) {
        return false;
    }
    for (qsizetype j = 0; j < n; ++j) {
        if (at(i + j) != text[j]) {
            return false;
        }
    }
    return true;
}

qsizetype ChunkedBytes::indexOf(const char *text, qsizetype from) const {
    for (qsizetype i = indexOf(text[0], from); i >= 0; i = indexOf(text[0], i + 1)) {
        if (startsWithAt(i, text)) {
            return i;
        }
    }
    return -1;
}

ChunkDevice::ChunkDevice(QByteArrayList parts) : parts_(std::move(parts)) {
    for (const QByteArray &p : parts_) {
        left_ += p.size();
    }
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

qint64 ChunkDevice::bytesAvailable() const {
    return left_ + QIODevice::bytesAvailable();
}

qint64 ChunkDevice::readData(char *data, qint64 maxSize) {
    qint64 copied = 0;
    while (copied < maxSize && !parts_.isEmpty()) {
        const QByteArray &front = parts_.front();
        const qint64 n = qMin(maxSize - copied, qint64(front.size() - offset_));
        std::memcpy(data + copied, front.constData() + offset_, std::size_t(n));
        copied += n;
        offset_ += n;
        if (offset_ == front.size()) {
            parts_.removeFirst(); // frees the piece
            offset_ = 0;
        }
    }
    left_ -= copied;
    return copied;
}

} // namespace Soap
