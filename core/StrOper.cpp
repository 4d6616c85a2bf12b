#include "StrOper.h"

#include "Base64.h"
#include "FileOper.h"
#include "Gbk.h"

#include <QRandomGenerator>

#include <exception>

namespace {

constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int kLineLength = 76;

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
    Base64Decoder decoder;
    decoder.feed(QByteArrayView(base64));
    return decoder.take();
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
