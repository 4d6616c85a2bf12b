#pragma once
// A scripted HTTP server on a free loopback port for odd answers: every request is recorded and
// answered with the next scripted raw response; an empty script entry keeps the connection silent,
// and a request beyond the script (Qt resends once after a broken answer) finds the connection closed.

#include <QByteArray>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

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
        const qint64 stream = streams_.take(served_++);
        if (stream > 0) {
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
    qsizetype served_ = 0;
    QHash<QTcpSocket *, QByteArray> pending_;
};
