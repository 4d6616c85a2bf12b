// The size label, the facts shown on hover and the wheel notch count of the preview.

#include "PreviewText.h"
#include "StateIcons.h"
#include "imaging/Fixtures.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace {

// An APP1 segment (big-endian) whose IFD 0 holds the orientation and a pointer to an EXIF IFD with
// DateTimeOriginal; dateOffset moves the date's text elsewhere (a hostile offset past the block).
QByteArray exifWithDate(const QByteArray &date, int orientation, int dateOffset = 0) {
    QByteArray tiff("MM\0\x2A\0\0\0\x08", 8);
    const auto u16 = [&](int v) { tiff.append(char(v >> 8)).append(char(v & 0xFF)); };
    const auto u32 = [&](int v) { u16(v >> 16), u16(v & 0xFFFF); };
    const int exifIfd = 8 + 2 + 2 * 12 + 4;
    const int text = exifIfd + 2 + 12 + 4;
    u16(2);
    u16(0x0112), u16(3), u32(1), u16(orientation), u16(0);
    u16(0x8769), u16(4), u32(1), u32(exifIfd);
    u32(0);
    u16(1);
    u16(0x9003), u16(2), u32(int(date.size()) + 1), u32(dateOffset != 0 ? dateOffset : text);
    u32(0);
    tiff.append(date).append('\0');
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    const int length = int(payload.size()) + 2;
    return QByteArray("\xFF\xE1", 2) + char(length >> 8) + char(length & 0xFF) + payload;
}

} // namespace

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

    void photoFacts_data() {
        QTest::addColumn<QByteArray>("exif"); // APP1 segment put after the start marker
        QTest::addColumn<QString>("text");
        const QString plain = QStringLiteral("尺寸:120 × 80 像素\n文件大小:4.00KB");
        QTest::newRow("no EXIF") << QByteArray() << plain;
        QTest::newRow("date taken") << exifWithDate("2024:05:01 14:03:22", 1)
                                    << plain + QStringLiteral("\n拍摄时间:2024-05-01 14:03:22");
        QTest::newRow("turned, date taken")
            << exifWithDate("2023:12:31 23:59:59", 6)
            << QStringLiteral("尺寸:80 × 120 像素\n文件大小:4.00KB\n拍摄时间:2023-12-31 23:59:59");
        QTest::newRow("unknown date") << exifWithDate("0000:00:00 00:00:00", 1) << plain;
        QTest::newRow("date past the block") << exifWithDate("2024:05:01 14:03:22", 1, 0x7FFF0000) << plain;
        QTest::newRow("not a date") << exifWithDate("yesterday at noon..", 1) << plain;
        QTest::newRow("date cut short") << exifWithDate("2024:05:01", 1) << plain;
    }
    void photoFacts() {
        QFETCH(QByteArray, exif);
        QFETCH(QString, text);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("p.jpg"));
        const QByteArray jpeg = fixtures::jpegBytes(fixtures::quadrants(120, 80));
        QVERIFY(fixtures::writeFile(path, fixtures::paddedTo(jpeg.left(2) + exif + jpeg.mid(2), 4096)));
        QCOMPARE(PreviewText::FactsText(ReadPhotoFacts(path)), text);
        QCOMPARE(PreviewText::FactsText(ReadPhotoFacts(dir.filePath(QStringLiteral("gone.jpg")))), QString());
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
