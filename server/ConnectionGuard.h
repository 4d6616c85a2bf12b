#pragma once
// Keeps connections from tying up the service: closes a connection that is idle longer than the idle
// time-out or whose request is not complete within the request time-out, bounds the connections one
// client address may hold, and marks HTTP/1.0 requests so that their answer closes the connection.

#include <QHash>
#include <QHostAddress>
#include <QMutex>
#include <QObject>
#include <QSet>

class QTcpSocket;

struct ConnectionLimits {
    int idleTimeoutSeconds = 30;
    int requestTimeoutSeconds = 120;
    int maxPerAddress = 100;
    int drainTimeoutSeconds = 10; // how long a stopping service lets requests in flight finish
};

// One guard may watch the connections of several threads: it must outlive every socket it admitted.
class ConnectionGuard : public QObject {
    Q_OBJECT
public:
    explicit ConnectionGuard(ConnectionLimits limits, QObject *parent = nullptr);

    // Starts watching a new connection; false when its address already holds the most connections
    // allowed, in which case the connection has been answered with HTTP 503 and is closing.
    bool admit(QTcpSocket *socket);

    // Whether the request being answered on `socket` was an HTTP/1.0 one.
    static bool wantsClose(const QTcpSocket *socket);

    // The service is stopping: connections without a request in flight are closed now, the others
    // once their answer is written, and any admitted from now on likewise. Any thread.
    void drain();
    // Connections admitted and not yet closed.
    int openConnections();

private:
    friend class ConnectionWatch;
    ConnectionLimits limits_;
    QMutex mutex_; // guards perAddress_, watches_ and draining_
    QHash<QHostAddress, int> perAddress_;
    QSet<QObject *> watches_; // one per admitted connection, in the connection's thread
    bool draining_ = false;
};
