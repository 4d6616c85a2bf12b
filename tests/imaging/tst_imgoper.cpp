// TImgOper on real files in a throw-away program folder: bytes in and out, both reductions with the
// sizes, qualities and orientation they must give, and every kind of bad input ending in one log
// line, the input path handed back and no file left behind.

#include "Fixtures.h"

#include "imaging/ImgOper.h"
#include "imaging/JpegReader.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTest>
#include <QTransform>

namespace {

const QString kZoomFailure = QStringLiteral("按长宽压缩图片失败,TImgOper->ZipImageSize中错误:");
const QString kZipFailure = QStringLiteral("压缩图片时失败,TImgOper->ZipImage中错误:");

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QSize storedSize(const QString &path) {
    QImageReader reader(path);
    reader.setAutoTransform(false);
    return reader.size();
}

// Noise compresses badly: a large JPEG from few pixels.
QImage noise(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    auto *gen = QRandomGenerator::global();
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            line[x] = gen->generate() | 0xFF000000u;
        }
    }
    return image;
}

// The stored pixels that a viewer turns upright into `upright` for the given EXIF orientation.
QImage storedFor(const QImage &upright, int orientation) {
    const QImage cw = upright.transformed(QTransform().rotate(90));
    const QImage ccw = upright.transformed(QTransform().rotate(-90));
    switch (orientation) {
    case 2:
        return upright.mirrored(true, false);
    case 3:
        return upright.transformed(QTransform().rotate(180));
    case 4:
        return upright.mirrored(false, true);
    case 5:
        return cw.mirrored(true, false); // transpose
    case 6:
        return ccw;
    case 7:
        return cw.mirrored(false, true); // transverse
    case 8:
        return cw;
    default:
        return upright;
    }
}

// Whether the centre of each quadrant of image has that quadrant's fixture colour.
bool hasUprightQuadrants(const QImage &image) {
    const int w = image.width();
    const int h = image.height();
    const QPoint centres[4] = {
        {w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}};
    for (int i = 0; i < 4; ++i) {
        const QColor got = image.pixelColor(centres[i]);
        const QColor want = fixtures::kQuadrant[i];
        if (qAbs(got.red() - want.red()) > 16 || qAbs(got.green() - want.green()) > 16 ||
            qAbs(got.blue() - want.blue()) > 16) {
            qWarning() << "quadrant" << i << "is" << got << "not" << want;
            return false;
        }
    }
    return true;
}

// Names in the program folder other than the run log folder.
QStringList leftovers(const TempAppDir &app) {
    QStringList names = QDir(app.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    names.removeAll(QStringLiteral("LogFiles"));
    names.sort();
    return names;
}

} // namespace

class TstImgOper : public QObject {
    Q_OBJECT

private slots:
    void bytesRoundTrip() {
        TempAppDir app;
        QByteArray bytes = fixtures::jpegBytes(fixtures::quadrants(40, 30));
        bytes.append('\0').append("\xFF\x00tail", 6);
        const QString path = app.file(QStringLiteral("photo.jpg"));
        for (const WholeFileSync sync : {WholeFileSync::Synced, WholeFileSync::Unsynced}) {
            QVERIFY(fixtures::writeFile(path, QByteArray(bytes.size() * 3, 'x'))); // longer old content
            QVERIFY(TImgOper::SaveImgInfo(path, bytes, nullptr, sync));
            QCOMPARE(TImgOper::ImgPathToByte(path), bytes);
            QVERIFY(QFileInfo(path).permissions().testFlag(QFile::ReadOther));
        }
        QCOMPARE(leftovers(app), QStringList{QStringLiteral("photo.jpg")});
        QVERIFY(app.logTexts().isEmpty());
    }

    // A file that cannot be read gives no bytes; only a missing one goes unlogged.
    void bytesOfUnreadableFile_data() {
        QTest::addColumn<bool>("folder"); // false: no such file
        QTest::newRow("missing file") << false;
        QTest::newRow("folder") << true;
    }
    void bytesOfUnreadableFile() {
        QFETCH(bool, folder);
        TempAppDir app;
        QVERIFY(!folder || QDir(app.path()).mkdir(QStringLiteral("photo.jpg")));
        QVERIFY(TImgOper::ImgPathToByte(app.file(QStringLiteral("photo.jpg"))).isEmpty());
        const QStringList log = app.logTexts();
        QCOMPARE(log.size(), folder ? 1 : 0);
        QVERIFY(!folder || log.first().startsWith(QStringLiteral(
                               "将图片文件转化byte数组时失败,TImgOper->ImgPathToByte中错误:")));
    }

