// Photos in other formats than JPEG: each kind is turned upright into a JPEG before the reductions,
// and a damaged file of each kind is refused with its name and the reason, leaving nothing to send.

#include "Fixtures.h"
#include "support/PhotoFormats.h"
#include "support/TestSupport.h"

#include "client/PhotoWorkflow.h"
#include "imaging/HeifDecode.h"
#include "imaging/HeifImage.h"
#include "imaging/JpegWriter.h"
#include "imaging/heifgrid/HeifGrid.h"

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

bool near(const QColor &a, const QColor &b, int tolerance = 16) {
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}

QColor meanColour(const QImage &image, const QRect &area) {
    double sum[3] = {};
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            sum[0] += c.red();
            sum[1] += c.green();
            sum[2] += c.blue();
        }
    }
    const double n = double(area.width()) * area.height();
    return QColor(qRound(sum[0] / n), qRound(sum[1] / n), qRound(sum[2] / n));
}

// The primary picture as libheif assembles and turns it itself, in 8-bit RGB made as for a picture
// that is no grid.
TRgbImage libheifPicture(const QString &path) {
    const THeifContext context = NewHeifContext();
    CheckHeif(heif_context_read_from_file(context.get(), path.toLocal8Bit().constData(), nullptr));
    const THeifHandle handle = PrimaryHeifHandle(context.get());
    const THeifImage image = DecodeHeif(handle.get());
    int height = 0;
    const TPlanarImage planes = HeifPlanes(image.get(), height);
    TRgbImage picture(planes.width, height);
    for (int y = 0; y < height; ++y) {
        PlanarRowToRgb(planes, HeifMatrix(image.get(), handle.get()), y, picture.row(y));
    }
    return picture;
}

int largestDifference(const QImage &a, const QImage &b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            largest = std::max(
                {largest, qAbs(p.red() - q.red()), qAbs(p.green() - q.green()), qAbs(p.blue() - q.blue())});
        }
    }
    return largest;
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
        QTest::newRow("heic grid turned left") << QByteArray("heic-grid") << 8 << false;
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

    // Each coding a phone or camera may use must come out in the colours it was made from: a wrong
    // matrix shifts saturated colours, a wrong range lifts black and dims white, a wrong depth or
    // subsampling garbles them.
    void heicColoursStayRight_data() {
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("fullRange");
        QTest::addColumn<QByteArray>("chroma");
        QTest::addColumn<int>("matrix");
        QTest::newRow("8-bit 4:2:0 full BT.601") << 8 << true << QByteArray("420") << 6;
        QTest::newRow("8-bit 4:2:0 limited BT.709") << 8 << false << QByteArray("420") << 1;
        QTest::newRow("8-bit 4:4:4 full BT.709") << 8 << true << QByteArray("444") << 1;
        QTest::newRow("10-bit 4:2:0 limited BT.2020") << 10 << false << QByteArray("420") << 9;
        QTest::newRow("10-bit 4:4:4 full BT.601") << 10 << true << QByteArray("444") << 6;
        QTest::newRow("8-bit grey") << 8 << true << QByteArray("mono") << 6;
        QTest::newRow("10-bit grey full") << 10 << true << QByteArray("mono") << 6;
    }
    void heicColoursStayRight() {
        QFETCH(int, bits);
        QFETCH(bool, fullRange);
        QFETCH(QByteArray, chroma);
        QFETCH(int, matrix);
        static const QColor kPatches[6] = {QColor(230, 40, 40),  QColor(40, 200, 60), QColor(50, 60, 220),
                                           QColor(240, 220, 40), QColor(18, 18, 18),  QColor(238, 238, 238)};
        constexpr int kSide = 64;
        QImage made(3 * kSide, 2 * kSide, QImage::Format_RGB888);
        for (int i = 0; i < 6; ++i) {
            QPainter(&made).fillRect((i % 3) * kSide, (i / 3) * kSide, kSide, kSide, kPatches[i]);
        }
        if (chroma == "mono") {
            made = made.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_RGB888);
        }
        TempAppDir app;
        const QString path = app.file(QStringLiteral("coded.heic"));
        QVERIFY(photoformats::writeHeic(path, made, 1, {bits, fullRange, chroma.constData(), matrix}));

        const QImage decoded = QImage::fromData(HeifToJpeg(path, 92), "JPEG");
        QCOMPARE(decoded.size(), made.size());
        for (int i = 0; i < 6; ++i) {
            // The mean of the patch's middle, away from edges that subsampling and JPEG blur.
            const QRect middle((i % 3) * kSide + 16, (i / 3) * kSide + 16, kSide - 32, kSide - 32);
            const QColor mean = meanColour(decoded, middle);
            const QColor expected = made.pixelColor(middle.center());
            QVERIFY2(
                near(mean, expected, 4),
                qPrintable(QStringLiteral("patch %1: %2 for %3").arg(i).arg(mean.name(), expected.name())));
        }
    }

    // A grid of tiles is read a band of tiles at a time, not assembled by libheif: whatever the turns
    // and mirrors, with tiles cut by the picture's edges and 10-bit tiles, the picture must be the one
    // libheif makes of the whole grid, to the pixel (both written through the same JPEG encoder).
    void heicGridReadByBands_data() {
        QTest::addColumn<QByteArray>("transforms"); // "irot1 imir0": boxes in the order they apply
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("av1"); // AV1 tiles, else HEVC
        for (const char *transforms :
             {"", "irot1", "irot2", "irot3", "imir0", "imir1", "irot1 imir0", "imir1 irot1"}) {
            QTest::addRow("8-bit %s", transforms) << QByteArray(transforms) << 8 << false;
        }
        QTest::newRow("10-bit irot3") << QByteArray("irot3") << 10 << false;
        QTest::newRow("AV1 irot1") << QByteArray("irot1") << 8 << true;
    }
    void heicGridReadByBands() {
        QFETCH(QByteArray, transforms);
        QFETCH(int, bits);
        QFETCH(bool, av1);
        std::vector<QByteArray> boxes;
        for (const QByteArray &box : transforms.split(' ')) {
            if (!box.isEmpty()) {
                boxes.push_back(photoformats::transformBox(box.left(4).constData(), box.mid(4).toInt()));
            }
        }
        TempAppDir app;
        const QString path = app.file(QStringLiteral("grid.heic"));
        photoformats::HeicCoding coding{bits, false, "420", 9};
        coding.av1 = av1;
        QVERIFY(
            photoformats::writeHeicGrid(path, fixtures::quadrants(200, 130), QSize(96, 64), boxes, coding));
        const TRgbImage whole = libheifPicture(path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const THeifGridPlan plan = PlanHeifGrid(file);
        QVERIFY(plan.grid.has_value());
        QCOMPARE(plan.grid->upright.width, whole.width);
        QCOMPARE(plan.grid->upright.height, whole.height);
        const std::optional<QByteArray> banded = HeifGridToJpeg(file, *plan.grid, 92);
        const QImage expected = QImage::fromData(EncodeJpeg(whole, 1, 92), "JPEG");
        const QImage got = QImage::fromData(*banded, "JPEG");
        QCOMPARE(got.size(), expected.size());
        const int difference = largestDifference(got, expected);
        QVERIFY2(difference == 0, qPrintable(QString::number(difference)));
    }

    void damagedFileIsRefusedByName_data() {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<bool>("truncated"); // else the bytes after the first 16 are garbled
        for (const char *format : {"heic", "heic-grid", "png", "webp", "tiff", "bmp"}) {
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
