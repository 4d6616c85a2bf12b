#pragma once
// A TCP server whose connections may not send more than a set number of bytes for one request: the
// HTTP layer above keeps a whole request body in memory, so an oversized request is answered with
// HTTP 413 and the connection closed before it can exhaust memory.

#include "ConnectionGuard.h"

#include <QTcpServer>

#include <memory>

class BoundedTcpServer : public QTcpServer {
    Q_OBJECT
public:
    BoundedTcpServer(qint64 maxRequestBytes, ConnectionLimits limits = {}, QObject *parent = nullptr);

protected:
    void incomingConnection(qintptr socketDescriptor) override;
    // The socket over an accepted connection, null when it cannot be used; TlsTcpServer's speaks TLS.
    virtual std::unique_ptr<QTcpSocket> openSocket(qintptr socketDescriptor);

private:
    qint64 maxRequestBytes_;
    ConnectionGuard *guard_; // child
};
