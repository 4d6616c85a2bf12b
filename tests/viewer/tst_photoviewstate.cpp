// The viewer's arithmetic without a window: single-precision scale steps, half-to-even rounding of
// the scaled rectangle, the hit test with its outside right and bottom edges, and the drag.

#include "PhotoViewState.h"

#include <QTest>

#include <cmath>

Q_DECLARE_METATYPE(TViewRect)

namespace {

constexpr QSize Photo(100, 50);

TPhotoViewState LoadedState() {
    TPhotoViewState s;
    s.ResetScale();
    s.Loaded(Photo);
    return s;
}

void Steps(TPhotoViewState &s, int count) {
    for (int i = 0; i < std::abs(count); ++i) {
        count > 0 ? s.StepUp() : s.StepDown();
    }
}

} // namespace

class TstPhotoViewState : public QObject {
    Q_OBJECT

private slots:
    void scaleSteps_data() {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("then");
        QTest::addColumn<float>("scale");
        QTest::addColumn<bool>("zoomed");
        QTest::newRow("41 up reach the cap") << 41 << 0 << 5.0f << true;
        QTest::newRow("40 up fall short of it") << 40 << 0 << 4.9999976f << true;
        QTest::newRow("50 up stay at the cap") << 50 << 0 << 5.0f << true;
        QTest::newRow("9 down reach the floor") << -9 << 0 << 0.1f << true;
        QTest::newRow("10 down stay at the floor") << -10 << 0 << 0.1f << true;
        QTest::newRow("3 up 3 down is exactly 1") << 3 << -3 << 1.0f << false;
        QTest::newRow("9 down 9 up misses 1") << -9 << 9 << std::nextafter(1.0f, 2.0f) << true;
        QTest::newRow("down from the cap misses 1") << 45 << -40 << 1.0000026f << true;
    }
    void scaleSteps() {
        QFETCH(int, first);
        QFETCH(int, then);
        QFETCH(float, scale);
        QFETCH(bool, zoomed);
        TPhotoViewState s = LoadedState();
        Steps(s, first);
        Steps(s, then);
        QCOMPARE(s.ViewScale, scale); // exact: the single-precision value is the behaviour
        QCOMPARE(s.Zoomed, zoomed);
    }

    void upAndDownAgainReturnToOne() {
        for (int k = 1; k <= 30; ++k) {
            TPhotoViewState s = LoadedState();
            Steps(s, k);
            Steps(s, -k);
            QVERIFY2(s.ViewScale == 1.0f && !s.Zoomed, qPrintable(QString::number(k)));
        }
    }

    void scaledRect_data() {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<float>("scale");
        QTest::addColumn<QPoint>("corner");
        QTest::addColumn<TViewRect>("expected");
        QTest::newRow("half rounds down to even")
            << QSize(5, 7) << 0.5f << QPoint(0, 0) << TViewRect{0, 0, 2, 4};
        QTest::newRow("half rounds up to even")
            << QSize(3, 1) << 2.5f << QPoint(0, 0) << TViewRect{0, 0, 8, 2};
        QTest::newRow("4.5 goes to 4") << QSize(3, 3) << 1.5f << QPoint(0, 0) << TViewRect{0, 0, 4, 4};
        // 0.1 in single precision lies a little above 0.1, so 15 x 0.1f is not a tie.
        QTest::newRow("near half is no tie")
            << QSize(15, 25) << 0.1f << QPoint(0, 0) << TViewRect{0, 0, 2, 3};
        QTest::newRow("offset corner")
            << QSize(100, 50) << 2.0f << QPoint(-30, 7) << TViewRect{-30, 7, 170, 107};
        QTest::newRow("shrunk to nothing") << QSize(4, 4) << 0.1f << QPoint(3, 3) << TViewRect{3, 3, 3, 3};
    }
    void scaledRect() {
        QFETCH(QSize, image);
        QFETCH(float, scale);
        QFETCH(QPoint, corner);
        QFETCH(TViewRect, expected);
        TPhotoViewState s;
        s.ViewScale = scale;
        QCOMPARE(s.ScaledRect(corner.x(), corner.y(), image), expected);
    }

    void hitTest_data() {
        QTest::addColumn<bool>("zoomed");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<bool>("hits");
        // DrawRect is (10, 20, 110, 70); zoomed at 2 the picture spans (10, 20, 210, 120).
        QTest::newRow("top-left corner") << false << QPoint(10, 20) << true;
        QTest::newRow("last pixel inside") << false << QPoint(109, 69) << true;
        QTest::newRow("right edge") << false << QPoint(110, 30) << false;
        QTest::newRow("bottom edge") << false << QPoint(30, 70) << false;
        QTest::newRow("left of it") << false << QPoint(9, 30) << false;
        QTest::newRow("zoomed beyond DrawRect") << true << QPoint(209, 119) << true;
        QTest::newRow("zoomed right edge") << true << QPoint(210, 30) << false;
    }
    void hitTest() {
        QFETCH(bool, zoomed);
        QFETCH(QPoint, point);
        QFETCH(bool, hits);
        TPhotoViewState s = LoadedState();
        s.DrawRect = {10, 20, 110, 70};
        if (zoomed) {
            s.ViewScale = 2.0f;
            s.Zoomed = true;
        }
        QCOMPARE(s.Press(point, Photo), hits);
        QCOMPARE(s.Dragging, hits);
        QCOMPARE(s.Move(point + QPoint(5, 5), Photo), hits);
    }

    void dragOutOfViewAndBack() {
        TPhotoViewState s = LoadedState();
        QVERIFY(s.Press(QPoint(50, 25), Photo));
        QVERIFY(s.Move(QPoint(-5000, -4000), Photo));
        QCOMPARE(s.DrawRect, (TViewRect{-5050, -4025, -4950, -3975}));
        QVERIFY(s.Move(QPoint(50, 25), Photo));
        QCOMPARE(s.DrawRect, (TViewRect{0, 0, 100, 50}));
        s.Release();
        QVERIFY(!s.Move(QPoint(80, 80), Photo));
        QCOMPARE(s.DrawRect, (TViewRect{0, 0, 100, 50}));
    }

    // Wheel steps change only the scale; the next drag (or paint while dragging) takes it up.
    void dragShowsTheScaleOfWheelSteps() {
        TPhotoViewState s = LoadedState();
        Steps(s, 10); // 2.0000002: no pixel rounds differently from 2
        QCOMPARE(s.DrawRect, (TViewRect{0, 0, 100, 50}));
        QVERIFY(s.Press(QPoint(150, 80), Photo)); // outside DrawRect, inside the scaled picture
        QVERIFY(s.Move(QPoint(160, 90), Photo));
        QCOMPARE(s.DrawRect, (TViewRect{10, 10, 210, 110}));
        QCOMPARE(s.PictureRect(Photo), QRect(10, 10, 200, 100));
    }

    void closeBringsEverythingToRest() {
        TPhotoViewState s = LoadedState();
        Steps(s, 4);
        QVERIFY(s.Press(QPoint(1, 1), Photo));
        QVERIFY(s.Move(QPoint(30, 40), Photo));
        s.Close();
        QCOMPARE(s.ViewScale, 1.0f);
        QVERIFY(!s.Zoomed && !s.Dragging);
        QCOMPARE(s.LastPoint, QPoint(0, 0));
        QCOMPARE(s.DrawRect, TViewRect{});
    }
};

QTEST_APPLESS_MAIN(TstPhotoViewState)
#include "tst_photoviewstate.moc"
