#pragma once
// The technical accounts of failed transfers (TransportError::what()), written to the run log beside
// its other lines and so in Chinese. They name the server and the figures; FailureReason says the
// same to the user in words a person can act on.

#include <QString>
#include <QUrl>

namespace TransportText {

QString NoAnswer(const QUrl &url, double seconds);
QString TooSlow(const QUrl &url, qint64 bytes, double seconds, qint64 needed);
QString TooLarge(const QUrl &url, qint64 maxBytes);
QString CertificateRefused(const QUrl &url, const QString &problem);
QString RequestFailed(const QUrl &url, const QString &error);
QString HttpStatus(int status, const QString &reason);
QString Cancelled();
QString NoOpenSsl();
QString NoCaCertificate(const QString &file);
QString MissingCaFile(const QString &file);

} // namespace TransportText
