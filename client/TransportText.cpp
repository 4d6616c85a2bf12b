#include "TransportText.h"

namespace TransportText {

QString NoAnswer(const QUrl &url, double seconds) {
    return QStringLiteral("%1 在 %2 秒内没有应答").arg(url.toString()).arg(seconds);
}

QString TooSlow(const QUrl &url, qint64 bytes, double seconds, qint64 needed) {
    return QStringLiteral("与 %1 的传输太慢:最近 %3 秒只传输了 %2 字节,至少需要 %4 字节")
        .arg(url.toString())
        .arg(bytes)
        .arg(seconds)
        .arg(needed);
}

QString TooLarge(const QUrl &url, qint64 maxBytes) {
    return QStringLiteral("%1 的应答大于 %2 字节").arg(url.toString()).arg(maxBytes);
}

QString CertificateRefused(const QUrl &url, const QString &problem) {
    return QStringLiteral("%1 的证书被拒绝:%2").arg(url.toString(QUrl::RemovePath), problem);
}

QString RequestFailed(const QUrl &url, const QString &error) {
    return QStringLiteral("向 %1 发送的 HTTP 请求失败:%2").arg(url.toString(), error);
}

QString HttpStatus(int status, const QString &reason) {
    return QStringLiteral("HTTP 状态 %1 %2").arg(status).arg(reason).trimmed();
}

QString Cancelled() {
    return QStringLiteral("已被用户取消");
}

QString NoOpenSsl() {
    return QStringLiteral("无法使用 https:Qt 找不到可用的 OpenSSL");
}

QString NoCaCertificate(const QString &file) {
    return QStringLiteral("%1 中没有 CA 证书").arg(file);
}

QString MissingCaFile(const QString &file) {
    return QStringLiteral("CA 证书文件 %1 不存在;请用 uploadpic-cli config write --tls --ca FILE 重新写入")
        .arg(file);
}

} // namespace TransportText
