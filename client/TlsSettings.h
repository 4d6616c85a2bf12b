#pragma once
// How the client checks the photo service's certificate over https: against the system's CAs, or only
// against the certificates of the configured CA file. There is no way to skip the check.

#include <QList>
#include <QSslConfiguration>
#include <QSslError>
#include <QString>

namespace TlsSettings {

// The configuration for requests to the service. Throws TransportError when caFile is given but
// holds no PEM certificate, or when this system's Qt has no TLS.
QSslConfiguration ClientConfiguration(const QString &caFile);

// The reasons of a failed verification, one phrase each, joined for a log line.
QString Describe(const QList<QSslError> &errors);

} // namespace TlsSettings
