// Photos in other formats than JPEG: each kind is turned upright into a JPEG before the reductions,
// and a damaged file of each kind is refused with its name and the reason, leaving nothing to send.

#include "Fixtures.h"
#include "support/PhotoFormats.h"
#include "support/TestSupport.h"

#include "service/PhotoWorkflow.h"

#include <QTest>
#include <QTransform>

namespace {

// The image stored so that orientation turns it into upright.
QImage storedFor(const QImage &upright, int orientation) {
    switch (orientation) {
    case 6:
        return upright.transformed(QTransform().rotate(-90));
    case 8:
        return upright.transformed(QTransform().rotate(90));
    default:
        return upright;
    }
}

QColor centreOfQuadrant(const QImage &image, int quadrant) {
    const int x = (quadrant % 2 == 0 ? 1 : 3) * image.width() / 4;
    const int y = (quadrant < 2 ? 1 : 3) * image.height() / 4;
    return image.pixelColor(x, y);
}

bool near(const QColor &a, const QColor &b) {
    return qAbs(a.red() - b.red()) <= 16 && qAbs(a.green() - b.green()) <= 16 &&
           qAbs(a.blue() - b.blue()) <= 16;
}

// What the photo editor and the CLI would tell the user about the file; empty when it can be sent.
QString problemOf(const QString &path) {
    if (const auto problem =
            PhotoWorkflow::CheckPhotoInput(PhotoWorkflow::EditMode::Add, path, true, QStringLiteral("n"))) {
        return problem.text;
    }
    const PhotoWorkflow::TPreparedPhoto photo = PhotoWorkflow::PreparePhoto(path, 640, 480);
    return photo.hasImage() ? QString()
                            : PhotoWorkflow::UnusablePhotoText(path, photo.failedSteps.join(u"; "));
}

} // namespace

class TstFormats : public QObject {
    Q_OBJECT

private slots:
    void preparedAsUprightJpeg_data() {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("transparent"); // bottom-right quadrant transparent: laid on white
        QTest::newRow("heic") << QByteArray("heic") << 1 << false;
        QTest::newRow("heic turned left") << QByteArray("heic") << 8 << false;
        QTest::newRow("png") << QByteArray("png") << 1 << false;
        QTest::newRow("png with alpha") << QByteArray("png") << 1 << true;
        QTest::newRow("webp") << QByteArray("webp") << 1 << false;
        QTest::newRow("tiff turned right") << QByteArray("tiff") << 6 << false;
        QTest::newRow("bmp") << QByteArray("bmp") << 1 << false;
    }
    void preparedAsUprightJpeg() {
        QFETCH(QByteArray, format);
        QFETCH(int, orientation);
        QFETCH(bool, transparent);
        TempAppDir app;
        QImage upright = fixtures::quadrants(800, 600).convertToFormat(QImage::Format_ARGB32);
        if (transparent) {
            upright.fill(Qt::transparent);
            QImage opaque = fixtures::quadrants(800, 600);
            QPainter(&upright).drawImage(QRect(0, 0, 800, 300), opaque, QRect(0, 0, 800, 300));
            QPainter(&upright).drawImage(QRect(0, 300, 400, 300), opaque, QRect(0, 300, 400, 300));
        }
        const QString path = app.file(QStringLiteral("photo.") + QString::fromLatin1(format));
        QVERIFY(photoformats::writePhoto(path, storedFor(upright, orientation), format, orientation));

        QCOMPARE(problemOf(path), QString());
        const PhotoWorkflow::TPreparedPhoto photo = PhotoWorkflow::PreparePhoto(path, 640, 480);
        QCOMPARE(photo.failedSteps, QStringList());
        QCOMPARE(photo.sourceFile, app.file(QStringLiteral("ConvertPhoto.jpg")));
        QVERIFY(photo.source.startsWith("\xFF\xD8\xFF") && photo.small.startsWith("\xFF\xD8\xFF"));
        const QImage source = QImage::fromData(photo.source, "JPEG");
        QCOMPARE(source.size(), QSize(800, 600));
        QCOMPARE(QImage::fromData(photo.small, "JPEG").size(), QSize(640, 480));
        for (int q = 0; q < 4; ++q) {
            const QColor expected = transparent && q == 3 ? QColor(Qt::white) : fixtures::kQuadrant[q];
            QVERIFY2(near(centreOfQuadrant(source, q), expected), qPrintable(QString::number(q)));
        }
    }

    void damagedFileIsRefusedByName_data() {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<bool>("truncated"); // else the bytes after the first 16 are garbled
        for (const char *format : {"heic", "png", "webp", "tiff", "bmp"}) {
            QTest::addRow("%s truncated", format) << QByteArray(format) << true;
            QTest::addRow("%s garbled", format) << QByteArray(format) << false;
        }
    }
    void damagedFileIsRefusedByName() {
        QFETCH(QByteArray, format);
        QFETCH(bool, truncated);
        TempAppDir app;
        const QString path = app.file(QStringLiteral("damaged.") + QString::fromLatin1(format));
        QVERIFY(photoformats::writePhoto(path, fixtures::quadrants(320, 240), format));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray bytes = file.readAll();
        file.close();
        if (truncated) {
            bytes.truncate(bytes.size() / 2);
        } else {
            bytes = bytes.left(16) + QByteArray(bytes.size() - 16, '\xA5');
        }
        QVERIFY(fixtures::writeFile(path, bytes));
        const QString text = problemOf(path);
        QVERIFY2(text.startsWith(QStringLiteral("无法使用照片文件【%1】:").arg(path)) && !text.endsWith(u':'),
                 qPrintable(text));
        QVERIFY(!QFile::exists(app.file(QStringLiteral("ConvertPhoto.jpg"))));
    }
};

QTEST_GUILESS_MAIN(TstFormats)
#include "tst_formats.moc"
