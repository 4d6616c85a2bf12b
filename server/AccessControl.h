#pragma once
// Who may use the company operations. The contract's header carries only the company's identifiers,
// no user secret, so by itself knowing a company ID would be enough. The service therefore answers
// company operations only for a client address that logged in successfully within the last 30
// minutes, and refuses an address for a minute once it drew 20 unknown-company answers within a
// minute. The login requirement can be switched off (--open-access) where every client shares one
// address; the throttle stays.

#include "LoginThrottle.h"
#include "contract/SoapCodec.h"

#include <QHash>
#include <QHostAddress>
#include <QMutex>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

// Shared by the threads that answer requests; every member may be called from any of them.
class AccessControl {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr std::chrono::minutes kLoginValidity{30};
    static constexpr int kUnknownCompanyLimit = 20;
    static constexpr std::chrono::minutes kThrottleWindow{1};

    explicit AccessControl(bool open = false, Clock clock = &std::chrono::steady_clock::now);

    // Why `op` from `address` is refused now, or nothing when it may be answered.
    std::optional<QString> refusal(const QHostAddress &address, Soap::Operation op);
    // Takes note of the result code answered: a successful login opens the address, an unknown
    // company or identifiers that do not fit (not an insert refused for the photo limit or a repeated
    // photo ID, which answers the same code) count towards the throttle.
    void note(const QHostAddress &address, Soap::Operation op, const QString &resultCode);

    // Failed logins, per address and per user name.
    LoginThrottle &logins() { return logins_; }

private:
    using TimePoint = std::chrono::steady_clock::time_point;
    struct Caller {
        std::optional<TimePoint> loggedIn;
        TimePoint windowStart{};
        int misses = 0;
        std::optional<TimePoint> blockedUntil;
    };
    void forgetStale(TimePoint now);

    bool open_;
    Clock clock_;
    LoginThrottle logins_;
    QMutex mutex_; // guards callers_
    QHash<QHostAddress, Caller> callers_;
};
