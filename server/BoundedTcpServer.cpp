#include "BoundedTcpServer.h"

#include "RequestLog.h"
#include "ServiceMetrics.h"

#include <QTcpSocket>

#include <memory>

BoundedTcpServer::BoundedTcpServer(qint64 maxRequestBytes, ConnectionLimits limits, QObject *parent)
    : QTcpServer(parent), maxRequestBytes_(maxRequestBytes), guard_(new ConnectionGuard(limits, this)) {}

void BoundedTcpServer::shareGuard(ConnectionGuard *guard) {
    if (guard_->parent() == this) {
        delete guard_;
    }
    guard_ = guard;
}

std::unique_ptr<QTcpSocket> BoundedTcpServer::openSocket(qintptr socketDescriptor) {
    auto socket = std::make_unique<QTcpSocket>(this);
    return socket->setSocketDescriptor(socketDescriptor) ? std::move(socket) : nullptr;
}

void BoundedTcpServer::incomingConnection(qintptr socketDescriptor) {
    std::unique_ptr<QTcpSocket> socket = openSocket(socketDescriptor);
    if (!socket) {
        return;
    }
    QTcpSocket *s = socket.get();
    // An answer is queued whole at once, in a few pieces; without this the last small piece could
    // wait for the client's delayed acknowledgement of the ones before (tens of milliseconds).
    s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (!guard_->admit(s)) {
        // Closing: owned by this server (its parent) until it is gone.
        connect(socket.release(), &QTcpSocket::disconnected, s, &QObject::deleteLater);
        return;
    }
    // Bytes received since the last answer was sent. This connection is made before the HTTP layer
    // connects its own reader, so it sees every new chunk first.
    auto received = std::make_shared<qint64>(0);
    connect(s, &QTcpSocket::bytesWritten, s, [received](qint64) { *received = 0; });
    connect(s, &QTcpSocket::readyRead, s, [s, received, limit = maxRequestBytes_] {
        *received += s->bytesAvailable();
        if (*received <= limit) {
            return;
        }
        LogRequest(QStringLiteral("request refused: more than %1 bytes").arg(limit));
        Metrics().countRefusal(QStringLiteral("request_too_large"));
        // No further reads for the HTTP layer; answer and close.
        disconnect(s, &QTcpSocket::readyRead, nullptr, nullptr);
        s->write("HTTP/1.1 413 Payload Too Large\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        s->disconnectFromHost();
    });
    addPendingConnection(socket.release()); // owned by this server (parent) until the HTTP layer takes it
}
