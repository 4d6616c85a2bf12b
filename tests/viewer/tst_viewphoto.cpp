// The viewer as the main window drives it: commands sent as events, drags with the left button,
// and the pixels in the window checked against where DrawRect says the picture is.

#include "ViewCommands.h"
#include "ViewPhoto.h"
#include "ViewPhotoCursors.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageWriter>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <cmath>
#include <memory>
#include <optional>

namespace {

const QColor TopLeft(200, 30, 30);
const QColor TopRight(30, 180, 40);
const QColor BottomLeft(40, 60, 210);
const QColor BottomRight(230, 200, 40);
constexpr QSize ViewerSize(400, 300);

QImage QuadrantPhoto(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    const int w = size.width() / 2;
    const int h = size.height() / 2;
    QPainter p(&image);
    p.fillRect(0, 0, w, h, TopLeft);
    p.fillRect(w, 0, size.width() - w, h, TopRight);
    p.fillRect(0, h, w, size.height() - h, BottomLeft);
    p.fillRect(w, h, size.width() - w, size.height() - h, BottomRight);
    return image;
}

// Colour that changes with position everywhere, with thin stripes, so a misplaced strip shows.
QImage PatternPhoto(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            image.setPixel(
                x, y, qRgb(x * 255 / size.width(), y * 255 / size.height(), ((x / 7 + y / 5) % 2) * 255));
        }
    }
    return image;
}

QString Save(const QImage &image, const QString &path) {
    QImageWriter writer(path);
    writer.write(image);
    return path;
}

// A JPEG of image whose EXIF orientation tag holds orientation (an APP1 segment after the JFIF one).
QByteArray JpegWithOrientation(const QImage &image, quint16 orientation) {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    QByteArray tiff("II*\0\x08\0\0\0", 8);
    QByteArray ifd(2 + 12 + 4, '\0');
    qToLittleEndian<quint16>(1, ifd.data());          // one entry
    qToLittleEndian<quint16>(0x0112, ifd.data() + 2); // orientation
    qToLittleEndian<quint16>(3, ifd.data() + 4);      // SHORT
    qToLittleEndian<quint32>(1, ifd.data() + 6);      // one value
    qToLittleEndian<quint16>(orientation, ifd.data() + 10);
    const QByteArray exif = QByteArray("Exif\0\0", 6) + tiff + ifd;
    QByteArray segment("\xFF\xE1", 2);
    segment.append(char((exif.size() + 2) >> 8)).append(char((exif.size() + 2) & 0xFF)).append(exif);
    const int app0Length = (quint8(jpeg[4]) << 8) | quint8(jpeg[5]);
    return jpeg.insert(4 + app0Length, segment);
}

