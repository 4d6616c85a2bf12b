#include "Base64Runs.h"

#include "ChunkedBytes.h"
#include "SoapCodec.h"

#include "core/Base64.h"

#include <array>
#include <cstring>

namespace Soap {
namespace {

constexpr char16_t kOpen = 0xE000;
constexpr char16_t kClose = 0xE001;
const QByteArray kOpenUtf8 = QByteArrayLiteral("\xEF\x80\x80");
const QByteArray kCloseUtf8 = QByteArrayLiteral("\xEF\x80\x81");

constexpr std::array<signed char, 256> makeSextets() {
    constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::array<signed char, 256> table{};
    for (signed char &v : table) {
        v = -1;
    }
    for (int i = 0; i < 64; ++i) {
        table[static_cast<unsigned char>(alphabet[i])] = static_cast<signed char>(i);
    }
    return table;
}
constexpr std::array<signed char, 256> kSextet = makeSextets();

bool inRun(char c) {
    return kSextet[static_cast<unsigned char>(c)] >= 0 || c == '=';
}

// Whole groups, fill only at the end and with zero bits below it: decodes on its own and encodes
// back to the same characters.
bool canonical(QByteArrayView run) {
    const qsizetype n = run.size();
    if (n % 4 != 0) {
        return false;
    }
    const qsizetype fill = run.endsWith("==") ? 2 : run.endsWith('=') ? 1 : 0;
    if (run.first(n - fill).contains('=')) {
        return false;
    }
    const int last = kSextet[static_cast<unsigned char>(run[n - fill - 1])];
    return fill == 0 || (last & (fill == 1 ? 0x3 : 0xF)) == 0;
}

// The XML declaration names no encoding but UTF-8, and no byte order mark names another.
bool declaredUtf8(const ChunkedBytes &message) {
    QByteArray head;
    for (qsizetype i = 0; i < message.size() && i < 256; ++i) {
        head.append(message.at(i));
    }
    if (head.startsWith("\xFE") || head.startsWith("\xFF")) {
        return false;
    }
    if (head.startsWith("\xEF\xBB\xBF")) {
        head.remove(0, 3);
    }
    if (!head.startsWith("<?xml")) {
        return true;
    }
    const qsizetype end = head.indexOf("?>");
    if (end < 0) {
        return false;
    }
    const QByteArray declaration = head.left(end);
    const qsizetype encoding = declaration.indexOf("encoding");
    if (encoding < 0) {
        return true;
    }
    const QByteArray value = declaration.mid(encoding + 8).replace(' ', "").replace('\'', '"');
    return value.toLower().startsWith("=\"utf-8\"");
}

} // namespace

QByteArrayList Base64Runs::lift(QByteArrayList &&parts) {
    {
        const ChunkedBytes message(parts);
        if (!declaredUtf8(message) || message.indexOf(kOpenUtf8.constData(), 0) >= 0 ||
            message.indexOf(kCloseUtf8.constData(), 0) >= 0 || message.indexOf("&#", 0) >= 0) {
            return std::move(parts);
        }
    }
    QByteArray skeleton;
    QByteArray pending; // the part of a run seen in earlier pieces
    bool open = false;  // after a '>', within a possible run
    const auto endRun = [&](QByteArrayView tail, bool closedByTag) {
        QByteArrayView run = tail;
        if (!pending.isEmpty()) {
            pending.append(tail);
            run = pending;
        }
        if (closedByTag && run.size() >= kMinRun && canonical(run)) {
            Base64Decoder decoder;
            decoder.feed(run);
            runs_.push_back(decoder.take());
            skeleton += kOpenUtf8 + QByteArray::number(qsizetype(runs_.size() - 1)) + kCloseUtf8;
        } else {
            skeleton.append(run);
        }
        pending.clear();
        open = false;
    };
    while (!parts.isEmpty()) {
        const QByteArray piece = parts.takeFirst();
        const char *s = piece.constData();
        const qsizetype n = piece.size();
        qsizetype i = 0;
        while (i < n) {
            if (!open) {
                const void *gt = std::memchr(s + i, '>', size_t(n - i));
                const qsizetype j = gt ? static_cast<const char *>(gt) - s : n;
                skeleton.append(s + i, j - i + (gt ? 1 : 0));
                i = j + (gt ? 1 : 0);
                open = gt != nullptr;
                continue;
            }
            qsizetype k = i;
            while (k < n && inRun(s[k])) {
                ++k;
            }
            if (k == n) {
                pending.append(s + i, k - i); // the run goes on in the next piece
                i = n;
            } else {
                endRun(QByteArrayView(s + i, k - i), s[k] == '<');
                i = k;
            }
        }
    }
    if (open) {
        endRun({}, false);
    }
    return {skeleton};
}

std::optional<QByteArray> Base64Runs::take(QStringView text) {
    if (text.size() < 3 || text.front() != kOpen || text.back() != kClose) {
        return std::nullopt;
    }
    bool ok = false;
    const qsizetype index = text.sliced(1, text.size() - 2).toLongLong(&ok);
    if (!ok || index < 0 || index >= qsizetype(runs_.size())) {
        throw SoapError(QStringLiteral("unreadable message: a photo's contents were lost"));
    }
    return std::exchange(runs_[size_t(index)], QByteArray());
}

QString Base64Runs::restore(QStringView text) const {
    if (!text.contains(QChar(kOpen))) {
        return text.toString();
    }
    QString out;
    qsizetype from = 0;
    while (true) {
        const qsizetype open = text.indexOf(QChar(kOpen), from);
        if (open < 0) {
            out += text.sliced(from);
            return out;
        }
        const qsizetype close = text.indexOf(QChar(kClose), open);
        bool ok = false;
        const qsizetype index = close < 0 ? -1 : text.sliced(open + 1, close - open - 1).toLongLong(&ok);
        if (!ok || index < 0 || index >= qsizetype(runs_.size())) {
            throw SoapError(QStringLiteral("unreadable message: a photo's contents were lost"));
        }
        out += text.sliced(from, open - from);
        QByteArray base64;
        AppendBase64(base64, runs_[size_t(index)]);
        out += QLatin1String(base64);
        from = close + 1;
    }
}

} // namespace Soap
