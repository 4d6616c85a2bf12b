#include "BusyWork.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressDialog>

#include <exception>
#include <thread>

namespace {

struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

void RunBusyWork(QWidget *owner, const QString &tip, const std::function<void()> &work) {
    const WaitCursor cursor;
    QProgressDialog notice(tip, QString(), 0, 0, owner); // no cancel button; a moving bar
    notice.setWindowModality(Qt::WindowModal);
    notice.setAutoReset(false);
    notice.setAutoClose(false);
    notice.setMinimumDuration(kBusyNoticeMs);
    notice.setValue(0); // starts the timer that shows the notice when the work is still running then
    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        // Queued: runs once the loop below is running, even when the work ends before it starts.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    if (failure) {
        std::rethrow_exception(failure);
    }
}
