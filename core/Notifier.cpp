#include "Notifier.h"

#include <atomic>
#include <cstdio>

namespace {

StderrNotifier &fallback() {
    static StderrNotifier notifier;
    return notifier;
}

std::atomic<TNotifier *> &installed() {
    static std::atomic<TNotifier *> notifier{nullptr};
    return notifier;
}

} // namespace

TNotifier &TNotifier::Current() {
    TNotifier *notifier = installed().load();
    return notifier != nullptr ? *notifier : fallback();
}

void TNotifier::Install(TNotifier *notifier) {
    installed().store(notifier);
}

void StderrNotifier::Warn(const QString &text) {
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    std::fflush(stderr);
}
