#include "WireText.h"

#include "core/Gbk.h"
#include "core/StrOper.h"

namespace {

bool isBase64Letter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '+' || u == '/';
}

// Canonical Base64 once line breaks and surrounding blanks are set aside: whole groups of four,
// fill characters only at the very end.
bool isWellFormedBase64(const QString &text) {
    qsizetype count = 0;
    qsizetype fill = 0;
    for (const QChar c : text.trimmed()) {
        if (c == u'\r' || c == u'\n') {
            continue;
        }
        if (c == u'=') {
            ++fill;
        } else if (fill > 0 || !isBase64Letter(c)) {
            return false;
        }
        ++count;
    }
    return count % 4 == 0 && fill <= 2;
}

} // namespace

namespace WireText {

std::optional<QString> ReadBase64Text(const QString &base64) {
    if (!isWellFormedBase64(base64)) {
        return std::nullopt;
    }
    const QByteArray bytes = TStrOper::DecodeBase64Bytes(base64.toLatin1());
    const QString text = Gbk::decode(bytes);
    // Bytes that are not GBK decode to replacement characters and do not survive the way back.
    if (Gbk::encode(text) != bytes) {
        return std::nullopt;
    }
    return text;
}

std::optional<QString> ReadHeaderToken(const QString &token) {
    const QString trimmed = token.trimmed();
    QString base64;
    base64.reserve(trimmed.size() / 2 + 1);
    for (qsizetype i = 0; i < trimmed.size(); i += 2) {
        base64.append(trimmed.at(i));
    }
    if (!ReadBase64Text(base64)) {
        return std::nullopt;
    }
    return TStrOper::DecodeHeaderStr(trimmed);
}

} // namespace WireText