    // Another program cutting the file while it is decoded must not kill the process (a mapped file
    // raises SIGBUS); the reader works on what it read.
    void fileCutWhileDecodedDoesNotKill() {
        TempAppDir app;
        const QString path = app.file(QStringLiteral("shrinking.jpg"));
        QVERIFY(fixtures::writeFile(path, fixtures::jpegBytes(fixtures::quadrants(1600, 1200))));
        TJpegReader reader(path);
        QVERIFY(QFile::resize(path, 0));
        QCOMPARE(reader.DecodeTo({400, 300}).width, 400);
    }

    void savingNothingTouchesNothing() {
        TempAppDir app;
        const QString path = app.file(QStringLiteral("keep.jpg"));
        QVERIFY(fixtures::writeFile(path, "old"));
        QVERIFY(!TImgOper::SaveImgInfo(path, QByteArray()));
        QCOMPARE(readAll(path), QByteArray("old"));
        QVERIFY(!TImgOper::SaveImgInfo(app.file(QStringLiteral("new.jpg")), QByteArray()));
        QVERIFY(!QFile::exists(app.file(QStringLiteral("new.jpg"))));
        QVERIFY(app.logTexts().isEmpty());
    }

    void failedSaveIsLoggedAndLeavesNoFile() {
        TempAppDir app;
        QVERIFY(QDir(app.path()).mkdir(QStringLiteral("Photo.jpg")));
        for (const WholeFileSync sync : {WholeFileSync::Synced, WholeFileSync::Unsynced}) {
            QVERIFY(!TImgOper::SaveImgInfo(app.file(QStringLiteral("Photo.jpg")), "bytes", nullptr, sync));
            QVERIFY(
                !TImgOper::SaveImgInfo(app.file(QStringLiteral("nofolder/x.jpg")), "bytes", nullptr, sync));
        }
        const QStringList log = app.logTexts();
        QCOMPARE(log.size(), 4);
        for (const QString &line : log) {
            QVERIFY(line.startsWith(
                QStringLiteral("将byte数组保存为图片文件时失败,TImgOper->SaveImgInfo中错误:")));
            QVERIFY(!line.endsWith(u':'));
        }
        QCOMPARE(leftovers(app), QStringList{QStringLiteral("Photo.jpg")});
    }

    // Both reductions: the photo used as it is, or written at the size and quality each one gives,
    // upright. ZipImageSize bounds the sides; ZipImage shrinks a file over 1025 KB by its size.
    void reductions_data() {
        QTest::addColumn<bool>("zipImage"); // false: ZipImageSize
        QTest::addColumn<QSize>("size");
        QTest::addColumn<qint64>("bytes");   // the input padded to this size
        QTest::addColumn<QSize>("limits");   // of ZipImageSize
        QTest::addColumn<QSize>("expected"); // empty: the photo is used as it is
        const auto sides = [](const char *name, QSize size, QSize limits, QSize expected) {
            QTest::newRow(name) << false << size << qint64(0) << limits << expected;
        };
        const auto bytes = [](const char *name, QSize size, qint64 bytes, QSize expected) {
            QTest::newRow(name) << true << size << bytes << QSize() << expected;
        };
        sides("1024 wide at 640", QSize(1024, 400), QSize(640, 480), QSize(645, 252));
        sides("both over", QSize(1600, 1000), QSize(800, 600), QSize(960, 600));
        sides("2309x1732 in 1024x768", QSize(2309, 1732), QSize(1024, 768), QSize(1016, 762));
        sides("exactly at limits", QSize(640, 480), QSize(640, 480), QSize());
        sides("smaller", QSize(300, 200), QSize(640, 480), QSize());
        sides("3 over 1280", QSize(1283, 700), QSize(1280, 960), QSize());
        sides("7 over 1280", QSize(1287, 700), QSize(1280, 960), QSize(1274, 693));
        bytes("3072 KB 4000x3000", QSize(4000, 3000), 3072 * 1024, QSize(2309, 1732));
        bytes("1024.5 KB stays", QSize(800, 600), 1049088, QSize());
        bytes("1025.5 KB re-encoded at its size", QSize(800, 600), 1050112, QSize(800, 600));
        bytes("small", QSize(800, 600), 0, QSize());
    }
    void reductions() {
        QFETCH(bool, zipImage);
        QFETCH(QSize, size);
        QFETCH(qint64, bytes);
        QFETCH(QSize, limits);
        QFETCH(QSize, expected);
        TempAppDir app;
        const QString input = app.file(QStringLiteral("in.jpg"));
        const QByteArray jpeg = fixtures::jpegBytes(fixtures::quadrants(size.width(), size.height()), 50);
        QVERIFY(jpeg.size() < 1024 * 1024);
        QVERIFY(fixtures::writeFile(input, fixtures::paddedTo(jpeg, bytes)));
        QString out = QStringLiteral("stale");
        if (zipImage) {
            TImgOper::ZipImage(input, out);
        } else {
            TImgOper::ZipImageSize(input, limits.width(), limits.height(), out);
        }
        const QString written =
            app.file(zipImage ? QStringLiteral("TempZip.jpg") : QStringLiteral("ZoomPhoto.jpg"));
        if (expected.isEmpty()) {
            QCOMPARE(out, input);
            QVERIFY(!QFile::exists(written));
        } else {
            QCOMPARE(out, written);
            QCOMPARE(storedSize(written), expected);
            // Quality 80 for ZipImage, 90 for ZipImageSize.
            QCOMPARE(fixtures::firstQuantValue(readAll(written)), std::optional<int>(zipImage ? 6 : 3));
            QVERIFY(hasUprightQuadrants(QImage(written)));
        }
        QVERIFY(app.logTexts().isEmpty());
    }

