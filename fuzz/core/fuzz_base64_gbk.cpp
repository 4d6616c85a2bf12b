// libFuzzer target: Base64 of bytes and of GBK texts, and GBK decoding, on any input; every text that
// GBK can hold must come back from its Base64 form unchanged.

#include "core/Gbk.h"
#include "core/StrOper.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    TStrOper::DecodeBase64Bytes(bytes);
    TStrOper::DecodeBase64(QString::fromLatin1(bytes));
    Gbk::decode(bytes);
    if (TStrOper::DecodeBase64Bytes(TStrOper::EncodeBase64Bytes(bytes)) != bytes) {
        std::abort();
    }
    const QString text = QString::fromUtf8(bytes);
    if (Gbk::canEncode(text) && TStrOper::DecodeBase64(TStrOper::EncodeBase64(text)) != text) {
        std::abort();
    }
    return 0;
}
