#pragma once
// The threads that answer requests. One listening server accepts connections in the main thread and
// hands each, in turn, to one of several threads; each thread has its own database connection, its
// own HTTP server and sockets, so a large answer built in one does not hold up the others. Login
// state and the per-address connection count are shared by all of them.

#include "AccessControl.h"
#include "ServiceOptions.h"

#include <QTcpServer>

#include <atomic>
#include <memory>
#include <vector>

class PhotoListCache;
class ServiceWorker;

class ServiceWorkers : public QTcpServer {
    Q_OBJECT
public:
    explicit ServiceWorkers(QObject *parent = nullptr);
    // Once listening: starts `count` answering threads; false with the reason (and no longer
    // listening) when one cannot open the database or the TLS files are unusable.
    bool startWorkers(const ServiceOptions &options, AccessControl &access, int count, QString &error);
    // Stops the threads; connections still open are closed.
    ~ServiceWorkers() override;

    // Stops accepting (no thread listens any more) and lets each connection finish the request in
    // flight (ConnectionGuard::drain).
    void beginDrain();
    // Connections open, or accepted and on their way to an answering thread.
    int openConnections() { return inHand_.load() + (guard_ ? guard_->openConnections() : 0); }

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    std::unique_ptr<ConnectionGuard> guard_; // before the workers: they use it until they end
    std::unique_ptr<PhotoListCache> lists_;  // the same
    std::vector<std::unique_ptr<ServiceWorker>> workers_;
    std::size_t next_ = 0;
    std::atomic<int> inHand_{0};
};
