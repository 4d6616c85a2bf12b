#pragma once
// Slows password guessing. A user name that drew 5 wrong passwords within 15 minutes, or an address
// that drew 20, is refused logins for 15 minutes from the last failure, without the password being
// checked; a successful login clears the count of its user name (not of its address, so one valid
// account does not reopen an address that guesses others).

#include <QHash>
#include <QHostAddress>
#include <QMutex>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

// Shared by the answering threads; every member may be called from any of them.
class LoginThrottle {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr int kFailuresPerUser = 5;
    static constexpr int kFailuresPerAddress = 20;
    static constexpr std::chrono::minutes kWindow{15};

    explicit LoginThrottle(Clock clock = &std::chrono::steady_clock::now);

    // Why a login for `userName` from `address` is refused now, or nothing.
    std::optional<QString> refusal(const QHostAddress &address, const QString &userName);
    // Takes note of a login's outcome: `success` false for a wrong user name or password.
    void note(const QHostAddress &address, const QString &userName, bool success);

private:
    using TimePoint = std::chrono::steady_clock::time_point;
    struct Failures {
        int count = 0;
        TimePoint last{};
    };
    bool closed(const Failures &f, int limit, TimePoint now) const;
    void forgetStale(TimePoint now);

    Clock clock_;
    QMutex mutex_; // guards the tables
    QHash<QString, Failures> users_;
    QHash<QHostAddress, Failures> addresses_;
};
