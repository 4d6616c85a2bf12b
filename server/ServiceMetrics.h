#pragma once
// What GET /metrics reports, in the Prometheus text format (version 0.0.4): requests by operation and
// result, a histogram of their answering time, open connections, refusals by reason and database
// errors. One set for the process, counted by every answering thread.

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QString>

#include <array>
#include <atomic>

class ServiceMetrics {
public:
    // `result`: the result code answered, or "fault", "refused", "database_error", "server_error".
    void countRequest(const QString &operation, const QString &result, double seconds);
    // `reason`: "access", "connections_per_address", "request_too_large", "login_throttled", ...
    void countRefusal(const QString &reason);
    void countDatabaseError() { databaseErrors_.fetch_add(1, std::memory_order_relaxed); }
    void connectionOpened() { openConnections_.fetch_add(1, std::memory_order_relaxed); }
    void connectionClosed() { openConnections_.fetch_sub(1, std::memory_order_relaxed); }

    QByteArray text();

private:
    static constexpr std::array<double, 11> kBuckets{0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10};

    QMutex mutex_; // guards the members below it
    QHash<QPair<QString, QString>, quint64> requests_;
    QHash<QString, quint64> refusals_;
    std::array<quint64, kBuckets.size()> bucketCounts_{}; // answers up to each bound (not cumulative)
    quint64 durationCount_ = 0;
    double durationSum_ = 0;

    std::atomic<quint64> databaseErrors_{0};
    std::atomic<qint64> openConnections_{0};
};

// The process's metrics.
ServiceMetrics &Metrics();
