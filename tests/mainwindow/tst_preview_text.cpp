// The size label and the wheel notch count of the preview.

#include "PreviewText.h"
#include "StateIcons.h"

#include <QImage>
#include <QTest>

class TstPreviewText : public QObject {
    Q_OBJECT

private slots:
    void sizeLabel_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("1.5 KB") << qint64(1536) << QStringLiteral("照片大小:1.50KB");
        QTest::newRow("exactly 1 MB stays in KB") << qint64(1048576) << QStringLiteral("照片大小:1024.00KB");
        QTest::newRow("2 MB") << qint64(2097152) << QStringLiteral("照片大小:2.00M");
        QTest::newRow("one byte over 1 MB") << qint64(1048577) << QStringLiteral("照片大小:1.00M");
        QTest::newRow("half a hundredth rounds up") << qint64(128) << QStringLiteral("照片大小:0.13KB");
        QTest::newRow("empty file keeps the label") << qint64(0) << QString();
        QTest::newRow("missing file keeps the label") << qint64(-1) << QString();
    }
    void sizeLabel() {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(PreviewText::SizeLabel(bytes), text);
    }

    void wheelNotchesCarryRemainders() {
        TWheelNotches wheel;
        QCOMPARE(wheel.Add(360), 3);
        QCOMPARE(wheel.Add(-120), -1);
        // A high-resolution wheel: partial deltas add up to a notch.
        QCOMPARE(wheel.Add(60), 0);
        QCOMPARE(wheel.Add(60), 1);
        QCOMPARE(wheel.Add(-40), 0);
        QCOMPARE(wheel.Add(-80), -1);
        QCOMPARE(wheel.Add(0), 0);
    }

    void stateIconsDiffer() {
        const QImage a = StateIcons::Pixmap(0).toImage();
        const QImage b = StateIcons::Pixmap(1).toImage();
        const QImage c = StateIcons::Pixmap(2).toImage();
        QCOMPARE(a.size(), QSize(24, 24));
        QVERIFY(a != b && b != c && a != c);
        QCOMPARE(StateIcons::Pixmap(7).toImage(), a);
    }
};

QTEST_MAIN(TstPreviewText)
#include "tst_preview_text.moc"
