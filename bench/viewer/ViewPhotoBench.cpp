// Time per paint of the photo viewer while the user drags a 6000x4000 photo in a 1280x800 viewer,
// at several scales, next to the plain way of painting (stretch the whole photo over the whole
// viewer on every paint) in the same run. Run with QT_QPA_PLATFORM=offscreen; prints a table:
//   drag paint              the viewer's paints during the drag (only the strips that came into view)
//   whole drag step         the mouse move as the viewer handles it: pixels moved on screen, paints
//   viewer repainted whole  the viewer painting all of its area at each drag position
//   plain, whole            the plain way painting all of the viewer at each drag position

#include "ViewCommands.h"
#include "ViewPhoto.h"
#include "core/SysOper.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImageWriter>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

// The viewer as built, with its paints timed into whichever clock is current.
class TimedViewer : public TFrm_ViewPhoto {
public:
    PaintClock *Clock = nullptr;

protected:
    void paintEvent(QPaintEvent *e) override {
        QElapsedTimer t;
        t.start();
        TFrm_ViewPhoto::paintEvent(e);
        if (Clock) {
            Clock->Add(t.nsecsElapsed());
        }
    }
};

// The plain way: the whole viewer painted, the whole photo stretched into the picture rectangle.
void PaintPlain(QImage &surface, const TFrm_ViewPhoto &v) {
    QPainter p(&surface);
    p.fillRect(surface.rect(), v.palette().brush(QPalette::Base));
    const TPhotoViewState &s = v.ViewState();
    if (s.Zoomed) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(s.DrawRect.ToQRect(), v.PhotoImage);
    } else {
        p.drawImage(QPoint(s.DrawRect.Left, s.DrawRect.Top), v.PhotoImage);
    }
}

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
    PaintClock Zooming;   // paints while zooming to the scale; these build the scaled copy
    PaintClock DragPaint; // the viewer's paints during the drag
    PaintClock DragStep;  // a whole drag step: the mouse move, moving the pixels on screen, the paints
    PaintClock Whole;     // the viewer painting all of its area at each drag position
    PaintClock Plain;     // the plain way painting all of the viewer at each drag position
    qint64 CachedPixels = 0;
};

// Zooms to the scale reached by steps (negative: out), drags the picture towards its middle, then
// times a drag back and forth.
Row Measure(TimedViewer &v, int steps) {
    Row row;
    SendViewCommand(&v, WM_VIEW_SOURCESIZE);
    v.Clock = &row.Zooming;
    for (int i = 0; i < std::abs(steps); ++i) {
        SendViewCommand(&v, steps > 0 ? WM_VIEW_ZOOMIN : WM_VIEW_ZOOMOUT);
    }
    v.Clock = nullptr;
    const TViewRect r = v.ViewState().DrawRect;
    QPoint at(std::min(r.Right, ViewerSize.width()) / 2, std::min(r.Bottom, ViewerSize.height()) / 2);
    Button(&v, QEvent::MouseButtonPress, at);
    if (r.Width() > ViewerSize.width()) {
        at += QPoint(-(r.Width() - ViewerSize.width()) / 2, -(r.Height() - ViewerSize.height()) / 2);
        Move(&v, at, Qt::LeftButton);
    }
    QImage surface(ViewerSize, QImage::Format_RGB32);
    for (int i = 0; i < DragSteps; ++i) {
        at += (i < DragSteps / 2) ? QPoint(-6, -4) : QPoint(6, 4);
        QElapsedTimer t;
        v.Clock = &row.DragPaint;
        t.start();
        Move(&v, at, Qt::LeftButton);
        row.DragStep.Add(t.nsecsElapsed());
        v.Clock = &row.Whole;
        v.render(&surface);
        v.Clock = nullptr;
        t.restart();
        PaintPlain(surface, v);
        row.Plain.Add(t.nsecsElapsed());
    }
    Button(&v, QEvent::MouseButtonRelease, at);
    row.CachedPixels = v.ViewCache().CachedPixels();
    return row;
}

std::unique_ptr<TimedViewer> Open(const QString &photo) {
    auto v = std::make_unique<TimedViewer>();
    v->resize(ViewerSize);
    v->PhotoFile = photo;
    v->Label1->hide();
    v->show();
    // Paints reach a window only once the platform has exposed it.
    QElapsedTimer waited;
    waited.start();
    while (!(v->windowHandle() && v->windowHandle()->isExposed()) && waited.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
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

    std::printf("viewer %dx%d, photo %dx%d, %d drag steps per scale; medians (90th percentile) in ms\n\n",
                ViewerSize.width(), ViewerSize.height(), PhotoSize.width(), PhotoSize.height(), DragSteps);
    std::printf(
        "| scale | drag paint | whole drag step | viewer repainted whole | plain, whole | plain / drag paint "
        "| slowest paint while zooming | cached Mpx |\n");
    std::printf("|---|---|---|---|---|---|---|---|\n");
    for (const Scale &s : scales) {
        auto v = Open(photo);
        const Row row = Measure(*v, s.Steps);
        std::printf("| %s | %.3f (%.3f) | %.3f (%.3f) | %.3f (%.3f) | %.3f (%.3f) | %.0fx | %.0f | %.1f |\n",
                    s.Name, row.DragPaint.MedianMs(), row.DragPaint.Percentile(0.9), row.DragStep.MedianMs(),
                    row.DragStep.Percentile(0.9), row.Whole.MedianMs(), row.Whole.Percentile(0.9),
                    row.Plain.MedianMs(), row.Plain.Percentile(0.9),
                    row.Plain.MedianMs() / std::max(row.DragPaint.MedianMs(), 1e-6),
                    row.Zooming.Percentile(1.0), row.CachedPixels / 1e6);
    }
    return 0;
}
