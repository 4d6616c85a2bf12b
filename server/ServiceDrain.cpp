#include "ServiceDrain.h"

#include "RequestLog.h"
#include "ServiceWorkers.h"

#include <QCoreApplication>

ServiceDrain::ServiceDrain(ServiceWorkers &server, int timeoutSeconds, QObject *parent)
    : QObject(parent), server_(server), timeoutSeconds_(timeoutSeconds) {
    // Connections close in their own threads; a short poll here sees the last one go.
    poll_.setInterval(20);
    connect(&poll_, &QTimer::timeout, this, &ServiceDrain::check);
}

void ServiceDrain::begin() {
    LogRequest(QStringLiteral("stopping: no new connections; %1 open ones finish their requests")
                   .arg(server_.openConnections()));
    server_.beginDrain();
    deadline_.setRemainingTime(qint64(timeoutSeconds_) * 1000);
    poll_.start();
}

void ServiceDrain::check() {
    const int open = server_.openConnections();
    if (open > 0 && !deadline_.hasExpired()) {
        return;
    }
    if (open > 0) {
        LogRequest(QStringLiteral("drain: %1 connections still open after %2 s; closing them")
                       .arg(open)
                       .arg(timeoutSeconds_));
    }
    poll_.stop();
    QCoreApplication::quit();
}
