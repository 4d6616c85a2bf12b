// Time per paint of the photo viewer while the user drags a 6000x4000 photo in a 1280x800 viewer,
// at several scales, next to the plain way of painting (stretch the whole photo on every paint) in
// the same run. Run with QT_QPA_PLATFORM=offscreen; prints a table of medians in milliseconds.

#include "ViewCommands.h"
#include "ViewPhoto.h"
#include "core/SysOper.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImageWriter>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr QSize PhotoSize(6000, 4000);
constexpr QSize ViewerSize(1280, 800);
constexpr int DragSteps = 120;

// Records how long each paint took.
class PaintClock {
public:
    void Add(qint64 nanoseconds) { Samples.push_back(nanoseconds); }
    void Reset() { Samples.clear(); }
    double MedianMs() const { return Percentile(0.5); }
    double Percentile(double p) const {
        if (Samples.empty()) {
            return 0;
        }
        std::vector<qint64> sorted = Samples;
        std::sort(sorted.begin(), sorted.end());
        return sorted[static_cast<size_t>(p * (sorted.size() - 1))] / 1e6;
    }

private:
    std::vector<qint64> Samples;
};

// The viewer as built, with its paints timed.
class TimedViewer : public TFrm_ViewPhoto {
public:
    PaintClock Clock;

protected:
    void paintEvent(QPaintEvent *e) override {
        QElapsedTimer t;
        t.start();
        TFrm_ViewPhoto::paintEvent(e);
        Clock.Add(t.nsecsElapsed());
    }
};

// The plain way: the whole photo stretched into the picture rectangle on every paint.
class PlainViewer : public TFrm_ViewPhoto {
public:
    PaintClock Clock;

protected:
    void paintEvent(QPaintEvent *e) override {
        QElapsedTimer t;
        t.start();
        QPainter p(this);
        p.fillRect(e->rect(), palette().brush(backgroundRole()));
        const TPhotoViewState &s = ViewState();
        if (!PhotoImage.isNull()) {
            if (s.Zoomed) {
                p.setRenderHint(QPainter::SmoothPixmapTransform);
                p.drawImage(s.ScaledRect(s.DrawRect.Left, s.DrawRect.Top, PhotoImage.size()).ToQRect(), PhotoImage);
            } else {
                p.drawImage(QPoint(s.DrawRect.Left, s.DrawRect.Top), PhotoImage);
            }
        }
        p.end();
        Clock.Add(t.nsecsElapsed());
    }
};

QString MakePhoto(const QString &folder) {
    QImage photo(PhotoSize, QImage::Format_RGB32);
    QPainter p(&photo);
    QLinearGradient g(0, 0, PhotoSize.width(), PhotoSize.height());
    g.setColorAt(0, QColor(30, 90, 160));
    g.setColorAt(0.5, QColor(220, 200, 120));
    g.setColorAt(1, QColor(60, 140, 60));
    p.fillRect(photo.rect(), g);
    QRandomGenerator rng(42);
    for (int i = 0; i < 4000; ++i) {
        p.fillRect(rng.bounded(PhotoSize.width()), rng.bounded(PhotoSize.height()), rng.bounded(10, 120),
                   rng.bounded(10, 120), QColor::fromRgb(rng.generate()));
    }
    p.end();
    const QString path = folder + QStringLiteral("/photo.jpg");
    QImageWriter writer(path);
    writer.setQuality(90);
    if (!writer.write(photo)) {
        std::fprintf(stderr, "cannot write the test photo: %s\n", qPrintable(writer.errorString()));
        return QString();
    }
    return path;
}

void Move(QWidget *w, QPoint to, Qt::MouseButtons buttons) {
    QMouseEvent e(QEvent::MouseMove, to, w->mapToGlobal(to), Qt::NoButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

void Button(QWidget *w, QEvent::Type type, QPoint at) {
    QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton,
                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

struct Row {
    double Build = 0; // the paint right after the zoom, which scales the photo
    double Median = 0;
    double P90 = 0;
    qint64 CachedPixels = 0;
};

// Zooms to the scale reached by steps (negative: out), drags the picture towards its middle, then
// times the paints of a drag back and forth.
template <class Viewer> Row Measure(Viewer &v, int steps) {
    SendViewCommand(&v, WM_VIEW_SOURCESIZE);
    v.Clock.Reset();
    for (int i = 0; i < std::abs(steps); ++i) {
        SendViewCommand(&v, steps > 0 ? WM_VIEW_ZOOMIN : WM_VIEW_ZOOMOUT);
    }
    Row row;
    row.Build = v.Clock.Percentile(1.0);
    const TViewRect r = v.ViewState().DrawRect;
    QPoint at(std::min(r.Right, ViewerSize.width()) / 2, std::min(r.Bottom, ViewerSize.height()) / 2);
    Button(&v, QEvent::MouseButtonPress, at);
    const QPoint middle(-(r.Width() - ViewerSize.width()) / 2, -(r.Height() - ViewerSize.height()) / 2);
    if (r.Width() > ViewerSize.width()) {
        at += middle;
        Move(&v, at, Qt::LeftButton);
    }
    v.Clock.Reset();
    for (int i = 0; i < DragSteps; ++i) {
        at += (i < DragSteps / 2) ? QPoint(-6, -4) : QPoint(6, 4);
        Move(&v, at, Qt::LeftButton);
    }
    Button(&v, QEvent::MouseButtonRelease, at);
    row.Median = v.Clock.MedianMs();
    row.P90 = v.Clock.Percentile(0.9);
    row.CachedPixels = v.ViewCache().CachedPixels();
    return row;
}

template <class Viewer> std::unique_ptr<Viewer> Open(const QString &photo) {
    auto v = std::make_unique<Viewer>();
    v->resize(ViewerSize);
    v->PhotoFile = photo;
    v->show();
    // Paints reach a window only once the platform has exposed it.
    QElapsedTimer waited;
    waited.start();
    while (!(v->windowHandle() && v->windowHandle()->isExposed()) && waited.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    v->Label1->hide();
    if (v->PhotoImage.isNull()) {
        std::fprintf(stderr, "the viewer did not load %s\n", qPrintable(photo));
        std::exit(1);
    }
    return v;
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTemporaryDir folder;
    TSysOper::SetAppPath(folder.path());
    const QString photo = MakePhoto(folder.path());
    if (photo.isEmpty()) {
        return 1;
    }

    struct Scale {
        const char *Name;
        int Steps;
    };
    const Scale scales[] = {{"0.1", -9}, {"1", 0}, {"2.5", 15}, {"5", 41}};

    std::printf("viewer %dx%d, photo %dx%d, %d drag steps per scale; paint times in ms\n\n",
                ViewerSize.width(), ViewerSize.height(), PhotoSize.width(), PhotoSize.height(), DragSteps);
    std::printf("| scale | cached: median | cached: p90 | plain: median | plain: p90 | plain / cached "
                "| cached: first paint after zoom | cache Mpx |\n");
    std::printf("|---|---|---|---|---|---|---|---|\n");
    for (const Scale &s : scales) {
        Row cached, plain;
        {
            auto v = Open<TimedViewer>(photo);
            cached = Measure(*v, s.Steps);
        }
        {
            auto v = Open<PlainViewer>(photo);
            plain = Measure(*v, s.Steps);
        }
        std::printf("| %s | %.2f | %.2f | %.2f | %.2f | %.1fx | %.1f | %.1f |\n", s.Name, cached.Median, cached.P90,
                    plain.Median, plain.P90, plain.Median / std::max(cached.Median, 1e-6), cached.Build,
                    cached.CachedPixels / 1e6);
    }
    return 0;
}
