#pragma once
// Work too long for the windows' thread, such as preparing a large photo (a 48-megapixel HEIC takes
// seconds): it runs on a thread of its own while the windows go on painting, with a wait cursor and,
// once it has taken kBusyNoticeMs, a notice over its window. Input to the windows waits until the
// work has ended, so nothing can be started twice meanwhile.

#include <QString>

#include <functional>

class QWidget;

inline constexpr int kBusyNoticeMs = 500;

// Runs work on another thread and returns once it has ended, throwing what it threw. owner (may be
// null) carries the notice showing tip.
void RunBusyWork(QWidget *owner, const QString &tip, const std::function<void()> &work);