// What the window shows: the backing store, including pixels that drags moved by scrolling.
QImage Screen(TFrm_ViewPhoto &v) {
    return v.screen()->grabWindow(v.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

bool Near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// The picture is where DrawRect says: the photo's colours at the middle of its quadrants and in the
// first and last row and column of DrawRect, the background just outside it.
void VerifyPictureAt(TFrm_ViewPhoto &v) {
    const QImage screen = Screen(v);
    const QImage &photo = v.PhotoImage;
    const TViewRect r = v.ViewState().DrawRect;
    const QRect picture = v.ViewState().PictureRect(photo.size());
    const QRgb background = v.palette().color(QPalette::Base).rgb();
    auto check = [&](QPoint at, QRgb expected, const char *what) {
        if (!screen.rect().contains(at)) {
            return true;
        }
        const QRgb seen = screen.pixel(at);
        if (Near(seen, expected, 6)) {
            return true;
        }
        qWarning("%s at (%d, %d): seen %08x, expected %08x; DrawRect %d %d %d %d", what, at.x(), at.y(), seen,
                 expected, r.Left, r.Top, r.Right, r.Bottom);
        return false;
    };
    auto photoAt = [&](QPoint at) {
        const double sx = double(photo.width()) / picture.width();
        const double sy = double(photo.height()) / picture.height();
        const int x = std::min(int((at.x() - picture.left() + 0.5) * sx), photo.width() - 1);
        const int y = std::min(int((at.y() - picture.top() + 0.5) * sy), photo.height() - 1);
        return photo.pixel(x, y);
    };
    bool ok = true;
    for (double fx : {0.25, 0.75}) {
        for (double fy : {0.25, 0.75}) {
            const QPoint at(picture.left() + int(fx * picture.width()),
                            picture.top() + int(fy * picture.height()));
            ok &= check(at, photoAt(at), "inside");
        }
    }
    for (const QPoint &at :
         {picture.topLeft(), picture.topRight(), picture.bottomLeft(), picture.bottomRight()}) {
        ok &= check(at, photoAt(at), "corner");
    }
    ok &= check(QPoint(picture.left() - 1, picture.center().y()), background, "left of it");
    ok &= check(QPoint(picture.right() + 1, picture.center().y()), background, "right of it");
    ok &= check(QPoint(picture.center().x(), picture.top() - 1), background, "above it");
    ok &= check(QPoint(picture.center().x(), picture.bottom() + 1), background, "below it");
    QVERIFY(ok);
}

void Send(TFrm_ViewPhoto &v, QEvent::Type command, int times = 1) {
    for (int i = 0; i < times; ++i) {
        SendViewCommand(&v, command);
    }
}

// Zoom steps, then the smooth copy of a large photo, which follows them from the worker thread.
void Zoom(TFrm_ViewPhoto &v, int steps) {
    Send(v, steps > 0 ? WM_VIEW_ZOOMIN : WM_VIEW_ZOOMOUT, std::abs(steps));
    QTRY_VERIFY(!v.ViewCache().SmoothPending());
}

void Mouse(TFrm_ViewPhoto &v, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, at, v.mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(&v, &e);
}

// Drags from `from` by `by` in moves of at most `step` pixels each way.
void Drag(TFrm_ViewPhoto &v, QPoint from, QPoint by, int step) {
    Mouse(v, QEvent::MouseButtonPress, from);
    const int moves =
        std::max({1, (std::abs(by.x()) + step - 1) / step, (std::abs(by.y()) + step - 1) / step});
    for (int i = 1; i <= moves; ++i) {
        Mouse(v, QEvent::MouseMove, from + by * i / moves);
    }
    Mouse(v, QEvent::MouseButtonRelease, from + by);
}

std::unique_ptr<TFrm_ViewPhoto> OpenViewer(const QString &photo) {
    auto v = std::make_unique<TFrm_ViewPhoto>();
    v->resize(ViewerSize);
    v->PhotoFile = photo;
    v->Label1->hide();
    v->show();
    if (!QTest::qWaitForWindowExposed(v.get())) {
        return nullptr;
    }
    return v;
}

// The viewer on a quadrant photo of `size` saved as the program's temporary photo.
std::unique_ptr<TFrm_ViewPhoto> OpenQuadrants(const TempAppDir &app, QSize size) {
    return OpenViewer(Save(QuadrantPhoto(size), app.file(QStringLiteral("TempGID.png"))));
}

} // namespace

class TstViewPhoto : public QObject {
    Q_OBJECT

    std::optional<TempAppDir> app; // each test's own program folder

private slots:
    void init() { app.emplace(); }
    void cleanup() { app.reset(); }

    void picturePlacement_data() {
        QTest::addColumn<QSize>("photo");
        QTest::addColumn<int>("zoomSteps");
        QTest::addColumn<QPoint>("drag");
        QTest::newRow("own size") << QSize(120, 80) << 0 << QPoint(0, 0);
        QTest::newRow("own size, dragged") << QSize(120, 80) << 0 << QPoint(37, 21);
        QTest::newRow("shrunk to 0.1") << QSize(1200, 800) << -9 << QPoint(13, 9);
        QTest::newRow("zoomed 2.5") << QSize(120, 80) << 15 << QPoint(-40, -30);
        QTest::newRow("zoomed 5 beyond the whole-copy cap")
            << QSize(2000, 1500) << 41 << QPoint(-(10000 - 300), -(7500 - 200));
        QTest::newRow("dragged out of view") << QSize(120, 80) << 4 << QPoint(2000, 900);
    }
    void picturePlacement() {
        QFETCH(QSize, photo);
        QFETCH(int, zoomSteps);
        QFETCH(QPoint, drag);
        auto v = OpenQuadrants(*app, photo);
        QVERIFY(v);
        Zoom(*v, zoomSteps);
        Drag(*v, QPoint(5, 5), drag, 150);
        const TViewRect r = v->ViewState().DrawRect;
        QCOMPARE(QPoint(r.Left, r.Top), drag);
        VerifyPictureAt(*v);

        const qint64 scaled = qint64(r.Width()) * r.Height();
        if (!v->ViewState().Zoomed) {
            QCOMPARE(v->ViewCache().CachedPixels(), 0);
        } else if (scaled > TPhotoViewCache::MaxScaledPixels) {
            QVERIFY(!v->ViewCache().HoldsWholePhoto());
            const int margins = 2 * TPhotoViewCache::VisibleMargin;
            QVERIFY(v->ViewCache().CachedPixels() <=
                    (ViewerSize.width() + margins) * (ViewerSize.height() + margins));
        } else {
            QCOMPARE(v->ViewCache().CachedPixels(), scaled);
        }
    }

    // A drag in many small steps (pixels moved on screen, strips painted) ends with the same window
    // as one jump to the same place painted afresh.
    void steppedDragMatchesFreshPaint_data() {
        QTest::addColumn<QSize>("photo");
        QTest::addColumn<int>("zoomSteps");
        QTest::newRow("own size") << QSize(900, 700) << 0;
        QTest::newRow("whole scaled copy") << QSize(900, 700) << 10;
        QTest::newRow("visible part only") << QSize(2000, 1500) << 41;
    }
    void steppedDragMatchesFreshPaint() {
        QFETCH(QSize, photo);
        QFETCH(int, zoomSteps);
        const QString file = Save(PatternPhoto(photo), app->file(QStringLiteral("TempGID.png")));
        auto stepped = OpenViewer(file);
        auto fresh = OpenViewer(file);
        QVERIFY(stepped && fresh);
        Zoom(*stepped, zoomSteps);
        Zoom(*fresh, zoomSteps);

        const QPoint start(200, 150);
        Mouse(*stepped, QEvent::MouseButtonPress, start);
        QPoint at = start;
        for (const QPoint &step :
             {QPoint(-7, -3), QPoint(-40, 0), QPoint(0, -33), QPoint(25, 11), QPoint(-120, -90)}) {
            for (int i = 0; i < 4; ++i) {
                at += step;
                Mouse(*stepped, QEvent::MouseMove, at);
            }
        }
        Mouse(*stepped, QEvent::MouseButtonRelease, at);
        Drag(*fresh, start, at - start, 100000);
        QCOMPARE(stepped->ViewState().DrawRect, fresh->ViewState().DrawRect);

        const QImage a = Screen(*stepped);
        const QImage b = Screen(*fresh);
        QCOMPARE(a.size(), b.size());
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                if (!Near(a.pixel(x, y), b.pixel(x, y), 3)) {
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) differs: %3 against %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(a.pixel(x, y), 8, 16)
                                         .arg(b.pixel(x, y), 8, 16)));
                }
            }
        }
    }

    // A zoom step on a large photo is painted at once from the photo's own pixels; the smooth copy
    // follows and is painted over it, the one of the last scale when steps come while it is made.
    void smoothCopyFollowsZoomSteps_data() {
        QTest::addColumn<int>("steps");
        QTest::newRow("one step") << -1;
        QTest::newRow("steps while the copy is made") << -3;
    }
    void smoothCopyFollowsZoomSteps() {
        QFETCH(int, steps);
        auto v = OpenViewer(Save(PatternPhoto(QSize(1600, 1200)), app->file(QStringLiteral("TempGID.png"))));
        QVERIFY(v);
        Send(*v, WM_VIEW_ZOOMOUT, -steps);
        QVERIFY(v->ViewCache().SmoothPending());
        QVERIFY(!v->ViewCache().HoldsWholePhoto());

        QTRY_VERIFY(!v->ViewCache().SmoothPending());
        const QRect picture = v->ViewState().DrawRect.ToQRect();
        QCOMPARE(v->ViewCache().CachedPixels(), qint64(picture.width()) * picture.height());
        const QImage smooth =
            v->PhotoImage.scaled(picture.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QTRY_COMPARE(Screen(*v),
                     smooth.copy(QRect(QPoint(0, 0), ViewerSize)).convertToFormat(QImage::Format_RGB32));
    }

    void commandsNeedAPhoto_data() {
        QTest::addColumn<int>("command");
        for (QEvent::Type c : {WM_VIEW_WHEELDOWN, WM_VIEW_WHEELUP, WM_VIEW_WHEEL, WM_VIEW_ROTATERIGHT,
                               WM_VIEW_ROTATELEFT, WM_VIEW_ZOOMIN, WM_VIEW_ZOOMOUT}) {
            QTest::newRow(qPrintable(QString::number(c))) << int(c);
        }
    }
    void commandsNeedAPhoto() {
        QFETCH(int, command);
        auto v = OpenViewer(QString());
        QVERIFY(v);
        v->PhotoFile = Save(QuadrantPhoto(QSize(60, 40)), app->file(QStringLiteral("TempGID.png")));
        Send(*v, QEvent::Type(command));
        QVERIFY(v->PhotoImage.isNull());
        QCOMPARE(v->ViewState().ViewScale, 0.0f);
        QVERIFY(!v->ViewState().Zoomed);
        QCOMPARE(v->ViewState().DrawRect, TViewRect{});

        // Only "original size" reads the file.
        Send(*v, WM_VIEW_SOURCESIZE);
        QCOMPARE(v->PhotoImage.size(), QSize(60, 40));
        QCOMPARE(v->ViewState().DrawRect, (TViewRect{0, 0, 60, 40}));
        VerifyPictureAt(*v);
    }

    void zoomLimitsAndExactReturn() {
        auto v = OpenQuadrants(*app, QSize(60, 40));
        QVERIFY(v);
        Zoom(*v, 50);
        QCOMPARE(v->ViewState().ViewScale, 5.0f);
        QCOMPARE(v->ViewState().DrawRect, (TViewRect{0, 0, 300, 200}));
        VerifyPictureAt(*v);

        Send(*v, WM_VIEW_SOURCESIZE);
        Zoom(*v, 3);
        Zoom(*v, -3);
        QCOMPARE(v->ViewState().ViewScale, 1.0f);
        QVERIFY(!v->ViewState().Zoomed);
        VerifyPictureAt(*v);

        Zoom(*v, -10);
        QCOMPARE(v->ViewState().ViewScale, 0.1f);
        QCOMPARE(v->ViewState().DrawRect, (TViewRect{0, 0, 6, 4}));
    }

    void wheelStepsWaitForTheWheelCommand_data() {
        QTest::addColumn<int>("steps");
        QTest::addColumn<float>("scale");
        QTest::newRow("three away from the user") << 3 << 1.3f;
        QTest::newRow("two towards the user") << -2 << 0.8f;
    }
    void wheelStepsWaitForTheWheelCommand() {
        QFETCH(int, steps);
        QFETCH(float, scale);
        auto v = OpenQuadrants(*app, QSize(120, 80));
        QVERIFY(v);
        Drag(*v, QPoint(10, 10), QPoint(30, 20), 10);
        const QImage before = Screen(*v);
        Send(*v, steps > 0 ? WM_VIEW_WHEELUP : WM_VIEW_WHEELDOWN, std::abs(steps));
        QCOMPARE(v->ViewState().ViewScale, scale);
        QCOMPARE(v->ViewState().DrawRect, (TViewRect{30, 20, 150, 100}));
        QCOMPARE(Screen(*v), before);

        Send(*v, WM_VIEW_WHEEL);
        QCOMPARE(v->ViewState().DrawRect, v->ViewState().ScaledRect(0, 0, QSize(120, 80)));
        VerifyPictureAt(*v);
    }

    // A wheel step followed directly by a drag: the drag shows the new scale, not the old pixels.
    void dragAfterWheelStepShowsNewScale() {
        auto v = OpenQuadrants(*app, QSize(120, 80));
        QVERIFY(v);
        Zoom(*v, 5);
        Send(*v, WM_VIEW_WHEELUP, 5);
        Drag(*v, QPoint(10, 10), QPoint(6, 4), 2);
        QCOMPARE(v->ViewState().DrawRect, (TViewRect{6, 4, 246, 164}));
        VerifyPictureAt(*v);
    }

    void rotations() {
        const QString file = Save(QuadrantPhoto(QSize(120, 80)), app->file(QStringLiteral("TempGID.png")));
        const QByteArray onDisk = [&] {
            QFile f(file);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        auto v = OpenViewer(file);
        QVERIFY(v);
        const QImage original = v->PhotoImage;
        Zoom(*v, 2);

        const QColor corners[] = {TopLeft, BottomLeft, BottomRight, TopRight}; // top-left after each turn
        for (int turn = 1; turn <= 4; ++turn) {
            Drag(*v, QPoint(3, 3), QPoint(15, 9), 5);
            Send(*v, WM_VIEW_ROTATERIGHT);
            const QSize expected = turn % 2 ? QSize(80, 120) : QSize(120, 80);
            QCOMPARE(v->PhotoImage.size(), expected);
            QCOMPARE(v->ViewState().DrawRect, v->ViewState().ScaledRect(0, 0, expected));
            QCOMPARE(v->PhotoImage.pixelColor(0, 0), corners[turn % 4]);
            VerifyPictureAt(*v);
        }
        QCOMPARE(v->PhotoImage, original);

        Send(*v, WM_VIEW_ROTATELEFT);
        QCOMPARE(v->PhotoImage.pixelColor(0, 0), TopRight);
        Send(*v, WM_VIEW_ROTATERIGHT);
        QCOMPARE(v->PhotoImage, original);

        // Turns add up in memory only; "original size" reads the unturned file again.
        Send(*v, WM_VIEW_ROTATELEFT);
        Send(*v, WM_VIEW_SOURCESIZE);
        QCOMPARE(v->PhotoImage, original);
        QCOMPARE(v->ViewState().ViewScale, 1.0f);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), onDisk);
    }

    void exifOrientationIsAppliedOnLoad_data() {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("redAt"); // where the stored image's red left half ends up
        QTest::newRow("normal") << 1 << QSize(64, 32) << QPoint(16, 16);
        QTest::newRow("upside down") << 3 << QSize(64, 32) << QPoint(48, 16);
        QTest::newRow("turned right") << 6 << QSize(32, 64) << QPoint(16, 16);
        QTest::newRow("turned left") << 8 << QSize(32, 64) << QPoint(16, 48);
    }
    void exifOrientationIsAppliedOnLoad() {
        QFETCH(int, orientation);
        QFETCH(QSize, size);
        QFETCH(QPoint, redAt);
        QImage stored(64, 32, QImage::Format_RGB32);
        stored.fill(Qt::blue);
        QPainter(&stored).fillRect(0, 0, 32, 32, Qt::red);
        QFile f(app->file(QStringLiteral("TempGID.jpg")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(JpegWithOrientation(stored, quint16(orientation)));
        f.close();

        auto v = OpenViewer(f.fileName());
        QVERIFY(v);
        QCOMPARE(v->PhotoImage.size(), size);
        QCOMPARE(v->ViewState().DrawRect, (TViewRect{0, 0, size.width(), size.height()}));
        QVERIFY(Near(v->PhotoImage.pixel(redAt), qRgb(255, 0, 0), 40));
    }

    void unreadableFileLeavesTheViewerAsItWas_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("photoShown");
        QTest::newRow("text, empty viewer") << QByteArray("not a photo") << false;
        QTest::newRow("text, photo shown") << QByteArray("not a photo") << true;
        QTest::newRow("empty file, photo shown") << QByteArray() << true;
        QTest::newRow("JPEG header only") << QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10) << true;
    }
    void unreadableFileLeavesTheViewerAsItWas() {
        QFETCH(QByteArray, content);
        QFETCH(bool, photoShown);
        const QString good = Save(QuadrantPhoto(QSize(60, 40)), app->file(QStringLiteral("good.png")));
        auto v = OpenViewer(photoShown ? good : QString());
        QVERIFY(v);
        const QImage before = v->PhotoImage;
        QFile bad(app->file(QStringLiteral("TempGID.jpg")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(content);
        bad.close();

        v->PhotoFile = bad.fileName();
        v->InitSystem();
        QCOMPARE(v->PhotoImage.cacheKey(), before.cacheKey());
        const QStringList log = app->logTexts();
        QCOMPARE(log.size(), 1);
        const QString prefix = QStringLiteral("图片窗体初始化错误, InitSystem中错误:");
        QVERIFY2(log[0].startsWith(prefix) && log[0].size() > prefix.size(), qPrintable(log[0]));
    }

    void missingFileChangesNothing() {
        auto v = OpenQuadrants(*app, QSize(60, 40));
        QVERIFY(v);
        Zoom(*v, 4);
        const TPhotoViewState before = v->ViewState();
        v->PhotoFile = app->file(QStringLiteral("gone.jpg"));
        v->InitSystem();
        QCOMPARE(v->ViewState().ViewScale, before.ViewScale);
        QCOMPARE(v->ViewState().DrawRect, before.DrawRect);
        QCOMPARE(v->PhotoImage.size(), QSize(60, 40));
        QVERIFY(app->logTexts().isEmpty());
    }

    void closeBringsTheViewerToRest() {
        auto v = OpenQuadrants(*app, QSize(60, 40));
        QVERIFY(v);
        Zoom(*v, 4);
        Drag(*v, QPoint(3, 3), QPoint(20, 20), 5);
        v->close();
        QVERIFY(v->PhotoImage.isNull());
        QCOMPARE(v->ViewState().ViewScale, 1.0f);
        QVERIFY(!v->ViewState().Zoomed);
        QCOMPARE(v->ViewState().DrawRect, TViewRect{});
        QCOMPARE(v->ViewCache().CachedPixels(), 0);
    }

    void noticeLabel() {
        TFrm_ViewPhoto v;
        v.resize(ViewerSize);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        QLabel *label = v.findChild<QLabel *>(QStringLiteral("Label1"));
        QCOMPARE(label, v.Label1);
        QCOMPARE(label->text(), QStringLiteral("当前照片未下载,请双击列表或右键下载照片"));
        QVERIFY(label->font().bold());
        QCOMPARE(label->font().pixelSize(), 16);
        // What is drawn is red, whatever palette role the label paints its text with.
        const QImage drawn = label->grab().toImage();
        int red = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x) {
                const QColor c = drawn.pixelColor(x, y);
                red += c.red() > 180 && c.green() < 80 && c.blue() < 80 ? 1 : 0;
            }
        }
        QVERIFY2(red > 50, qPrintable(QString::number(red)));
        QVERIFY(std::abs(label->geometry().center().x() - v.width() / 2) <= 1);
        QVERIFY(std::abs(label->geometry().center().y() - v.height() / 2) <= 1);
    }

    void cursorFiles() {
        const auto open = LoadCursorFile(QStringLiteral(VIEWER_CURSOR_DIR "132.cur"));
        QVERIFY(open);
        QCOMPARE(open->pixmap().size(), QSize(32, 32));
        QCOMPARE(open->hotSpot(), QPoint(16, 16));
        QVERIFY(LoadCursorFile(QStringLiteral(VIEWER_CURSOR_DIR "133.cur")));

        QVERIFY(!LoadCursorFile(app->file(QStringLiteral("missing.cur"))));
        QFile junk(app->file(QStringLiteral("junk.cur")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray("\0\0\2\0\1\0", 6) + QByteArray(40, '\x7f'));
        junk.close();
        QVERIFY(!LoadCursorFile(junk.fileName()));
        QCOMPARE(CursorOrArrow(junk.fileName()).shape(), Qt::ArrowCursor);
        // A viewer whose program folder has no cursor files shows the arrow.
        QCOMPARE(TFrm_ViewPhoto().cursor().shape(), Qt::ArrowCursor);
    }

    void dragCursorsAndTheirReset() {
        QDir().mkpath(app->file(QStringLiteral("cursor")));
        for (const char *name : {"132.cur", "133.cur"}) {
            QVERIFY(QFile::copy(QStringLiteral(VIEWER_CURSOR_DIR) + QLatin1String(name),
                                app->file(QStringLiteral("cursor/")) + QLatin1String(name)));
        }
        const QPixmap hand = CursorOrArrow(app->file(QStringLiteral("cursor/132.cur"))).pixmap();
        const QPixmap grab = CursorOrArrow(app->file(QStringLiteral("cursor/133.cur"))).pixmap();
        auto v = OpenQuadrants(*app, QSize(60, 40));
        QVERIFY(v);
        QCOMPARE(v->cursor().pixmap().toImage(), hand.toImage());

        QCursor::setPos(v->mapToGlobal(QPoint(10, 10)));
        Mouse(*v, QEvent::MouseButtonPress, QPoint(10, 10));
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->pixmap().toImage(), grab.toImage());
        Mouse(*v, QEvent::MouseButtonRelease, QPoint(10, 10));
        QCOMPARE(QGuiApplication::overrideCursor()->pixmap().toImage(), hand.toImage());

        // Once the pointer has left the viewer the rest of the program gets its own cursor back.
        v->Timer1->start();
        QCursor::setPos(v->mapToGlobal(QPoint(ViewerSize.width() + 50, 10)));
        QTRY_VERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(!v->Timer1->isActive());
    }
};

QTEST_MAIN(TstViewPhoto)
#include "tst_viewphoto.moc"
