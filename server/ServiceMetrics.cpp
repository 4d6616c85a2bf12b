#include "ServiceMetrics.h"

#include <algorithm>
#include <map>

namespace {

// A label value as the text format wants it: backslash, quote and line break escaped.
QString label(QString value) {
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    value.replace(QLatin1Char('"'), QLatin1String("\\\""));
    value.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return value;
}

} // namespace

void ServiceMetrics::countRequest(const QString &operation, const QString &result, double seconds) {
    const auto bucket = std::lower_bound(kBuckets.begin(), kBuckets.end(), seconds) - kBuckets.begin();
    const QMutexLocker lock(&mutex_);
    ++requests_[{operation, result}];
    if (bucket < static_cast<std::ptrdiff_t>(kBuckets.size())) {
        ++bucketCounts_[static_cast<std::size_t>(bucket)];
    }
    ++durationCount_;
    durationSum_ += seconds;
}

void ServiceMetrics::countRefusal(const QString &reason) {
    const QMutexLocker lock(&mutex_);
    ++refusals_[reason];
}

QByteArray ServiceMetrics::text() {
    QString out;
    const QMutexLocker lock(&mutex_);
    out +=
        QLatin1String("# HELP photo_service_requests_total SOAP requests answered, by operation and result.\n"
                      "# TYPE photo_service_requests_total counter\n");
    // Sorted, so that one scrape reads like the next.
    const std::map<QPair<QString, QString>, quint64> requests(requests_.keyValueBegin(),
                                                              requests_.keyValueEnd());
    for (const auto &[key, count] : requests) {
        out += QStringLiteral("photo_service_requests_total{operation=\"%1\",result=\"%2\"} %3\n")
                   .arg(label(key.first), label(key.second))
                   .arg(count);
    }
    out += QLatin1String(
        "# HELP photo_service_request_duration_seconds Time from a whole request to its answer.\n"
        "# TYPE photo_service_request_duration_seconds histogram\n");
    quint64 cumulative = 0;
    for (std::size_t i = 0; i < kBuckets.size(); ++i) {
        cumulative += bucketCounts_[i];
        out += QStringLiteral("photo_service_request_duration_seconds_bucket{le=\"%1\"} %2\n")
                   .arg(kBuckets[i])
                   .arg(cumulative);
    }
    out += QStringLiteral("photo_service_request_duration_seconds_bucket{le=\"+Inf\"} %1\n"
                          "photo_service_request_duration_seconds_sum %2\n"
                          "photo_service_request_duration_seconds_count %1\n")
               .arg(durationCount_)
               .arg(durationSum_, 0, 'f', 6);
    out += QLatin1String("# HELP photo_service_refusals_total Requests and connections refused, by reason.\n"
                         "# TYPE photo_service_refusals_total counter\n");
    const std::map<QString, quint64> refusals(refusals_.keyValueBegin(), refusals_.keyValueEnd());
    for (const auto &[reason, count] : refusals) {
        out +=
            QStringLiteral("photo_service_refusals_total{reason=\"%1\"} %2\n").arg(label(reason)).arg(count);
    }
    out += QStringLiteral("# HELP photo_service_database_errors_total Requests the database failed.\n"
                          "# TYPE photo_service_database_errors_total counter\n"
                          "photo_service_database_errors_total %1\n"
                          "# HELP photo_service_open_connections Client connections open now.\n"
                          "# TYPE photo_service_open_connections gauge\n"
                          "photo_service_open_connections %2\n")
               .arg(databaseErrors_.load())
               .arg(openConnections_.load());
    return out.toUtf8();
}

ServiceMetrics &Metrics() {
    static ServiceMetrics metrics;
    return metrics;
}
