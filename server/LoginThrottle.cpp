#include "LoginThrottle.h"

LoginThrottle::LoginThrottle(Clock clock) : clock_(std::move(clock)) {}

bool LoginThrottle::closed(const Failures &f, int limit, TimePoint now) const {
    return f.count >= limit && now - f.last < kWindow;
}

std::optional<QString> LoginThrottle::refusal(const QHostAddress &address, const QString &userName) {
    const QMutexLocker lock(&mutex_);
    const TimePoint now = clock_();
    if (closed(addresses_.value(address), kFailuresPerAddress, now)) {
        return QStringLiteral("too many failed logins from %1; try again in 15 minutes")
            .arg(address.toString());
    }
    if (closed(users_.value(userName), kFailuresPerUser, now)) {
        return QStringLiteral("too many failed logins for this user; try again in 15 minutes");
    }
    return std::nullopt;
}

void LoginThrottle::note(const QHostAddress &address, const QString &userName, bool success) {
    const QMutexLocker lock(&mutex_);
    const TimePoint now = clock_();
    if (success) {
        users_.remove(userName);
        return;
    }
    forgetStale(now);
    for (Failures *f : {&users_[userName], &addresses_[address]}) {
        if (now - f->last >= kWindow) {
            f->count = 0; // failures older than the window are forgiven
        }
        ++f->count;
        f->last = now;
    }
}

// Entries whose last failure is older than the window mean nothing any more; dropping them keeps the
// tables bounded by the failures of the last 15 minutes.
void LoginThrottle::forgetStale(TimePoint now) {
    if (users_.size() + addresses_.size() < 4096) {
        return;
    }
    const auto stale = [&](const auto &entry) { return now - entry.value().last >= kWindow; };
    users_.removeIf(stale);
    addresses_.removeIf(stale);
}
