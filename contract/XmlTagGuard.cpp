#include "XmlTagGuard.h"

#include "ChunkedBytes.h"

#include <cstring>

namespace Soap {
namespace {

// A message in one piece, with the searches the check uses (ChunkedBytes has the same for pieces).
class ContiguousBytes {
public:
    explicit ContiguousBytes(const QByteArray &bytes) : bytes_(bytes) {}
    qsizetype size() const { return bytes_.size(); }
    char at(qsizetype i) const { return bytes_.at(i); }
    qsizetype indexOf(char c, qsizetype from = 0) const { return bytes_.indexOf(c, from); }
    qsizetype indexOf(const char *text, qsizetype from) const { return bytes_.indexOf(text, from); }
    bool startsWithAt(qsizetype i, const char *text) const {
        return QByteArrayView(bytes_).sliced(i).startsWith(text);
    }

private:
    const QByteArray &bytes_;
};

// The position just past `end` searched from `from`, or the message size when it never comes.
template <typename Text> qsizetype skipPast(const Text &message, qsizetype from, const char *end) {
    const qsizetype at = message.indexOf(end, from);
    return at < 0 ? message.size() : at + static_cast<qsizetype>(std::strlen(end));
}

template <typename Text> std::optional<QString> checkTags(const Text &message) {
    const qsizetype size = message.size();
    qsizetype i = message.indexOf('<');
    while (i >= 0 && i < size) {
        if (message.startsWithAt(i, "<!--")) {
            i = skipPast(message, i + 4, "-->");
        } else if (message.startsWithAt(i, "<![CDATA[")) {
            i = skipPast(message, i + 9, "]]>");
        } else if (message.startsWithAt(i, "<?")) {
            i = skipPast(message, i + 2, "?>");
        } else if (message.startsWithAt(i, "</") || message.startsWithAt(i, "<!")) {
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

} // namespace

std::optional<QString> CheckXmlTags(const QByteArray &message) {
    return checkTags(ContiguousBytes(message));
}

std::optional<QString> CheckXmlTags(const QByteArrayList &parts) {
    return checkTags(ChunkedBytes(parts));
}

} // namespace Soap
