#include "ServiceWorkers.h"

#include "PhotoDatabase.h"
#include "PhotoHttpServer.h"
#include "PhotoListCache.h"
#include "ServiceLogic.h"
#include "TlsServerSetup.h"

#include <QSemaphore>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <unistd.h>

// One answering thread: everything it uses is made, used and destroyed inside it.
class ServiceWorker : public QThread {
public:
    // `listening`: a copy of the listening socket, so that this thread's server counts as listening.
    ServiceWorker(const ServiceOptions &options, AccessControl &access, ConnectionGuard &guard,
                  PhotoListCache &lists, qintptr listening)
        : options_(options), access_(access), guard_(guard), lists_(lists), listening_(listening) {
        start();
        ready_.acquire();
        if (!server_) {
            wait();
            throw std::runtime_error(error_.toStdString());
        }
    }
    ~ServiceWorker() override {
        quit();
        wait();
    }

    // Closes this thread's copy of the listening socket.
    void stopListening() {
        QMetaObject::invokeMethod(
            server_, [server = server_] { server->close(); }, Qt::QueuedConnection);
    }

    // `inHand` counts the connections handed over and not yet taken; it goes down once this one is.
    void hand(qintptr socketDescriptor, std::atomic<int> &inHand) {
        QMetaObject::invokeMethod(
            server_,
            [server = server_, socketDescriptor, &inHand] {
                server->takeConnection(socketDescriptor);
                inHand.fetch_sub(1);
                // Taking a connection turns accepting back on; the listening thread does that.
                server->pauseAccepting();
            },
            Qt::QueuedConnection);
    }

protected:
    void run() override {
        std::unique_ptr<PhotoDatabase> db;
        try {
            db = std::make_unique<PhotoDatabase>(options_.dbFile);
        } catch (const DatabaseError &e) {
            error_ = QString::fromUtf8(e.what());
            ready_.release();
            return;
        }
        ServiceLogic logic(*db, &QDateTime::currentDateTime, &lists_);
        PhotoHttpServer http(logic, &access_);
        std::unique_ptr<BoundedTcpServer> tcp = MakeServiceTcpServer(options_, error_);
        if (!tcp) {
            ready_.release();
            return;
        }
        tcp->shareGuard(&guard_);
        // Listening on the same socket as the listening thread, but not accepting: the connections
        // come from there, one thread after the other.
        if (!tcp->setSocketDescriptor(listening_)) {
            error_ = tcp->errorString();
            ready_.release();
            return;
        }
        tcp->pauseAccepting();
        server_ = tcp.get();
        http.bind(tcp.release()); // the HTTP server becomes its parent
        ready_.release();
        exec();
    }

private:
    const ServiceOptions options_;
    AccessControl &access_;
    ConnectionGuard &guard_;
    PhotoListCache &lists_;
    qintptr listening_;
    QSemaphore ready_;
    QString error_;
    BoundedTcpServer *server_ = nullptr; // lives in this thread; set before ready_ is released
};

ServiceWorkers::ServiceWorkers(QObject *parent) : QTcpServer(parent) {}

bool ServiceWorkers::startWorkers(const ServiceOptions &options, AccessControl &access, int count,
                                  QString &error) {
    guard_ = std::make_unique<ConnectionGuard>(options.connections);
    lists_ = std::make_unique<PhotoListCache>(options.listCacheBytes);
    try {
        for (int i = 0; i < qMax(1, count); ++i) {
            const int copy = ::dup(int(socketDescriptor()));
            if (copy < 0) {
                throw std::runtime_error(std::strerror(errno));
            }
            workers_.push_back(std::make_unique<ServiceWorker>(options, access, *guard_, *lists_, copy));
        }
    } catch (const std::runtime_error &e) {
        error = QString::fromUtf8(e.what());
        workers_.clear();
        close();
        return false;
    }
    return true;
}

ServiceWorkers::~ServiceWorkers() {
    workers_.clear(); // each thread ends and destroys its sockets before the guard goes
}

void ServiceWorkers::beginDrain() {
    // Connections the system accepted already are clients that sent, or are sending, a request: take
    // them before closing, or closing would reset them.
    bool timedOut = false;
    while (waitForNewConnection(0, &timedOut) && !timedOut) {
    }
    close();
    for (const auto &worker : workers_) {
        worker->stopListening();
    }
    guard_->drain();
}

void ServiceWorkers::incomingConnection(qintptr socketDescriptor) {
    inHand_.fetch_add(1);
    workers_[next_]->hand(socketDescriptor, inHand_);
    next_ = (next_ + 1) % workers_.size();
}
