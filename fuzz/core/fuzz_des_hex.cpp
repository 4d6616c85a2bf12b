// libFuzzer target: the DES hex decoding of configuration values and the hex number reader.

#include "protect/MoradesLib.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    MoradesLib::DesDecryptHex(text);
    MoradesLib::HexToInt(text.left(16));
    MoradesLib::DesDecryptStr(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)),
                              QByteArrayLiteral("key"));
    return 0;
}
