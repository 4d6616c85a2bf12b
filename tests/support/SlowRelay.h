#pragma once
// A loopback relay in front of a real service that reads what its client sends at a slow, steady
// pace (a slow link as the server sees it) and passes the answers back at once. It counts what it has
// read, so that a test can hold a client's progress against what really arrived. Small buffers on its
// side keep what the kernel holds for it, unread, to a few tens of kilobytes.

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <utility>

class SlowRelay : public QObject {
public:
    // bytesPerTick every 20 ms.
    SlowRelay(quint16 targetPort, qint64 bytesPerTick) : target_(targetPort), pace_(bytesPerTick) {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, this, [this] { accept(); });
        tick_.setInterval(20);
        QObject::connect(&tick_, &QTimer::timeout, this, [this] { pass(); });
        tick_.start();
    }

    quint16 port() const { return server_.serverPort(); }
    qint64 read() const { return read_; } // bytes taken from clients so far

private:
    void accept() {
        while (QTcpSocket *client = server_.nextPendingConnection()) {
            client->setParent(this);
            client->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 16 * 1024);
            client->setReadBufferSize(16 * 1024);
            auto *upstream = new QTcpSocket(client);
            upstream->connectToHost(QHostAddress::LocalHost, target_);
            QObject::connect(upstream, &QTcpSocket::readyRead, client,
                             [client, upstream] { client->write(upstream->readAll()); });
            QObject::connect(upstream, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
            QObject::connect(client, &QTcpSocket::disconnected, upstream, &QTcpSocket::abort);
            pairs_.append(std::make_pair(QPointer<QTcpSocket>(client), QPointer<QTcpSocket>(upstream)));
        }
    }

    void pass() {
        for (const auto &[client, upstream] : std::as_const(pairs_)) {
            if (!client.isNull() && !upstream.isNull() &&
                upstream->state() == QAbstractSocket::ConnectedState) {
                const QByteArray piece = client->read(pace_);
                read_ += piece.size();
                upstream->write(piece);
            }
        }
    }

    QTcpServer server_;
    quint16 target_;
    qint64 pace_;
    QTimer tick_;
    qint64 read_ = 0;
    QList<std::pair<QPointer<QTcpSocket>, QPointer<QTcpSocket>>> pairs_;
};
