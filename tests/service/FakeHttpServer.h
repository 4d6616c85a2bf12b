#pragma once
// A scripted HTTP server on a free loopback port for odd answers: every request is recorded and
// answered with the next scripted raw response; an empty script entry keeps the connection silent,
// and a request beyond the script (Qt resends once after a broken answer) finds the connection closed.

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

struct RecordedRequest {
    QByteArray head; // request line and headers
    QByteArray body;
    QByteArray header(const QByteArray &name) const {
        for (const QByteArray &line : head.split('\n')) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0) {
                return line.mid(colon + 1).trimmed();
            }
        }
        return QByteArray();
    }
};

class FakeHttpServer : public QObject {
    Q_OBJECT
public:
    FakeHttpServer() {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = server_.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            }
        });
    }

    QString url() const {
        return QStringLiteral("http://127.0.0.1:%1/PictureService.asmx").arg(server_.serverPort());
    }

    // Queues a whole answer with a status line, the headers and the body.
    void reply(int status, const QByteArray &reason, const QByteArray &body,
               const QByteArray &contentType = "text/xml; charset=utf-8") {
        script_.append("HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\nContent-Type: " +
                       contentType + "\r\nContent-Length: " + QByteArray::number(body.size()) +
                       "\r\nConnection: close\r\n\r\n" + body);
    }
    void replyRaw(const QByteArray &raw) { script_.append(raw); }
    void staySilent() { script_.append(QByteArray()); }
    // Queues `head`, then streams `bodyBytes` of filler as fast as the client reads, then closes.
    void replyStream(const QByteArray &head, qint64 bodyBytes) {
        streams_[served_ + script_.size()] = bodyBytes;
        script_.append(head);
    }

    // Queues an answer sent with its head at once and then one byte of its body every `everyMs`.
    void replyTrickle(const QByteArray &raw, int everyMs) {
        trickles_[served_ + script_.size()] = everyMs;
        script_.append(raw);
    }
    // Queues the start of an answer after which the connection stays open and silent.
    void replyAndHold(const QByteArray &raw) {
        held_.insert(served_ + script_.size());
        script_.append(raw);
    }
    // Closes every connection, ending whatever call waits on one.
    void dropConnections() {
        for (QTcpSocket *socket : findChildren<QTcpSocket *>()) {
            socket->abort();
        }
    }

    QList<RecordedRequest> requests;

private:
    void serve(QTcpSocket *socket) {
        QByteArray &buffer = pending_[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0) {
            return;
        }
        RecordedRequest request{buffer.left(end), buffer.mid(end + 4)};
        if (request.body.size() < request.header("Content-Length").toLongLong()) {
            return;
        }
        requests.append(request);
        pending_.remove(socket);
        if (script_.isEmpty()) {
            socket->disconnectFromHost();
            return;
        }
        const QByteArray answer = script_.takeFirst();
        const qint64 stream = streams_.take(served_);
        const int trickle = trickles_.take(served_);
        const bool hold = held_.remove(served_);
        ++served_;
        if (trickle > 0) {
            const qsizetype head = answer.indexOf("\r\n\r\n") + 4;
            socket->write(answer.left(head));
            auto *timer = new QTimer(socket);
            connect(timer, &QTimer::timeout, socket,
                    [socket, rest = answer.mid(head), at = qsizetype(0)]() mutable {
                        at < rest.size() ? void(socket->write(rest.mid(at++, 1)))
                                         : socket->disconnectFromHost();
                    });
            timer->start(trickle);
        } else if (hold) {
            socket->write(answer);
        } else if (stream > 0) {
            socket->write(answer);
            auto left = std::make_shared<qint64>(stream);
            connect(socket, &QTcpSocket::bytesWritten, socket, [socket, left] {
                if (socket->bytesToWrite() > 0) {
                    return;
                }
                const qint64 chunk = qMin<qint64>(*left, 1 << 20);
                *left -= chunk;
                chunk > 0 ? void(socket->write(QByteArray(chunk, 'x'))) : socket->disconnectFromHost();
            });
        } else if (!answer.isEmpty()) {
            socket->write(answer);
            socket->disconnectFromHost();
        }
    }

    QTcpServer server_;
    QList<QByteArray> script_;
    QHash<qsizetype, qint64> streams_; // script position -> filler bytes after it
    QHash<qsizetype, int> trickles_;   // script position -> milliseconds between body bytes
    QSet<qsizetype> held_;             // script positions whose connection stays open
    qsizetype served_ = 0;
    QHash<QTcpSocket *, QByteArray> pending_;
};
