#include "TlsServerSetup.h"

#include "RequestLog.h"
#include "ServiceOptions.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QSslCertificate>
#include <QSslCipher>
#include <QSslKey>
#include <QSslSocket>

#include <openssl/pem.h>
#include <openssl/x509.h>

#include <memory>

namespace {

// TLS 1.2 suites with forward secrecy (ECDHE) and authenticated encryption (GCM, ChaCha20-Poly1305)
// only; TLS 1.3 suites (named "TLS_...") are all of that kind and stay as the TLS library offers them.
QList<QSslCipher> forwardSecretAeadCiphers(const QList<QSslCipher> &offered) {
    static const QRegularExpression tls12(
        QStringLiteral("^ECDHE-(ECDSA|RSA)-(AES(128|256)-GCM-SHA(256|384)|CHACHA20-POLY1305)$"));
    QList<QSslCipher> kept;
    for (const QSslCipher &cipher : offered) {
        if (cipher.name().startsWith(QLatin1String("TLS_")) || tls12.match(cipher.name()).hasMatch()) {
            kept.append(cipher);
        }
    }
    return kept;
}

// Whether the private key in `keyPem` is the one of the first certificate in `certPem`: otherwise
// every handshake would fail while the service looks up. Qt does not compare them, OpenSSL does.
bool keyFitsCertificate(const QByteArray &keyPem, const QByteArray &certPem) {
    const std::unique_ptr<BIO, decltype(&BIO_free)> certBio(
        BIO_new_mem_buf(certPem.constData(), int(certPem.size())), &BIO_free);
    const std::unique_ptr<BIO, decltype(&BIO_free)> keyBio(
        BIO_new_mem_buf(keyPem.constData(), int(keyPem.size())), &BIO_free);
    if (!certBio || !keyBio) {
        return false;
    }
    const std::unique_ptr<X509, decltype(&X509_free)> cert(
        PEM_read_bio_X509(certBio.get(), nullptr, nullptr, nullptr), &X509_free);
    const std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(
        PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr), &EVP_PKEY_free);
    return cert && key && X509_check_private_key(cert.get(), key.get()) == 1;
}

// The peer as a log line names it.
QString peerText(const QTcpSocket &socket) {
    return socket.peerAddress().toString() + QLatin1Char(':') + QString::number(socket.peerPort());
}

} // namespace

std::optional<QSslConfiguration> LoadServerTls(const QString &certFile, const QString &keyFile,
                                               QString &error) {
    if (!QSslSocket::supportsSsl()) {
        error = QStringLiteral("TLS is not available: Qt found no usable OpenSSL (%1)")
                    .arg(QSslSocket::sslLibraryVersionString());
        return std::nullopt;
    }
    QFile certificate(certFile);
    if (!certificate.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("--tls-cert: cannot read \"%1\": %2").arg(certFile, certificate.errorString());
        return std::nullopt;
    }
    const QByteArray certPem = certificate.readAll();
    const QList<QSslCertificate> chain = QSslCertificate::fromData(certPem, QSsl::Pem);
    if (chain.isEmpty() || chain.first().isNull()) {
        error = QStringLiteral("--tls-cert: no PEM certificate in \"%1\"").arg(certFile);
        return std::nullopt;
    }
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (chain.first().expiryDate() < now || chain.first().effectiveDate() > now) {
        error = QStringLiteral("--tls-cert: the certificate in \"%1\" is valid from %2 to %3 (UTC), not now")
                    .arg(certFile, chain.first().effectiveDate().toUTC().toString(Qt::ISODate),
                         chain.first().expiryDate().toUTC().toString(Qt::ISODate));
        return std::nullopt;
    }
    QFile file(keyFile);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("--tls-key: cannot read \"%1\": %2").arg(keyFile, file.errorString());
        return std::nullopt;
    }
    const QByteArray pem = file.readAll();
    QSslKey key;
    for (const QSsl::KeyAlgorithm algorithm : {QSsl::Rsa, QSsl::Ec}) {
        key = QSslKey(pem, algorithm, QSsl::Pem, QSsl::PrivateKey);
        if (!key.isNull()) {
            break;
        }
    }
    if (key.isNull()) {
        error = QStringLiteral("--tls-key: no unencrypted RSA or EC private key in \"%1\"").arg(keyFile);
        return std::nullopt;
    }
    if (!keyFitsCertificate(pem, certPem)) {
        error = QStringLiteral("--tls-key: the key in \"%1\" does not belong to the certificate in \"%2\"")
                    .arg(keyFile, certFile);
        return std::nullopt;
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain(chain);
    tls.setPrivateKey(key);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone); // clients are not asked for certificates
    tls.setProtocol(QSsl::TlsV1_2OrLater);
    tls.setCiphers(forwardSecretAeadCiphers(QSslConfiguration::supportedCiphers()));
    return tls;
}

TlsTcpServer::TlsTcpServer(const QSslConfiguration &tls, qint64 maxRequestBytes, ConnectionLimits limits,
                           QObject *parent)
    : BoundedTcpServer(maxRequestBytes, limits, parent), tls_(tls) {}

std::unique_ptr<QTcpSocket> TlsTcpServer::openSocket(qintptr socketDescriptor) {
    auto socket = std::make_unique<QSslSocket>(this);
    if (!socket->setSocketDescriptor(socketDescriptor)) {
        return nullptr;
    }
    socket->setSslConfiguration(tls_);
    QSslSocket *s = socket.get();
    // A client that does not speak TLS, or refuses our certificate, ends here; say so once.
    connect(s, &QSslSocket::errorOccurred, s, [s](QAbstractSocket::SocketError) {
        if (!s->isEncrypted()) {
            LogRequest(QStringLiteral("TLS with %1 failed: %2").arg(peerText(*s), s->errorString()));
        }
    });
    // HTTP reads and writes go through the socket as before; it encrypts and decrypts underneath.
    s->startServerEncryption();
    return socket;
}

std::unique_ptr<BoundedTcpServer> MakeServiceTcpServer(const ServiceOptions &options, QString &error) {
    if (options.tlsCertFile.isEmpty()) {
        return std::make_unique<BoundedTcpServer>(options.maxRequestBytes, options.connections);
    }
    const std::optional<QSslConfiguration> tls =
        LoadServerTls(options.tlsCertFile, options.tlsKeyFile, error);
    if (!tls) {
        return nullptr;
    }
    return std::make_unique<TlsTcpServer>(*tls, options.maxRequestBytes, options.connections);
}
