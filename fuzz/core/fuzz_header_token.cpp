// libFuzzer target: the header-token reader on any text, and the round trip of every text that GBK
// can hold (a token must read back as the text it was made from).

#include "core/Gbk.h"
#include "core/StrOper.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    TStrOper::DecodeHeaderStr(text);
    if (Gbk::canEncode(text) && TStrOper::DecodeHeaderStr(TStrOper::EncodeHeaderStr(text)) != text) {
        std::abort();
    }
    return 0;
}
