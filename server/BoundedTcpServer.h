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

    // Several servers, one per answering thread, count the connections of an address together:
    // `guard` replaces this server's own and must outlive it.
    void shareGuard(ConnectionGuard *guard);
    // A connection accepted by another thread's listening server becomes this server's, as if it had
    // accepted it itself. Call it in this server's thread.
    void takeConnection(qintptr socketDescriptor) { incomingConnection(socketDescriptor); }

protected:
    void incomingConnection(qintptr socketDescriptor) override;
    // The socket over an accepted connection, null when it cannot be used; TlsTcpServer's speaks TLS.
    virtual std::unique_ptr<QTcpSocket> openSocket(qintptr socketDescriptor);

private:
    qint64 maxRequestBytes_;
    ConnectionGuard *guard_; // child, or shared
};
