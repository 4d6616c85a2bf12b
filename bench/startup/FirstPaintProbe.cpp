// Loaded into a Qt program with LD_PRELOAD: prints the milliseconds from FIRST_PAINT_T0 (seconds
// since the epoch, as bash's EPOCHREALTIME gives it just before starting the program) to the end of
// the first paint of a window, then ends the program on the spot. The same probe goes into the client
// and into its peers, so all are timed the same way.

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

// FIRST_PAINT_T0 in microseconds; the separator may be a dot or a comma (the shell's locale).
long long StartMicroseconds() {
    const QByteArray t0 = qgetenv("FIRST_PAINT_T0");
    const qsizetype sep = std::max(t0.indexOf('.'), t0.indexOf(','));
    if (sep < 0) {
        return t0.toLongLong() * 1000000;
    }
    const QByteArray fraction = (t0.mid(sep + 1) + "000000").left(6);
    return t0.left(sep).toLongLong() * 1000000 + fraction.toLongLong();
}

class FirstPaintProbe : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *e) override {
        if (!Seen && e->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->isWindow()) {
            Seen = true;
            // Queued: runs once this paint, its children's and the flush to the screen are done.
            QMetaObject::invokeMethod(this, &FirstPaintProbe::Report, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void Report() {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        const long long us = now.tv_sec * 1000000LL + now.tv_nsec / 1000 - StartMicroseconds();
        std::printf("%.2f\n", us / 1000.0);
        std::fflush(stdout);
        std::_Exit(0);
    }

    bool Seen = false;
};

void InstallProbe() {
    QCoreApplication::instance()->installEventFilter(new FirstPaintProbe(QCoreApplication::instance()));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallProbe)
