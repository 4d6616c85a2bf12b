#pragma once
// HTTPS for the service: the certificate chain and private key named by --tls-cert/--tls-key, and a
// listening server whose connections speak TLS (Qt's TLS backend over OpenSSL) before any HTTP.

#include "BoundedTcpServer.h"

#include <QSslConfiguration>

#include <memory>
#include <optional>

struct ServiceOptions;

// The server side TLS configuration from PEM files: the certificate (followed by any intermediate
// certificates) and its unencrypted private key (RSA or EC). nullopt with the reason when unusable.
std::optional<QSslConfiguration> LoadServerTls(const QString &certFile, const QString &keyFile,
                                               QString &error);

class TlsTcpServer : public BoundedTcpServer {
public:
    TlsTcpServer(const QSslConfiguration &tls, qint64 maxRequestBytes, ConnectionLimits limits = {},
                 QObject *parent = nullptr);

protected:
    std::unique_ptr<QTcpSocket> openSocket(qintptr socketDescriptor) override;

private:
    QSslConfiguration tls_;
};

// The TCP server the options ask for, plain or TLS; null with the reason when the TLS files are unusable.
std::unique_ptr<BoundedTcpServer> MakeServiceTcpServer(const ServiceOptions &options, QString &error);