    void chainGivesTheEditorsSizes() {
        TempAppDir app;
        const QString input = app.file(QStringLiteral("in.jpg"));
        QVERIFY(fixtures::writeFile(
            input,
            fixtures::paddedTo(fixtures::jpegBytes(fixtures::quadrants(4000, 3000), 50), 3072 * 1024)));
        QString source;
        TImgOper::ZipImage(input, source);
        QString small;
        TImgOper::ZipImageSize(source, 1024, 768, small);
        QCOMPARE(storedSize(source), QSize(2309, 1732));
        QCOMPARE(small, app.file(QStringLiteral("ZoomPhoto.jpg")));
        QCOMPARE(storedSize(small), QSize(1016, 762));
    }

    void emptyNameWritesNothing() {
        TempAppDir app;
        QString out = QStringLiteral("stale");
        TImgOper::ZipImage(QString(), out);
        QVERIFY(out.isEmpty());
        out = QStringLiteral("stale");
        TImgOper::ZipImageSize(QString(), 640, 480, out);
        QVERIFY(out.isEmpty());
        QVERIFY(leftovers(app).isEmpty());
        QVERIFY(app.logTexts().isEmpty());
    }

    void taggedPhotosComeOutUpright_data() {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("bigEndian");
        for (int o = 1; o <= 8; ++o) {
            QTest::addRow("orientation %d", o) << o << (o % 2 == 0);
        }
    }
    void taggedPhotosComeOutUpright() {
        QFETCH(int, orientation);
        QFETCH(bool, bigEndian);
        TempAppDir app;
        const QImage upright = fixtures::quadrants(240, 120);
        const QByteArray tagged = fixtures::withOrientation(
            fixtures::jpegBytes(storedFor(upright, orientation)), orientation, bigEndian);
        const QString input = app.file(QStringLiteral("phone.jpg"));
        QVERIFY(fixtures::writeFile(input, tagged));
        {
            // The fixture means what a viewer that honours the tag shows.
            QImageReader reader(input);
            reader.setAutoTransform(true);
            const QImage shown = reader.read();
            QCOMPARE(shown.size(), upright.size());
            QVERIFY(hasUprightQuadrants(shown));
        }
        // Sizes come from the upright photo: 240x120 in 120x120 is halved to 120x60.
        QString out;
        TImgOper::ZipImageSize(input, 120, 120, out);
        QCOMPARE(out, app.file(QStringLiteral("ZoomPhoto.jpg")));
        QCOMPARE(storedSize(out), QSize(120, 60));
        QVERIFY(hasUprightQuadrants(QImage(out)));

        // The shrinking by file size turns the photo upright as well (1026 KB: factor 1.00, same size).
        QVERIFY(fixtures::writeFile(input, fixtures::paddedTo(tagged, 1026 * 1024)));
        TImgOper::ZipImage(input, out);
        QCOMPARE(out, app.file(QStringLiteral("TempZip.jpg")));
        QCOMPARE(storedSize(out), upright.size());
        QVERIFY(hasUprightQuadrants(QImage(out)));
        QVERIFY(app.logTexts().isEmpty());
    }

