#pragma once
// Work too long for the calling thread's event loop, such as preparing a large photo (a 48-megapixel
// HEIC takes seconds): it runs on a thread of its own while the caller's events go on being handled,
// so windows keep painting and a cancel button stays usable.

#include <QEventLoop>

#include <functional>

// Runs work on another thread and returns once it has ended, rethrowing what it threw. The calling
// thread handles its events meanwhile, as flags allow.
void RunOffThread(const std::function<void()> &work,
                  QEventLoop::ProcessEventsFlags flags = QEventLoop::ExcludeUserInputEvents);
