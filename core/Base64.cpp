#include "Base64.h"

#include <array>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr signed char kFill = -2;
constexpr signed char kSkip = -1;

constexpr std::array<signed char, 256> makeDecodeTable() {
    std::array<signed char, 256> table{};
    for (signed char &v : table) {
        v = kSkip;
    }
    for (int i = 0; i < 64; ++i) {
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<signed char>(i);
    }
    table['='] = kFill;
    return table;
}
constexpr std::array<signed char, 256> kDecodeTable = makeDecodeTable();

// One table per position in a group: each holds the sextet already shifted to where its bits land
// in the group's three bytes (byte 0 lowest), or kBadGroup, whose bit 24 marks any other character.
constexpr std::uint32_t kBadGroup = 0x01FFFFFF;
constexpr std::array<std::array<std::uint32_t, 256>, 4> makeGroupTables() {
    std::array<std::array<std::uint32_t, 256>, 4> tables{};
    for (int c = 0; c < 256; ++c) {
        const signed char v = kDecodeTable[c];
        const bool bad = v < 0;
        const std::uint32_t s = bad ? 0U : static_cast<unsigned char>(v);
        tables[0][c] = bad ? kBadGroup : s << 2;
        tables[1][c] = bad ? kBadGroup : (s >> 4) | ((s & 0xF) << 12);
        tables[2][c] = bad ? kBadGroup : ((s >> 2) << 8) | ((s & 0x3) << 22);
        tables[3][c] = bad ? kBadGroup : s << 16;
    }
    return tables;
}
constexpr auto kGroupTables = makeGroupTables();

} // namespace

void AppendBase64(QByteArray &out, QByteArrayView bytes) {
    const qsizetype n = bytes.size();
    const qsizetype start = out.size();
    out.resize(start + (n + 2) / 3 * 4);
    char *to = out.data() + start;
    const auto *from = reinterpret_cast<const unsigned char *>(bytes.data());
    qsizetype i = 0;
    for (; i + 3 <= n; i += 3) {
        const unsigned int v = (unsigned(from[i]) << 16) | (unsigned(from[i + 1]) << 8) | from[i + 2];
        *to++ = kAlphabet[v >> 18];
        *to++ = kAlphabet[(v >> 12) & 63];
        *to++ = kAlphabet[(v >> 6) & 63];
        *to++ = kAlphabet[v & 63];
    }
    if (i < n) {
        const bool two = i + 1 < n;
        const unsigned int v = (unsigned(from[i]) << 16) | (two ? unsigned(from[i + 1]) << 8 : 0U);
        *to++ = kAlphabet[v >> 18];
        *to++ = kAlphabet[(v >> 12) & 63];
        *to++ = two ? kAlphabet[(v >> 6) & 63] : '=';
        *to++ = '=';
    }
}

qsizetype DecodeBase64Groups(QByteArrayView text, char *out) {
    const auto *from = reinterpret_cast<const unsigned char *>(text.data());
    const qsizetype n = text.size() / 4 * 4;
    qsizetype i = 0;
    for (; i < n; i += 4) {
        const std::uint32_t v = kGroupTables[0][from[i]] | kGroupTables[1][from[i + 1]] |
                                kGroupTables[2][from[i + 2]] | kGroupTables[3][from[i + 3]];
        if (v >> 24) {
            break;
        }
        *out++ = static_cast<char>(v);
        *out++ = static_cast<char>(v >> 8);
        *out++ = static_cast<char>(v >> 16);
    }
    return i;
}

template <typename Char> void Base64Decoder::feedChars(const Char *chars, qsizetype count) {
    // At most 3 bytes for every 4 characters, plus the group left from the last piece.
    const qsizetype needed = length_ + (count + count_) / 4 * 3 + 3;
    if (out_.size() < needed) {
        out_.resize(needed);
    }
    char *to = out_.data() + length_;
    unsigned int group = group_;
    int sextets = count_;
    for (qsizetype i = 0; i < count; ++i) {
        const auto c = static_cast<std::make_unsigned_t<Char>>(chars[i]);
        const int v = c < 256 ? kDecodeTable[c] : kSkip;
        if (v >= 0) {
            group = (group << 6) | unsigned(v);
            if (++sextets == 4) {
                *to++ = static_cast<char>(group >> 16);
                *to++ = static_cast<char>(group >> 8);
                *to++ = static_cast<char>(group);
                group = 0;
                sextets = 0;
            }
        } else if (v == kFill) {
            // A fill character ends the group early: two sextets give one byte, three give two.
            length_ = to - out_.data();
            group_ = group;
            count_ = sextets;
            flushPartial();
            to = out_.data() + length_;
            group = 0;
            sextets = 0;
        }
    }
    length_ = to - out_.data();
    group_ = group;
    count_ = sextets;
}

void Base64Decoder::flushPartial() {
    char *to = out_.data() + length_;
    if (count_ == 2) {
        *to++ = static_cast<char>(group_ >> 4);
    } else if (count_ == 3) {
        *to++ = static_cast<char>(group_ >> 10);
        *to++ = static_cast<char>(group_ >> 2);
    }
    length_ = to - out_.data();
    group_ = 0;
    count_ = 0;
}

void Base64Decoder::feed(QByteArrayView text) {
    while (!text.isEmpty()) {
        if (count_ == 0) { // whole groups, a table lookup per character
            const qsizetype needed = length_ + text.size() / 4 * 3;
            if (out_.size() < needed) {
                out_.resize(needed);
            }
            const qsizetype done = DecodeBase64Groups(text, out_.data() + length_);
            length_ += done / 4 * 3;
            text = text.sliced(done);
        }
        // One character at a time up to the next group boundary: a group split between pieces, or
        // one holding a line break or fill; then whole groups again.
        qsizetype i = 0;
        while (i < text.size() && (i == 0 || count_ != 0)) {
            feedChars(text.data() + i++, 1);
        }
        text = text.sliced(i);
    }
}

void Base64Decoder::feed(QStringView text) {
    feedChars(text.utf16(), text.size());
}

QByteArray Base64Decoder::take() {
    if (count_ > 0) {
        if (out_.size() < length_ + 3) {
            out_.resize(length_ + 3);
        }
        flushPartial(); // a trailing partial group without fill characters still yields its whole bytes
    }
    out_.truncate(length_);
    length_ = 0;
    return std::exchange(out_, QByteArray());
}
