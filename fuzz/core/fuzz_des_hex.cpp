// libFuzzer target: the DES hex decoding of configuration values and the hex number reader. Text that
// is not hex is refused with HexError, which the configuration reader logs.

#include "protect/MoradesLib.h"

#include <cstddef>
#include <cstdint>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    try {
        MoradesLib::DesDecryptHex(text);
    } catch (const std::exception &) {
    }
    try {
        MoradesLib::HexToInt(text.left(16));
    } catch (const std::exception &) {
    }
    MoradesLib::DesDecryptStr(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)),
                              QByteArrayLiteral("key"));
    return 0;
}
