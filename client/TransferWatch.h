#pragma once
// The clock of one HTTP call, HttpTransport's helper: ends the call through `abort` when it makes no
// progress for the idle time-out, moves fewer bytes than the minimum rate, or is cancelled through
// its control, and reports the bytes moved to the control's OnProgress. Lives on the calling thread.

#include "HttpTransport.h"

#include <QTimer>

#include <functional>

class TransferWatch {
public:
    enum class Stop { None, Idle, TooSlow, Cancelled };

    TransferWatch(const HttpTransport::PostOptions &options, qint64 sendTotal, std::function<void()> abort);

    void Start();
    void Sent(qint64 sent, qint64 total); // the request's bytes handed to the network
    // The whole request of a change has been handed to the network: a cancel is no longer honoured.
    void Committed();
    void AnswerStarted(qint64 announcedLength); // status line and headers arrived; -1: no length given
    void Received(qint64 received);             // answer bytes taken so far
    void End();                                 // stops every clock

    Stop stopped() const { return stop_; }
    bool committed() const { return committed_; }
    // Why the call was ended (for the exception); url names the server.
    QString Reason(const QUrl &url) const;

private:
    enum class Phase { Sending, Waiting, Receiving };

    void enterPhase(Phase phase);
    void checkRate();
    void stopWith(Stop stop);
    void progressed();
    qint64 moved() const { return progress_.sent + progress_.received; }

    HttpTransport::PostOptions options_;
    std::function<void()> abort_;
    QTimer idle_;
    QTimer pace_;
    QTimer cancelPoll_;
    TransferProgress progress_;
    Phase phase_ = Phase::Sending;
    qint64 windowStart_ = 0; // moved() when the current rate window began
    qint64 slowWindow_ = 0;  // bytes of the window that broke the rate rule
    bool grace_ = true;      // the current window is the first of its phase and is not judged
    Stop stop_ = Stop::None;
    bool committed_ = false;
};
