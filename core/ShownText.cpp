#include "ShownText.h"

namespace {

bool isControl(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

} // namespace

QString ShownText(QStringView text, QStringView keep) {
    qsizetype first = 0;
    while (first < text.size() && (!isControl(text[first].unicode()) || keep.contains(text[first]))) {
        ++first;
    }
    if (first == text.size()) {
        return text.toString(); // the common case: nothing to escape
    }
    QString shown = text.left(first).toString();
    for (qsizetype i = first; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (!isControl(c) || keep.contains(text[i])) {
            shown += text[i];
        } else if (c == u'\n') {
            shown += QLatin1String("\\n");
        } else if (c == u'\r') {
            shown += QLatin1String("\\r");
        } else if (c == u'\t') {
            shown += QLatin1String("\\t");
        } else {
            const QString hex = QString::number(int(c), 16).toUpper();
            shown += c < 0x100 ? QLatin1String("\\x") + hex.rightJustified(2, u'0')
                               : QLatin1String("\\u{") + hex + u'}';
        }
    }
    return shown;
}
