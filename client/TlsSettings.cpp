#include "TlsSettings.h"

#include "HttpTransport.h"
#include "TransportText.h"

#include <QFileInfo>
#include <QSslCertificate>
#include <QSslSocket>
#include <QStringList>

namespace TlsSettings {

QSslConfiguration ClientConfiguration(const QString &caFile) {
    if (!QSslSocket::supportsSsl()) {
        throw TransportError(TransportError::Kind::Configuration, TransportText::NoOpenSsl());
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
    tls.setProtocol(QSsl::TlsV1_2OrLater);
    if (!caFile.isEmpty()) {
        if (!QFileInfo::exists(caFile)) {
            throw TransportError(TransportError::Kind::Configuration, TransportText::MissingCaFile(caFile));
        }
        const QList<QSslCertificate> cas = QSslCertificate::fromPath(caFile, QSsl::Pem);
        if (cas.isEmpty()) {
            throw TransportError(TransportError::Kind::Configuration, TransportText::NoCaCertificate(caFile));
        }
        tls.setCaCertificates(cas);
    }
    return tls;
}

QString Describe(const QList<QSslError> &errors) {
    QStringList reasons;
    for (const QSslError &error : errors) {
        reasons << error.errorString();
    }
    reasons.removeDuplicates();
    return reasons.join(QStringLiteral("; "));
}

} // namespace TlsSettings
