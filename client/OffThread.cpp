#include "OffThread.h"

#include <exception>
#include <thread>

void RunOffThread(const std::function<void()> &work, QEventLoop::ProcessEventsFlags flags) {
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
    loop.exec(flags);
    worker.join();
    if (failure) {
        std::rethrow_exception(failure);
    }
}
