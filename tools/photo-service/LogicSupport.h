#pragma once
// Small helpers shared by the operation files of ServiceLogic.

#include "ServiceLogic.h"
#include "service/ResultCodes.h"

#include <QByteArray>

namespace LogicSupport {

inline Answer<TPicResultInfo> picResult(const QString &code, const QString &detail = {}) {
    Answer<TPicResultInfo> answer;
    answer.record.F_OPERRESULT = code;
    answer.detail = detail;
    return answer;
}

// Stored photos are shown by the client as JPEG files; anything else is refused at the door.
inline bool looksLikeJpeg(const QByteArray &bytes) {
    return bytes.size() >= 4 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xD8 && static_cast<unsigned char>(bytes[2]) == 0xFF;
}

} // namespace LogicSupport
