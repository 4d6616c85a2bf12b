#pragma once
// Reading the protected values of the configuration file: hex digits of DES-ECB cipher bytes under the
// built-in key text. Only the deciphering direction lives in the client.

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <stdexcept>

namespace MoradesLib {

// The built-in key text; its first 8 bytes are the DES key.
inline constexpr char DesKeyText[] = "ZKPD-WQRFTLAVE";

// Thrown for a character that is not a hex digit; what() is the UTF-8 text the log records.
class HexError : public std::runtime_error {
public:
    HexError();
};

// The value of a text of hex digits; empty gives 0.
std::int32_t HexToInt(const QString &text);

// Each whole 8-byte block deciphered in ECB mode under the first 8 bytes of keyText (zero-padded
// when shorter); trailing bytes after the last whole block are dropped, trailing zero bytes removed.
QByteArray DesDecryptStr(const QByteArray &data, const QByteArray &keyText);

// Pairs of hex digits to bytes (a last unpaired digit is ignored), then DesDecryptStr under DesKeyText.
QByteArray DesDecryptHex(const QString &hex);

// The DES key derived from a key text: its first 8 bytes, zero-padded.
std::array<std::uint8_t, 8> DesKeyOf(const QByteArray &keyText);

} // namespace MoradesLib
