#pragma once
// What the user may follow and do about one service call while it runs: the bytes moved so far, and a
// request to stop it. The window that offers it keeps the control and shares it with the call; the
// transport reports progress on the calling thread and notices a cancel from any thread.

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <functional>

struct TransferProgress {
    qint64 sent = 0;
    qint64 sendTotal = 0; // bytes of the request
    qint64 received = 0;
    qint64 receiveTotal = -1; // the answer's announced length; -1 while unknown
};

class TransferControl {
public:
    // Any thread: the login dialog stops a check that runs on the login thread.
    void Cancel() { cancelled_.store(true); }
    bool IsCancelled() const { return cancelled_.load(); }
    // Set by the transport when it stopped a call for the cancel; false when the answer was complete
    // first, and the caller has to drop it.
    void MarkHonoured() { honoured_.store(true); }
    bool Honoured() const { return honoured_.load(); }

    // Called on the thread of the call as bytes move; may stay empty. Set it before the call starts.
    std::function<void(const TransferProgress &)> OnProgress;
    // Called on the thread of the operation when it starts a step the user should be told of
    // ("正在提交您新增的照片,请稍候..."); may stay empty.
    std::function<void(const QString &notice)> OnStage;

private:
    std::atomic_bool cancelled_{false};
    std::atomic_bool honoured_{false};
};
