#include "StrOper.h"

#include "FileOper.h"
#include "Gbk.h"

#include <QRandomGenerator>

#include <array>
#include <exception>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int kLineLength = 76;

// Maps a byte to its 6-bit value, or -1 for bytes outside the alphabet.
constexpr std::array<int, 256> makeDecodeTable() {
    std::array<int, 256> table{};
    for (int &v : table) {
        v = -1;
    }
    for (int i = 0; i < 64; ++i) {
        table[static_cast<unsigned char>(kAlphabet[i])] = i;
    }
    return table;
}
constexpr std::array<int, 256> kDecodeTable = makeDecodeTable();

bool isBlankOrControl(QChar c) {
    return c.unicode() <= 32;
}

QString trimControl(const QString &text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlankOrControl(text.at(begin))) {
        ++begin;
    }
    while (end > begin && isBlankOrControl(text.at(end - 1))) {
        --end;
    }
    return text.mid(begin, end - begin);
}

} // namespace

QByteArray TStrOper::EncodeBase64Bytes(const QByteArray &bytes) {
    QByteArray plain = bytes.toBase64();
    if (plain.size() <= kLineLength - 1) {
        return plain;
    }
    QByteArray out;
    out.reserve(plain.size() + plain.size() / kLineLength * 2 + 2);
    for (qsizetype pos = 0; pos < plain.size(); pos += kLineLength) {
        out.append(plain.mid(pos, kLineLength));
        if (pos + kLineLength <= plain.size()) {
            out.append("\r\n");
        }
    }
    return out;
}

QByteArray TStrOper::DecodeBase64Bytes(const QByteArray &base64) {
    QByteArray out;
    out.reserve(base64.size() / 4 * 3 + 3);
    unsigned int group = 0;
    int count = 0;
    for (const char ch : base64) {
        if (ch == '=') {
            // A fill character ends the group early: two sextets give one byte, three give two.
            if (count == 2) {
                out.append(static_cast<char>((group >> 4) & 0xFF));
            } else if (count == 3) {
                out.append(static_cast<char>((group >> 10) & 0xFF));
                out.append(static_cast<char>((group >> 2) & 0xFF));
            }
            group = 0;
            count = 0;
            continue;
        }
        const int value = kDecodeTable[static_cast<unsigned char>(ch)];
        if (value < 0) {
            continue;
        }
        group = (group << 6) | static_cast<unsigned int>(value);
        if (++count == 4) {
            out.append(static_cast<char>((group >> 16) & 0xFF));
            out.append(static_cast<char>((group >> 8) & 0xFF));
            out.append(static_cast<char>(group & 0xFF));
            group = 0;
            count = 0;
        }
    }
    // A trailing partial group without fill characters still yields its whole bytes.
    if (count == 2) {
        out.append(static_cast<char>((group >> 4) & 0xFF));
    } else if (count == 3) {
        out.append(static_cast<char>((group >> 10) & 0xFF));
        out.append(static_cast<char>((group >> 2) & 0xFF));
    }
    return out;
}

QString TStrOper::EncodeBase64(const QString &text) {
    return QString::fromLatin1(EncodeBase64Bytes(Gbk::encode(text)));
}

QString TStrOper::DecodeBase64(const QString &base64) {
    return Gbk::decode(DecodeBase64Bytes(base64.toLatin1()));
}

QString TStrOper::GetStrBeforeChar(const QString &text, QChar separator) {
    const qsizetype at = text.indexOf(separator);
    if (at < 0) {
        return {};
    }
    return trimControl(text.left(at));
}

QString TStrOper::GetRandomStr() {
    QString result = QStringLiteral("O");
    try {
        const quint32 r = QRandomGenerator::global()->bounded(54U);
        if (r < 52) {
            result = QString(QLatin1Char(kLetters[r]));
        }
    } catch (const std::exception &e) {
        TFileOper::WriteLog(QStringLiteral("生成随机字母时失败,TStrOper->GetRandomStr中错误:") +
                            QString::fromUtf8(e.what()));
    }
    return result;
}

QString TStrOper::EncodeHeaderStr(const QString &text) {
    QString result;
    try {
        const QString b = EncodeBase64(text);
        const qsizetype n = trimControl(b).size();
        // Trimming only removes the final line break: Base64 never starts with a blank.
        result.reserve(n * 2);
        for (qsizetype i = 0; i + 1 < n; ++i) {
            result.append(b.at(i));
            result.append(GetRandomStr());
        }
        if (n >= 1) {
            result.append(b.at(n - 1));
        }
    } catch (const std::exception &e) {
        TFileOper::WriteLog(QStringLiteral("加密表头字符串失败,TStrOper->EncodeHeaderStr中错误:") +
                            QString::fromUtf8(e.what()));
    }
    return result;
}

QString TStrOper::DecodeHeaderStr(const QString &token) {
    QString base64;
    base64.reserve(token.size() / 2 + 1);
    for (qsizetype i = 0; i < token.size(); i += 2) {
        base64.append(token.at(i));
    }
    return DecodeBase64(base64);
}