    void badInputIsLoggedAndHandsBackTheInput_data() {
        QTest::addColumn<bool>("zipImage"); // false: ZipImageSize
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QString>("blocked"); // output name taken by a folder
        QTest::addColumn<QString>("reason");  // text expected in the log line

        const QByteArray small = fixtures::jpegBytes(fixtures::quadrants(64, 48));
        const QByteArray big = fixtures::jpegBytes(noise(1200, 900), 100);
        QVERIFY(big.size() * 2 / 3 > 1100 * 1024); // still shrunk by file size when cut
        const QByteArray text = QByteArray("just some text\n").repeated(80000);
        const QByteArray huge = fixtures::claimingSize(small, 65000, 65000);
        const QByteArray over = fixtures::claimingSize(small, 20000, 10001);
        const QByteArray limit = fixtures::claimingSize(small, 20000, 10000);
        const qsizetype mb = 1100 * 1024;

        for (const bool zip : {false, true}) {
            const char *op = zip ? "ZipImage" : "ZipImageSize";
            QTest::addRow("%s: not a JPEG", op)
                << zip << text << true << QString() << QStringLiteral("Not a JPEG");
            QTest::addRow("%s: truncated", op) << zip << big.left(big.size() * 2 / 3) << true << QString()
                                               << QStringLiteral("Premature end");
            QTest::addRow("%s: header claims 65000x65000", op)
                << zip << fixtures::paddedTo(huge, mb) << true << QString()
                << QStringLiteral("200 megapixels");
            QTest::addRow("%s: just over 200 megapixels", op)
                << zip << fixtures::paddedTo(over, mb) << true << QString()
                << QStringLiteral("200 megapixels");
            QTest::addRow("%s: 200 megapixels of missing data", op)
                << zip << fixtures::paddedTo(limit, mb) << true << QString() << QStringLiteral("");
            QTest::addRow("%s: output blocked", op)
                << zip << big << true
                << (zip ? QStringLiteral("TempZip.jpg") : QStringLiteral("ZoomPhoto.jpg"))
                << QStringLiteral("");
        }
        QTest::newRow("ZipImageSize: empty file")
            << false << QByteArray() << true << QString() << QStringLiteral("empty");
        QTest::newRow("ZipImageSize: missing file")
            << false << QByteArray() << false << QString() << QStringLiteral("");
    }
    void badInputIsLoggedAndHandsBackTheInput() {
        QFETCH(bool, zipImage);
        QFETCH(QByteArray, content);
        QFETCH(bool, exists);
        QFETCH(QString, blocked);
        QFETCH(QString, reason);
        TempAppDir app;
        const QString input = app.file(QStringLiteral("input.jpg"));
        if (exists) {
            QVERIFY(fixtures::writeFile(input, content));
        }
        if (!blocked.isEmpty()) {
            QVERIFY(QDir(app.path()).mkdir(blocked));
        }
        QString out;
        if (zipImage) {
            TImgOper::ZipImage(input, out);
        } else {
            TImgOper::ZipImageSize(input, 640, 480, out);
        }
        QCOMPARE(out, input);
        const QStringList log = app.logTexts();
        QCOMPARE(log.size(), 1);
        const QString prefix = zipImage ? kZipFailure : kZoomFailure;
        QVERIFY2(log.first().startsWith(prefix), qPrintable(log.first()));
        QVERIFY2(log.first().size() > prefix.size() && log.first().contains(reason), qPrintable(log.first()));
        QStringList expected;
        if (exists) {
            expected << QStringLiteral("input.jpg");
        }
        if (!blocked.isEmpty()) {
            expected << blocked;
        }
        expected.sort();
        QCOMPARE(leftovers(app), expected);
    }
};

QTEST_MAIN(TstImgOper)
#include "tst_imgoper.moc"
