#pragma once
// Small helpers shared by the operation files of ServiceLogic.

#include "ServiceLogic.h"
#include "contract/ResultCodes.h"

#include <QByteArray>

namespace LogicSupport {

inline Answer<TPicResultInfo> picResult(const QString &code, const QString &detail = {}) {
    Answer<TPicResultInfo> answer;
    answer.record.F_OPERRESULT = code;
    answer.detail = detail;
    return answer;
}

} // namespace LogicSupport
