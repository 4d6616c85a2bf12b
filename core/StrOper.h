#pragma once
// Text operations shared by every part of the client: Base64 of texts (over their GBK bytes), the
// part of a text before a separator, and the header token that hides request identities on the wire.

#include <QByteArray>
#include <QString>

class TStrOper {
public:
    TStrOper() = delete;

    // Base64 of the text's GBK bytes, a CR LF after every 76 output characters. Never fails.
    static QString EncodeBase64(const QString &text);
    // The GBK text whose Base64 form is given; characters outside the alphabet are skipped.
    static QString DecodeBase64(const QString &base64);

    // The same two codecs over raw bytes (line-broken output, lenient input).
    static QByteArray EncodeBase64Bytes(const QByteArray &bytes);
    static QByteArray DecodeBase64Bytes(const QByteArray &base64);

    // The trimmed part of the text before the first separator; empty when there is none.
    static QString GetStrBeforeChar(const QString &text, QChar separator);

    // One random letter of A-Z a-z, "O" taking two extra outcomes of 54.
    static QString GetRandomStr();
    // The header token: the Base64 text of the input with a random letter after every character but
    // the last.
    static QString EncodeHeaderStr(const QString &text);
    // Reads a header token back: every other character from the first, Base64-decoded as GBK.
    static QString DecodeHeaderStr(const QString &token);
};
