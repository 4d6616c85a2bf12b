#include "MoradesLib.h"

#include "Des.h"

namespace MoradesLib {

HexError::HexError() : std::runtime_error("错误：不是一个 Hex 字符串！") {}

std::int32_t HexToInt(const QString &text) {
    std::uint32_t value = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        std::uint32_t digit = 0;
        if (c >= u'0' && c <= u'9') {
            digit = c - u'0';
        } else if (c >= u'A' && c <= u'F') {
            digit = c - u'A' + 10;
        } else if (c >= u'a' && c <= u'f') {
            digit = c - u'a' + 10;
        } else {
            throw HexError();
        }
        value = value * 16 + digit; // over-long texts keep their last eight digits: 32-bit wrap-around
    }
    return static_cast<std::int32_t>(value);
}

std::array<std::uint8_t, 8> DesKeyOf(const QByteArray &keyText) {
    std::array<std::uint8_t, 8> key{};
    for (qsizetype i = 0; i < 8 && i < keyText.size(); ++i) {
        key[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(keyText[i]);
    }
    return key;
}

QByteArray DesDecryptStr(const QByteArray &data, const QByteArray &keyText) {
    const Des::RoundKeys keys = Des::MakeRoundKeys(DesKeyOf(keyText));
    QByteArray result;
    const qsizetype blocks = data.size() / 8;
    result.reserve(blocks * 8);
    for (qsizetype b = 0; b < blocks; ++b) {
        std::uint64_t block = 0;
        for (int i = 0; i < 8; ++i) {
            block = (block << 8) | static_cast<std::uint8_t>(data[b * 8 + i]);
        }
        const std::uint64_t plain = Des::CryptBlock(block, keys, Des::Direction::Decrypt);
        for (int i = 7; i >= 0; --i) {
            result.append(static_cast<char>((plain >> (8 * i)) & 0xFF));
        }
    }
    while (!result.isEmpty() && result.back() == '\0') {
        result.chop(1);
    }
    return result;
}

QByteArray DesDecryptHex(const QString &hex) {
    QByteArray bytes;
    const qsizetype pairs = hex.size() / 2;
    bytes.reserve(pairs);
    for (qsizetype i = 0; i < pairs; ++i) {
        bytes.append(static_cast<char>(HexToInt(hex.mid(2 * i, 2))));
    }
    return DesDecryptStr(bytes, QByteArray(DesKeyText));
}

} // namespace MoradesLib
