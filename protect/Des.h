#pragma once
// The DES block cipher (FIPS 46-3): key schedule and one 8-byte block through the sixteen rounds.
// Deciphering is the same rounds with the round keys taken from the sixteenth to the first.

#include <array>
#include <cstdint>

namespace Des {

using RoundKeys = std::array<std::uint64_t, 16>; // 48-bit round keys, most significant bit first

enum class Direction { Encrypt, Decrypt };

// Round keys of an 8-byte key; the parity bit of each byte takes no part.
RoundKeys MakeRoundKeys(const std::array<std::uint8_t, 8> &key);

// One block, bits numbered from the most significant bit of the first byte.
std::uint64_t CryptBlock(std::uint64_t block, const RoundKeys &keys, Direction direction);

} // namespace Des
