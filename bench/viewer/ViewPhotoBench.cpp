// The photo viewer on a 6000x4000 (24 MP) photo in a 1280x800 viewer, on the offscreen platform:
//   zoom step    one zoom button press as the viewer handles it, its paint included, at several
//                scales; with the time until the smooth copy that follows it is on screen
//   drag step    one mouse move of a drag as the viewer handles it (pixels moved on screen, the
//                strips that came into view painted), next to the plain way of painting (stretch the
//                whole photo over the whole viewer at every position) in the same run
// Prints Markdown table rows on stdout: | figure | ours | peer | ratio | goal | met |

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
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr QSize PhotoSize(6000, 4000);
constexpr QSize ViewerSize(1280, 800);
constexpr int ZoomSteps = 7;   // timed zoom steps per scale
constexpr int DragSteps = 120; // timed drag steps per scale
constexpr double ZoomGoalMs = 30;
constexpr double DragGoalMs = 2; // the drag steps measured before the smooth copy moved off the paint

class Samples {
public:
    void Add(double ms) { Values.push_back(ms); }
    double Median() const { return Percentile(0.5); }
    double Max() const { return Percentile(1.0); }
    double Percentile(double p) const {
        if (Values.empty()) {
            return 0;
        }
        std::vector<double> sorted = Values;
        std::sort(sorted.begin(), sorted.end());
        return sorted[static_cast<size_t>(p * (sorted.size() - 1))];
    }

private:
    std::vector<double> Values;
};

double MsSince(const QElapsedTimer &t) {
    return t.nsecsElapsed() / 1e6;
}

// The viewer as built, counting its paints.
class TimedViewer : public TFrm_ViewPhoto {
public:
    int Paints = 0;

protected:
    void paintEvent(QPaintEvent *e) override {
        TFrm_ViewPhoto::paintEvent(e);
        ++Paints;
    }
};

// Runs what was asked of the viewer until it has painted; the milliseconds from start until then.
double UntilPainted(TimedViewer &v, const QElapsedTimer &start, int paintsBefore) {
    while (v.Paints == paintsBefore && start.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return MsSince(start);
}

// The plain way: the whole viewer painted, the whole photo stretched into the picture rectangle.
void PaintPlain(QImage &surface, const TimedViewer &v) {
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

// Lets the smooth copy of the current scale arrive and be painted; the milliseconds that took.
double SettleSmooth(TimedViewer &v) {
    QElapsedTimer t;
    t.start();
    while (v.ViewCache().SmoothPending()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    QCoreApplication::processEvents();
    return MsSince(t);
}

struct ZoomRow {
    Samples Step;   // the zoom command, its paint included
    Samples Smooth; // from the end of the step until the smooth copy is on screen
};

// Zoom steps in from one step below the scale reached by steps (negative: out) from 1.
ZoomRow MeasureZoom(TimedViewer &v, int steps) {
    ZoomRow row;
    SendViewCommand(&v, WM_VIEW_SOURCESIZE);
    for (int i = 0; i < std::abs(steps - 1); ++i) {
        SendViewCommand(&v, steps - 1 > 0 ? WM_VIEW_ZOOMIN : WM_VIEW_ZOOMOUT);
    }
    SettleSmooth(v);
    for (int i = 0; i < ZoomSteps; ++i) {
        QElapsedTimer t;
        const int paints = v.Paints;
        t.start();
        SendViewCommand(&v, WM_VIEW_ZOOMIN);
        row.Step.Add(UntilPainted(v, t, paints));

        row.Smooth.Add(SettleSmooth(v));
        SendViewCommand(&v, WM_VIEW_ZOOMOUT);
        SettleSmooth(v);
    }
    return row;
}

struct DragRow {
    Samples Step;  // a whole drag step: the mouse move, moving the pixels on screen, the paints
    Samples Plain; // the plain way painting all of the viewer at each drag position
};

// Zooms to the scale reached by steps, drags the picture towards its middle, then times a drag back
// and forth.
DragRow MeasureDrag(TimedViewer &v, int steps) {
    DragRow row;
    SendViewCommand(&v, WM_VIEW_SOURCESIZE);
    for (int i = 0; i < std::abs(steps); ++i) {
        SendViewCommand(&v, steps > 0 ? WM_VIEW_ZOOMIN : WM_VIEW_ZOOMOUT);
    }
    SettleSmooth(v);
    const TViewRect r = v.ViewState().DrawRect;
    QPoint at(std::min(r.Right, ViewerSize.width()) / 2, std::min(r.Bottom, ViewerSize.height()) / 2);
    Button(&v, QEvent::MouseButtonPress, at);
    if (r.Width() > ViewerSize.width()) {
        at += QPoint(-(r.Width() - ViewerSize.width()) / 2, -(r.Height() - ViewerSize.height()) / 2);
        Move(&v, at, Qt::LeftButton);
        SettleSmooth(v);
    }
    QImage surface(ViewerSize, QImage::Format_RGB32);
    for (int i = 0; i < DragSteps; ++i) {
        at += (i < DragSteps / 2) ? QPoint(-6, -4) : QPoint(6, 4);
        QElapsedTimer t;
        t.start();
        Move(&v, at, Qt::LeftButton);
        row.Step.Add(MsSince(t));
        t.restart();
        PaintPlain(surface, v);
        row.Plain.Add(MsSince(t));
    }
    Button(&v, QEvent::MouseButtonRelease, at);
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

const char *Met(bool met) {
    return met ? "yes" : "no";
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
    auto v = Open(photo);

    struct Scale {
        const char *Name;
        int Steps; // zoom steps from 1
    };
    // Scales go in steps of 0.1: 0.2 fits the photo into the viewer, 0.3 is the step nearest 25%;
    // from 0.9 to 1.5 the smooth copy is largest while still made whole.
    const Scale zoomScales[] = {{"0.2 (fit)", -8}, {"0.3", -7}, {"0.5", -5}, {"0.9", -1}, {"1", 0},
                                {"1.1", 1},        {"1.5", 5},  {"2", 10},   {"4", 30}};
    for (const Scale &s : zoomScales) {
        const ZoomRow row = MeasureZoom(*v, s.Steps);
        std::printf("| zoom step to %s on a 24 MP photo, painted (median of %d; slowest %.1f ms; smooth copy "
                    "on screen %.0f ms later) | %.1f ms | — | — | ≤ %.0f ms | %s |\n",
                    s.Name, ZoomSteps, row.Step.Max(), row.Smooth.Median(), row.Step.Median(), ZoomGoalMs,
                    Met(row.Step.Median() <= ZoomGoalMs));
        std::fflush(stdout);
    }
    const Scale dragScales[] = {{"0.2", -8}, {"1", 0}, {"2.5", 15}, {"5", 41}};
    for (const Scale &s : dragScales) {
        const DragRow row = MeasureDrag(*v, s.Steps);
        std::printf(
            "| drag step at %s (median of %d; peer: the whole viewer painted by stretching the photo) "
            "| %.2f ms | %.2f ms | %.2f | ≤ %.0f ms | %s |\n",
            s.Name, DragSteps, row.Step.Median(), row.Plain.Median(),
            row.Step.Median() / std::max(row.Plain.Median(), 1e-6), DragGoalMs,
            Met(row.Step.Median() <= DragGoalMs));
        std::fflush(stdout);
    }
    return 0;
}
