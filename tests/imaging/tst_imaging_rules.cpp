// The computations behind photo reduction, without files: rounding, rates, target sizes, the DCT
// scale chosen for decoding, area averaging and the reading of the EXIF orientation tag.

#include "Fixtures.h"

#include "imaging/AreaResampler.h"
#include "imaging/ExifOrientation.h"
#include "imaging/JpegReader.h"
#include "imaging/PlanarRgb.h"
#include "imaging/SizeRules.h"

#include <QTest>

#include <stdexcept>

using SizeRules::TSize;

Q_DECLARE_METATYPE(TSize)

namespace {

TRgbImage filled(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    TRgbImage image(w, h);
    for (std::size_t i = 0; i < image.pixels.size(); i += 3) {
        image.pixels[i] = r;
        image.pixels[i + 1] = g;
        image.pixels[i + 2] = b;
    }
    return image;
}

TRgbImage resample(const TRgbImage &source, int w, int h) {
    TAreaResampler resampler(source.width, source.height, w, h);
    for (int y = 0; y < source.height; ++y) {
        resampler.AddRow(source.row(y));
    }
    return resampler.Take();
}

} // namespace

class TstImagingRules : public QObject {
    Q_OBJECT

private slots:
    void roundToInt_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("1024.5 to even below") << 1024.5 << qint64(1024);
        QTest::newRow("1025.5 to even above") << 1025.5 << qint64(1026);
        QTest::newRow("0.5") << 0.5 << qint64(0);
        QTest::newRow("2309.40") << 4000 / 1.7320508075688772 << qint64(2309);
        QTest::newRow("1732.05") << 3000 / 1.7320508075688772 << qint64(1732);
        QTest::newRow("645.12") << 645.12 << qint64(645);
        QTest::newRow("-0.5") << -0.5 << qint64(0);
    }
    void roundToInt() {
        QFETCH(double, value);
        QFETCH(qint64, expected);
        QCOMPARE(SizeRules::RoundToInt(value), expected);
    }

    void twoDecimalFactor_data() {
        QTest::addColumn<qint64>("numerator");
        QTest::addColumn<qint64>("denominator");
        QTest::addColumn<qint64>("hundredths");
        QTest::newRow("640/1024 half goes up") << qint64(640) << qint64(1024) << qint64(63);
        QTest::newRow("1/200 half goes up") << qint64(1) << qint64(200) << qint64(1);
        QTest::newRow("-1/200 half away from zero") << qint64(-1) << qint64(200) << qint64(-1);
        QTest::newRow("3072 KB is 3.00 MB") << qint64(3072) << qint64(1024) << qint64(300);
        QTest::newRow("1029 KB is 1.00 MB") << qint64(1029) << qint64(1024) << qint64(100);
        QTest::newRow("1030 KB is 1.01 MB") << qint64(1030) << qint64(1024) << qint64(101);
        QTest::newRow("1280/1283 rounds to 1.00") << qint64(1280) << qint64(1283) << qint64(100);
        QTest::newRow("1280/1287 rounds to 0.99") << qint64(1280) << qint64(1287) << qint64(99);
        QTest::newRow("1024/2309 is 0.44") << qint64(1024) << qint64(2309) << qint64(44);
    }
    void twoDecimalFactor() {
        QFETCH(qint64, numerator);
        QFETCH(qint64, denominator);
        QFETCH(qint64, hundredths);
        QCOMPARE(SizeRules::RoundHundredths(numerator, denominator), hundredths);
        // Read back as the number the two-decimal text names.
        QCOMPARE(SizeRules::TwoDecimalFactor(numerator, denominator),
                 QString::number(double(hundredths) / 100.0, 'f', 2).toDouble());
    }

    void zipRate_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("maxWidth");
        QTest::addColumn<int>("maxHeight");
        QTest::addColumn<double>("rate");
        QTest::newRow("1024 wide at 640") << 1024 << 400 << 640 << 480 << 0.63;
        QTest::newRow("both over: larger factor") << 1600 << 1000 << 800 << 600 << 0.60;
        QTest::newRow("both over, upright") << 1000 << 1600 << 600 << 800 << 0.60;
        QTest::newRow("2309x1732 in 1024x768") << 2309 << 1732 << 1024 << 768 << 0.44;
        QTest::newRow("only height over") << 500 << 1000 << 640 << 480 << 0.48;
        QTest::newRow("exactly at limits") << 640 << 480 << 640 << 480 << 1.0;
        QTest::newRow("smaller") << 10 << 10 << 640 << 480 << 1.0;
        QTest::newRow("3 over 1280 kept") << 1283 << 700 << 1280 << 960 << 1.0;
        QTest::newRow("7 over 1280 reduced") << 1287 << 700 << 1280 << 960 << 0.99;
        QTest::newRow("one side 1.00 the other reduced") << 1283 << 1000 << 1280 << 500 << 0.5;
        QTest::newRow("zero limit") << 100 << 100 << 0 << 0 << 0.0;
    }
    void zipRate() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, maxWidth);
        QFETCH(int, maxHeight);
        QFETCH(double, rate);
        QCOMPARE(SizeRules::ZipRate(width, height, maxWidth, maxHeight), rate);
    }

    void zipRateWithoutRatioThrows() {
        QVERIFY_THROWS_EXCEPTION(std::domain_error, SizeRules::ZipRate(0, 10, -5, 20));
        QVERIFY_THROWS_EXCEPTION(std::domain_error, SizeRules::RoundHundredths(1, 0));
    }

    void scaledSize_data() {
        QTest::addColumn<TSize>("size");
        QTest::addColumn<double>("rate");
        QTest::addColumn<TSize>("expected");
        QTest::newRow("645.12") << TSize{1024, 400} << 0.63 << TSize{645, 252};
        QTest::newRow("960x600") << TSize{1600, 1000} << 0.60 << TSize{960, 600};
        QTest::newRow("1016x762") << TSize{2309, 1732} << 0.44 << TSize{1016, 762};
        QTest::newRow("halves to even") << TSize{1025, 1027} << 0.5 << TSize{512, 514};
    }
    void scaledSize() {
        QFETCH(TSize, size);
        QFETCH(double, rate);
        QFETCH(TSize, expected);
        QCOMPARE(SizeRules::ScaledSize(size, rate), expected);
    }

    void emptyTargetThrows() {
        QVERIFY_THROWS_EXCEPTION(std::domain_error, SizeRules::ScaledSize({100, 100}, 0.0));
        QVERIFY_THROWS_EXCEPTION(std::domain_error, SizeRules::ScaledSize({1, 100}, 0.4));
    }

    void shrunkSize_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<TSize>("size");
        QTest::addColumn<bool>("shrinks");
        QTest::addColumn<TSize>("expected");
        QTest::newRow("3072 KB 4000x3000")
            << qint64(3072 * 1024) << TSize{4000, 3000} << true << TSize{2309, 1732};
        QTest::newRow("1024.5 KB stays") << qint64(1049088) << TSize{800, 600} << false << TSize{};
        QTest::newRow("1025.5 KB at factor 1.00")
            << qint64(1050112) << TSize{800, 600} << true << TSize{800, 600};
        QTest::newRow("1029 KB at factor 1.00")
            << qint64(1029 * 1024) << TSize{801, 599} << true << TSize{801, 599};
        QTest::newRow("1030 KB at 1.01")
            << qint64(1030 * 1024) << TSize{4000, 3000} << true << TSize{3980, 2985};
        QTest::newRow("missing file") << qint64(-1) << TSize{800, 600} << false << TSize{};
    }
    void shrunkSize() {
        QFETCH(qint64, bytes);
        QFETCH(TSize, size);
        QFETCH(bool, shrinks);
        QFETCH(TSize, expected);
        const std::int64_t kb = SizeRules::SizeInKB(bytes);
        QCOMPARE(kb > SizeRules::kZipThresholdKB, shrinks);
        if (shrinks) {
            QCOMPARE(SizeRules::ShrunkSize(size, kb), expected);
        }
    }

    void dctScale_data() {
        QTest::addColumn<TSize>("stored");
        QTest::addColumn<TSize>("target");
        QTest::addColumn<int>("numerator");
        QTest::newRow("24 MP to 1721x1148") << TSize{6000, 4000} << TSize{1721, 1148} << 3;
        QTest::newRow("same size") << TSize{1000, 1000} << TSize{1000, 1000} << 8;
        QTest::newRow("exactly one eighth") << TSize{1000, 1000} << TSize{125, 125} << 1;
        QTest::newRow("one pixel over an eighth") << TSize{1000, 1000} << TSize{126, 125} << 2;
        QTest::newRow("libjpeg rounds up") << TSize{1001, 1001} << TSize{126, 126} << 1;
        QTest::newRow("height decides") << TSize{1000, 200} << TSize{100, 199} << 8;
    }
    void dctScale() {
        QFETCH(TSize, stored);
        QFETCH(TSize, target);
        QFETCH(int, numerator);
        QCOMPARE(DctScaleNumerator(stored, target), numerator);
    }

    void areaAveragingKeepsFlatColour_data() {
        QTest::addColumn<TSize>("source");
        QTest::addColumn<TSize>("target");
        QTest::newRow("same size") << TSize{7, 5} << TSize{7, 5};
        QTest::newRow("halves") << TSize{8, 6} << TSize{4, 3};
        QTest::newRow("uneven") << TSize{1003, 701} << TSize{645, 252};
        QTest::newRow("to one pixel") << TSize{97, 13} << TSize{1, 1};
        QTest::newRow("barely smaller") << TSize{1287, 700} << TSize{1274, 693};
    }
    void areaAveragingKeepsFlatColour() {
        QFETCH(TSize, source);
        QFETCH(TSize, target);
        const TRgbImage out =
            resample(filled(source.width, source.height, 200, 17, 255), target.width, target.height);
        QCOMPARE(out.width, target.width);
        QCOMPARE(out.height, target.height);
        for (std::size_t i = 0; i < out.pixels.size(); i += 3) {
            QCOMPARE(out.pixels[i], std::uint8_t(200));
            QCOMPARE(out.pixels[i + 1], std::uint8_t(17));
            QCOMPARE(out.pixels[i + 2], std::uint8_t(255));
        }
    }

    void areaAveragingWeighsByCoveredArea() {
        // A 3x1 row of 0, 90, 180 shrunk to 2 pixels: each covers 1.5 source pixels.
        TRgbImage source(3, 1);
        const std::uint8_t values[3] = {0, 90, 180};
        for (int x = 0; x < 3; ++x) {
            source.pixels[3 * x] = source.pixels[3 * x + 1] = source.pixels[3 * x + 2] = values[x];
        }
        const TRgbImage out = resample(source, 2, 1);
        QCOMPARE(out.pixels[0], std::uint8_t(30));  // (0 + 0.5 * 90) / 1.5
        QCOMPARE(out.pixels[3], std::uint8_t(150)); // (0.5 * 90 + 180) / 1.5

        // A 4x4 checkerboard of 0 and 255 in 2x2 blocks averages to flat grey at 1x1 and keeps
        // its blocks at 2x2.
        TRgbImage board(4, 4);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                const std::uint8_t v = ((x / 2) + (y / 2)) % 2 ? 255 : 0;
                std::fill_n(board.row(y) + 3 * x, 3, v);
            }
        }
        QCOMPARE(resample(board, 1, 1).pixels[0], std::uint8_t(128));
        const TRgbImage blocks = resample(board, 2, 2);
        QCOMPARE(blocks.row(0)[0], std::uint8_t(0));
        QCOMPARE(blocks.row(0)[3], std::uint8_t(255));
        QCOMPARE(blocks.row(1)[0], std::uint8_t(255));
        QCOMPARE(blocks.row(1)[3], std::uint8_t(0));
    }

    void rowSinkGetsTheRowsOfTheBitmap() {
        TRgbImage source(7, 9);
        for (std::size_t i = 0; i < source.pixels.size(); ++i) {
            source.pixels[i] = std::uint8_t(i * 37 % 251);
        }
        const TRgbImage kept = resample(source, 3, 4);
        std::vector<std::uint8_t> streamed;
        TAreaResampler resampler(
            7, 9, 3, 4, [&](const std::uint8_t *row) { streamed.insert(streamed.end(), row, row + 9); });
        for (int y = 0; y < source.height; ++y) {
            resampler.AddRow(source.row(y));
        }
        QCOMPARE(streamed, kept.pixels);
        QCOMPARE(resampler.Take().pixels.size(), std::size_t(0));
    }

    void areaResamplerRefusesMisuse() {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, TAreaResampler(10, 10, 11, 10));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, TAreaResampler(10, 10, 0, 5));
        TAreaResampler resampler(4, 2, 2, 1);
        const std::uint8_t row[12] = {};
        resampler.AddRow(row);
        QVERIFY_THROWS_EXCEPTION(std::logic_error, resampler.Take());
        resampler.AddRow(row);
        QVERIFY_THROWS_EXCEPTION(std::logic_error, resampler.AddRow(row));
        QCOMPARE(resampler.Take().width, 2);
    }

    // A pure colour coded as the decoder hands it over, 2x2 pixels with 4:2:0 chroma (one chroma
    // sample, surrounded by wrong ones a wrong subsampling would pick up), back to RGB.
    void planarRowToRgb_data() {
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("fullRange");
        QTest::addColumn<int>("matrix");       // H.273; 0 here codes no colour: a grey plane alone
        QTest::addColumn<QList<int>>("coded"); // Y, Cb, Cr
        QTest::addColumn<QColor>("rgb");
        QTest::newRow("red, BT.601 full") << 8 << true << 6 << QList<int>{76, 85, 255} << QColor(254, 0, 0);
        QTest::newRow("red, BT.709 limited")
            << 8 << false << 1 << QList<int>{63, 102, 240} << QColor(255, 1, 0);
        QTest::newRow("green, BT.2020 10-bit limited")
            << 10 << false << 9 << QList<int>{658, 189, 100} << QColor(0, 255, 0);
        QTest::newRow("unknown matrix is BT.601")
            << 8 << true << 3 << QList<int>{76, 85, 255} << QColor(254, 0, 0);
        QTest::newRow("grey, 10-bit limited") << 10 << false << 0 << QList<int>{502} << QColor(128, 128, 128);
        QTest::newRow("white, 10-bit full") << 10 << true << 0 << QList<int>{1023} << QColor(255, 255, 255);
    }
    void planarRowToRgb() {
        QFETCH(int, bits);
        QFETCH(bool, fullRange);
        QFETCH(int, matrix);
        QFETCH(QList<int>, coded);
        QFETCH(QColor, rgb);
        std::vector<std::uint16_t> samples[3];
        TPlanarImage image;
        image.kind = coded.size() == 1 ? TPlanarKind::Monochrome : TPlanarKind::YCbCr;
        image.width = 2;
        for (int c = 0; c < int(coded.size()); ++c) {
            samples[c] = c == 0 ? std::vector<std::uint16_t>(4, std::uint16_t(coded[0]))
                                : std::vector<std::uint16_t>{std::uint16_t(coded[c]), 0, 0, 0};
            if (bits == 8) { // one byte a sample
                for (std::uint16_t &v : samples[c]) {
                    v = std::uint16_t(v | v << 8);
                }
            }
            image.planes[c] = {reinterpret_cast<const std::uint8_t *>(samples[c].data()),
                               2 * (bits > 8 ? 2 : 1), bits, c > 0 ? 1 : 0, c > 0 ? 1 : 0};
        }
        std::uint8_t row[6] = {};
        PlanarRowToRgb(image, YCbCrMatrixFor(matrix, fullRange), 1, row);
        for (int i = 0; i < 6; ++i) {
            const int expected = i % 3 == 0 ? rgb.red() : i % 3 == 1 ? rgb.green() : rgb.blue();
            QVERIFY2(qAbs(row[i] - expected) <= 1, qPrintable(QString::number(i)));
        }
    }

    void orientationTag_data() {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("orientation");
        for (int o = 1; o <= 8; ++o) {
            QTest::addRow("Motorola order %d", o) << fixtures::exifOrientationSegment(o, true).mid(4) << o;
            QTest::addRow("Intel order %d", o) << fixtures::exifOrientationSegment(o, false).mid(4) << o;
        }
        QTest::newRow("value 9 is not an orientation") << fixtures::exifOrientationSegment(9).mid(4) << 1;
        QTest::newRow("value 0") << fixtures::exifOrientationSegment(0).mid(4) << 1;
        QTest::newRow("XMP, not EXIF") << QByteArray("http://ns.adobe.com/xap/1.0/\0<x/>", 34) << 1;
        QTest::newRow("cut inside the entry") << fixtures::exifOrientationSegment(6).mid(4, 20) << 1;
        QTest::newRow("header only") << QByteArray("Exif\0\0", 6) << 1;
        QTest::newRow("empty") << QByteArray() << 1;
    }
    void orientationTag() {
        QFETCH(QByteArray, payload);
        QFETCH(int, orientation);
        QCOMPARE(ExifOrientation::FromApp1(reinterpret_cast<const std::uint8_t *>(payload.constData()),
                                           std::size_t(payload.size())),
                 orientation);
    }
};

QTEST_GUILESS_MAIN(TstImagingRules)
#include "tst_imaging_rules.moc"
