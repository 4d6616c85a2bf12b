#pragma once
// Stopping without dropping requests: once begun, the service accepts no new connections, lets the
// requests in flight be answered, and ends the event loop when no connection is left open or the
// drain time-out has passed, whichever comes first.

#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

class ServiceWorkers;

class ServiceDrain : public QObject {
    Q_OBJECT
public:
    ServiceDrain(ServiceWorkers &server, int timeoutSeconds, QObject *parent = nullptr);

    // Call once, in the main thread (the first SIGTERM or SIGINT).
    void begin();

private:
    void check();

    ServiceWorkers &server_;
    int timeoutSeconds_;
    QDeadlineTimer deadline_;
    QTimer poll_;
};
