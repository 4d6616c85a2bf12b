#include "ConnectionGuard.h"

#include "RequestLog.h"
#include "ServiceMetrics.h"

#include <QTcpSocket>
#include <QTimer>

#include <sys/ioctl.h>

namespace {

const char kHttp10Property[] = "photoservice_http10";

} // namespace

// The timers of one connection, owned by its socket.
class ConnectionWatch : public QObject {
public:
    ConnectionWatch(QTcpSocket *socket, const ConnectionLimits &limits, ConnectionGuard &guard)
        : QObject(socket), socket_(socket), guard_(guard) {
        idle_.setSingleShot(true);
        idle_.setInterval(limits.idleTimeoutSeconds * 1000);
        request_.setSingleShot(true);
        request_.setInterval(limits.requestTimeoutSeconds * 1000);
        connect(&idle_, &QTimer::timeout, this, [this] { close(QStringLiteral("idle")); });
        connect(&request_, &QTimer::timeout, this, [this] { close(QStringLiteral("request not complete")); });
        // Made before the HTTP layer connects its own reader, so these see every chunk first.
        connect(socket, &QTcpSocket::readyRead, this, &ConnectionWatch::received);
        connect(socket, &QTcpSocket::bytesWritten, this, &ConnectionWatch::answered);
        idle_.start();
        const QMutexLocker lock(&guard_.mutex_);
        guard_.watches_.insert(this);
        if (guard_.draining_) {
            QMetaObject::invokeMethod(this, &ConnectionWatch::drain, Qt::QueuedConnection);
        }
    }
    ~ConnectionWatch() override {
        const QMutexLocker lock(&guard_.mutex_); // drain() posts to watches only under this lock
        guard_.watches_.remove(this);
    }

    // Closes the connection now when no request is in flight, else after its answer.
    void drain() {
        draining_ = true;
        // Bytes the system received but the socket has not read yet are a request on its way too.
        int unread = 0;
        if (::ioctl(int(socket_->socketDescriptor()), FIONREAD, &unread) != 0) {
            unread = 0;
        }
        if (!inRequest_ && unread == 0 && socket_->bytesAvailable() == 0 && socket_->bytesToWrite() == 0) {
            socket_->disconnectFromHost();
        }
    }

private:
    void received() {
        idle_.start();
        if (!inRequest_) {
            inRequest_ = true;
            request_.start();
        }
        if (!requestLineSeen_) {
            // The request line decides whether the answer closes the connection.
            const QByteArray head = socket_->peek(8192);
            const qsizetype end = head.indexOf('\n');
            if (end >= 0) {
                requestLineSeen_ = true;
                socket_->setProperty(kHttp10Property, head.left(end).trimmed().endsWith("HTTP/1.0"));
            }
        }
    }

    void answered() {
        idle_.start();
        request_.stop();
        inRequest_ = false;
        requestLineSeen_ = false;
        if (draining_) {
            socket_->disconnectFromHost(); // after what is still queued is written
        }
    }

    void close(const QString &why) {
        LogRequest(
            QStringLiteral("connection from %1 closed: %2").arg(socket_->peerAddress().toString(), why));
        socket_->abort();
    }

    QTcpSocket *socket_;
    ConnectionGuard &guard_;
    bool draining_ = false;
    QTimer idle_;
    QTimer request_;
    bool inRequest_ = false;
    bool requestLineSeen_ = false;
};

ConnectionGuard::ConnectionGuard(ConnectionLimits limits, QObject *parent)
    : QObject(parent), limits_(limits) {}

bool ConnectionGuard::admit(QTcpSocket *socket) {
    const QHostAddress peer = socket->peerAddress();
    QMutexLocker lock(&mutex_);
    int &count = perAddress_[peer];
    if (count >= limits_.maxPerAddress) {
        LogRequest(QStringLiteral("connection from %1 refused: it holds %2 connections already")
                       .arg(peer.toString())
                       .arg(count));
        lock.unlock();
        Metrics().countRefusal(QStringLiteral("connections_per_address"));
        socket->write("HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        socket->disconnectFromHost();
        return false;
    }
    ++count;
    lock.unlock();
    Metrics().connectionOpened();
    auto released = std::make_shared<bool>(false);
    // Run in the socket's own thread, so the count is down before that thread admits anything else.
    auto release = [this, peer, released] {
        if (*released) {
            return;
        }
        *released = true;
        Metrics().connectionClosed();
        const QMutexLocker relock(&mutex_);
        if (--perAddress_[peer] <= 0) {
            perAddress_.remove(peer);
        }
    };
    connect(socket, &QTcpSocket::disconnected, release);
    connect(socket, &QObject::destroyed, release);
    new ConnectionWatch(socket, limits_, *this); // owned by the socket
    return true;
}

bool ConnectionGuard::wantsClose(const QTcpSocket *socket) {
    return socket->property(kHttp10Property).toBool();
}

void ConnectionGuard::drain() {
    const QMutexLocker lock(&mutex_);
    draining_ = true;
    for (QObject *watch : std::as_const(watches_)) {
        QMetaObject::invokeMethod(static_cast<ConnectionWatch *>(watch), &ConnectionWatch::drain,
                                  Qt::QueuedConnection);
    }
}

int ConnectionGuard::openConnections() {
    const QMutexLocker lock(&mutex_);
    int open = 0;
    for (const int count : std::as_const(perAddress_)) {
        open += count;
    }
    return open;
}
