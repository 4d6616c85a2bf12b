#pragma once
// A loopback proxy in front of the reference service for tests of lost links, on the test's event
// loop (the client's blocking calls keep it running).

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

// Forwards each connection to the service, but cuts the connection of an add: before the add
// reaches the service (the link dropped), or after the service answered it, within the first bytes of
// the answer (the service applied the add, the client never learns).
class LinkCutter : public QObject {
public:
    enum class Cut { Nothing, Request, Answer };
    LinkCutter(quint16 target, Cut what) : cut(what), target_(target) {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *client = server_.nextPendingConnection()) {
                forward(client);
            }
        });
    }
    quint16 port() const { return server_.serverPort(); }
    Cut cut; // may change between connections

private:
    void forward(QTcpSocket *client) {
        client->setParent(this);
        auto *upstream = new QTcpSocket(client);
        auto insert = std::make_shared<bool>(false);
        connect(client, &QTcpSocket::readyRead, upstream, [this, client, upstream, insert] {
            const QByteArray bytes = client->readAll();
            *insert = *insert || bytes.contains("InsertCompanyPhoto");
            if (*insert && cut == Cut::Request) {
                upstream->abort();
                client->abort();
                return;
            }
            upstream->write(bytes); // held until connected
        });
        connect(upstream, &QTcpSocket::readyRead, client, [this, client, upstream, insert] {
            const QByteArray bytes = upstream->readAll();
            if (!*insert || cut != Cut::Answer) {
                client->write(bytes);
                return;
            }
            client->write(bytes.left(12));
            client->disconnectFromHost();
            upstream->abort();
        });
        connect(upstream, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        upstream->connectToHost(QHostAddress::LocalHost, target_);
    }

    QTcpServer server_;
    quint16 target_;
};
