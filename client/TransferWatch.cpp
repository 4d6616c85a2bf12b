#include "TransferWatch.h"

#include "TransportText.h"

#include <utility>

namespace {

constexpr std::chrono::milliseconds kCancelPoll{100};

double seconds(std::chrono::milliseconds span) {
    return std::chrono::duration<double>(span).count();
}

} // namespace

TransferWatch::TransferWatch(const HttpTransport::PostOptions &options, qint64 sendTotal,
                             std::function<void()> abort)
    : options_(options), abort_(std::move(abort)) {
    progress_.sendTotal = sendTotal;
    idle_.setSingleShot(true);
    idle_.setInterval(options_.idleTimeout);
    QObject::connect(&idle_, &QTimer::timeout, &idle_, [this] { stopWith(Stop::Idle); });
    pace_.setInterval(options_.minimumRate.window);
    QObject::connect(&pace_, &QTimer::timeout, &pace_, [this] { checkRate(); });
    cancelPoll_.setInterval(kCancelPoll);
    QObject::connect(&cancelPoll_, &QTimer::timeout, &cancelPoll_, [this] {
        if (options_.control->IsCancelled() && !committed_) {
            stopWith(Stop::Cancelled);
        }
    });
}

void TransferWatch::Start() {
    idle_.start();
    if (options_.minimumRate.bytes > 0 && options_.minimumRate.window.count() > 0) {
        pace_.start();
    }
    if (options_.control && !committed_) {
        cancelPoll_.start();
    }
    enterPhase(progress_.sendTotal > 0 ? Phase::Sending : Phase::Waiting);
}

void TransferWatch::Sent(qint64 sent, qint64 total) {
    idle_.start();
    if (total <= 0) {
        return; // an empty request
    }
    progress_.sent = sent;
    progressed();
    if (phase_ == Phase::Sending && sent >= progress_.sendTotal) {
        enterPhase(Phase::Waiting);
    }
}

void TransferWatch::Committed() {
    committed_ = true;
    cancelPoll_.stop();
}

void TransferWatch::AnswerStarted(qint64 announcedLength) {
    idle_.start();
    progress_.sent = progress_.sendTotal; // an answer means the request is through
    progress_.receiveTotal = announcedLength;
    if (phase_ != Phase::Receiving) {
        enterPhase(Phase::Receiving);
    }
    progressed();
}

void TransferWatch::Received(qint64 received) {
    idle_.start();
    progress_.received = received;
    progressed();
}

void TransferWatch::End() {
    idle_.stop();
    pace_.stop();
    cancelPoll_.stop();
}

void TransferWatch::enterPhase(Phase phase) {
    phase_ = phase;
    windowStart_ = moved();
    grace_ = true;
    if (pace_.isActive()) {
        pace_.start(); // windows start with the phase
    }
}

void TransferWatch::checkRate() {
    const qint64 window = moved() - windowStart_;
    windowStart_ = moved();
    const bool grace = std::exchange(grace_, false);
    // While the server works on the request nothing flows; that wait belongs to the idle time-out.
    if (!grace && phase_ != Phase::Waiting && window < options_.minimumRate.bytes) {
        slowWindow_ = window;
        stopWith(Stop::TooSlow);
    }
}

void TransferWatch::stopWith(Stop stop) {
    if (stop_ != Stop::None) {
        return;
    }
    stop_ = stop;
    End();
    abort_();
}

void TransferWatch::progressed() {
    if (options_.control && options_.control->OnProgress) {
        options_.control->OnProgress(progress_);
    }
}

QString TransferWatch::Reason(const QUrl &url) const {
    switch (stop_) {
    case Stop::Idle:
        return TransportText::NoAnswer(url, seconds(options_.idleTimeout));
    case Stop::TooSlow:
        return TransportText::TooSlow(url, slowWindow_, seconds(options_.minimumRate.window),
                                      options_.minimumRate.bytes);
    case Stop::Cancelled:
        return TransportText::Cancelled();
    case Stop::None:
        break;
    }
    return QString();
}
