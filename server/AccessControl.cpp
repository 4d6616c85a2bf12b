#include "AccessControl.h"

#include "RequestLog.h"
#include "contract/ResultCodes.h"

AccessControl::AccessControl(bool open, Clock clock) : open_(open), clock_(clock), logins_(clock) {}

std::optional<QString> AccessControl::refusal(const QHostAddress &address, Soap::Operation op) {
    if (op == Soap::Operation::ValidateUserLogin) {
        return std::nullopt;
    }
    const QMutexLocker lock(&mutex_);
    const TimePoint now = clock_();
    const auto found = callers_.constFind(address);
    const bool known = found != callers_.constEnd();
    std::optional<QString> why;
    if (!open_ && (!known || !found->loggedIn || now - *found->loggedIn > kLoginValidity)) {
        why = QStringLiteral("no login from %1 within the last 30 minutes").arg(address.toString());
    } else if (known && found->blockedUntil && now < *found->blockedUntil) {
        why = QStringLiteral("%1 asked for too many unknown companies; refused for a minute")
                  .arg(address.toString());
    }
    if (why) {
        LogRequest(Soap::OperationName(op) + QStringLiteral(" refused: ") + *why);
    }
    return why;
}

void AccessControl::note(const QHostAddress &address, Soap::Operation op, const QString &resultCode) {
    const QMutexLocker lock(&mutex_);
    const TimePoint now = clock_();
    if (op == Soap::Operation::ValidateUserLogin) {
        if (!open_ && resultCode == QLatin1String(ResultCode::kSuccess)) {
            forgetStale(now);
            callers_[address].loggedIn = now;
        }
        return;
    }
    // An insert's "1111" is mostly the photo limit or a repeated photo ID: ordinary work, no guess.
    const bool guess =
        resultCode == ResultCode::kCompanyNotFound ||
        (resultCode == ResultCode::kCompanyCheckFailed && op != Soap::Operation::InsertCompanyPhoto);
    if (!guess) {
        return;
    }
    forgetStale(now);
    Caller &caller = callers_[address];
    if (now - caller.windowStart > kThrottleWindow) {
        caller.windowStart = now;
        caller.misses = 0;
    }
    if (++caller.misses >= kUnknownCompanyLimit) {
        caller.blockedUntil = now + kThrottleWindow;
        caller.misses = 0;
        LogRequest(QStringLiteral("%1 throttled for a minute after %2 unknown-company answers")
                       .arg(address.toString())
                       .arg(kUnknownCompanyLimit));
    }
}

// Addresses whose login has lapsed and that are not blocked need no memory; dropping them keeps
// the table bounded by the addresses that logged in within the validity.
void AccessControl::forgetStale(TimePoint now) {
    if (callers_.size() < 1024) {
        return;
    }
    callers_.removeIf([&](const auto &entry) {
        const Caller &c = entry.value();
        return (!c.loggedIn || now - *c.loggedIn > kLoginValidity) &&
               (!c.blockedUntil || now >= *c.blockedUntil);
    });
}
