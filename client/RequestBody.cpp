#include "RequestBody.h"

#include <cstring>
#include <utility>

RequestBody::RequestBody(const QByteArray &bytes, QObject *parent) : QIODevice(parent), bytes_(bytes) {
    open(QIODevice::ReadOnly);
}

qint64 RequestBody::readData(char *data, qint64 maxSize) {
    const qint64 from = pos();
    const qint64 n = qMin(maxSize, qint64(bytes_.size()) - from);
    if (n <= 0) {
        return 0; // at the end, as QBuffer does
    }
    if (!std::exchange(read_, true) && OnFirstRead) {
        OnFirstRead();
    }
    std::memcpy(data, bytes_.constData() + from, size_t(n));
    if (from + n > handedOver_) {
        handedOver_ = from + n;
        if (OnTaken) {
            OnTaken(handedOver_);
        }
    }
    return n;
}
