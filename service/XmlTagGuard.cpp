#include "XmlTagGuard.h"

#include <cstring>

namespace Soap {
namespace {

// The position just past `end` searched from `from`, or the message size when it never comes.
qsizetype skipPast(const QByteArray &message, qsizetype from, const char *end) {
    const qsizetype at = message.indexOf(end, from);
    return at < 0 ? message.size() : at + static_cast<qsizetype>(std::strlen(end));
}

} // namespace

std::optional<QString> CheckXmlTags(const QByteArray &message) {
    const qsizetype size = message.size();
    qsizetype i = message.indexOf('<');
    while (i >= 0 && i < size) {
        const QByteArrayView rest = QByteArrayView(message).sliced(i);
        if (rest.startsWith("<!--")) {
            i = skipPast(message, i + 4, "-->");
        } else if (rest.startsWith("<![CDATA[")) {
            i = skipPast(message, i + 9, "]]>");
        } else if (rest.startsWith("<?")) {
            i = skipPast(message, i + 2, "?>");
        } else if (rest.startsWith("</") || rest.startsWith("<!")) {
            i = skipPast(message, i + 2, ">");
        } else {
            // A start tag: count attributes (each has one '=' outside quotes) up to its '>'.
            const qsizetype start = i;
            int attributes = 0;
            char quote = 0;
            for (++i; i < size; ++i) {
                const char c = message.at(i);
                if (quote != 0) {
                    if (c == quote) {
                        quote = 0;
                    }
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '=') {
                    if (++attributes > kMaxTagAttributes) {
                        return QStringLiteral("unreadable message: a start tag with more than %1 attributes")
                            .arg(kMaxTagAttributes);
                    }
                } else if (c == '>') {
                    break;
                }
                if (i - start > kMaxStartTagBytes) {
                    return QStringLiteral("unreadable message: a start tag longer than %1 bytes")
                        .arg(kMaxStartTagBytes);
                }
            }
            ++i;
        }
        if (i < size) {
            i = message.indexOf('<', i);
        }
    }
    return std::nullopt;
}

} // namespace Soap
