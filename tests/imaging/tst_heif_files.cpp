// HEIF files from outside, crafted to take the client down: each is read as a grid here, left to
// libheif's whole decoding for a reason that is safe, or refused with its reason, and
// `uploadpic-cli prepare` of each stays within a memory bound, measured in the child process.

#include "CraftedHeif.h"
#include "Fixtures.h"
#include "support/PhotoFormats.h"

#include "imaging/heifgrid/HeifGridPlan.h"
#include "imaging/heifgrid/HeifWriter.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kReadHere = -1;     // the grid reader reads the picture
constexpr int kBoxesRefused = -2; // the boxes are refused before any plan

struct Child {
    bool exited = false;
    int code = -1;
    long peakKB = 0;
    double cpuSeconds = 0;
    QByteArray err;
};

// Runs uploadpic-cli prepare on path in a child of its own, under time(1): a child's peak memory as
// the kernel reports it to its parent includes the parent's when the parent is this test, so the
// child is started by a small process that reports it.
Child prepare(const QString &path, const QString &folder) {
    const QString report = folder + QStringLiteral("/usage.txt");
    QProcess p;
    p.start(QStringLiteral("/usr/bin/time"),
            {QStringLiteral("-f"), QStringLiteral("%M %U %S"), QStringLiteral("-o"), report,
             QCoreApplication::applicationDirPath() + QStringLiteral("/uploadpic-cli"),
             QStringLiteral("prepare"), path, QStringLiteral("--dir"), folder});
    Child child;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return child;
    }
    child.exited = p.exitStatus() == QProcess::NormalExit;
    child.code = p.exitCode();
    child.err = p.readAllStandardError();
    QFile usage(report);
    const QList<QByteArray> fields = usage.open(QIODevice::ReadOnly)
                                         ? usage.readAll().trimmed().split('\n').last().split(' ')
                                         : QList<QByteArray>(); // after a line on the exit status
    if (fields.size() == 3) {
        child.peakKB = fields[0].toLong();
        child.cpuSeconds = fields[1].toDouble() + fields[2].toDouble();
    }
    return child;
}

QImage noise(int width, int height) {
    QImage image(width, height, QImage::Format_RGB888);
    quint32 seed = 7;
    for (int y = 0; y < height; ++y) {
        uchar *row = image.scanLine(y);
        for (int x = 0; x < width * 3; ++x) {
            seed = seed * 1664525U + 1013904223U;
            row[x] = uchar(seed >> 24);
        }
    }
    return image;
}

QByteArray clapBox(std::uint32_t width, std::uint32_t height) {
    QByteArray payload;
    for (const std::uint32_t v : {width, 1U, height, 1U, 0U, 1U, 0U, 1U}) {
        crafted::put(payload, v, 4);
    }
    return crafted::box("clap", payload);
}

} // namespace

class TstHeifFiles : public QObject {
    Q_OBJECT

    // One real HEVC tile of 256 x 256 pixels: its coded bytes and its property boxes but the size.
    QByteArray tileBytes_;
    std::vector<QByteArray> tileCoding_;

    crafted::Item tile(std::uint32_t width = 256, std::uint32_t height = 256,
                       std::uint32_t type = FourCc("hvc1")) const {
        crafted::Item item{type, tileCoding_, 1};
        if (width > 0) {
            item.properties.push_back(crafted::sizeBox(width, height));
        }
        return item;
    }

    // A grid of rows x columns tiles made by makeTile(i), its layout width x height.
    template <typename MakeTile>
    crafted::File grid(int rows, int columns, std::uint32_t width, std::uint32_t height, MakeTile makeTile,
                       std::vector<QByteArray> gridProperties = {}) const {
        crafted::File file;
        file.blobs = {crafted::gridLayout(rows, columns, width, height), tileBytes_};
        gridProperties.insert(gridProperties.begin(), crafted::sizeBox(width, height));
        file.items.push_back({FourCc("grid"), gridProperties, 0});
        for (int i = 0; i < rows * columns; ++i) {
            file.items.push_back(makeTile(i));
            file.tiles.push_back(std::uint32_t(i + 2));
        }
        return file;
    }

private slots:
    void initTestCase() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tile.heic"));
        QVERIFY(photoformats::writeHeic(path, noise(256, 256), 1));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const THeifMeta meta = ReadHeifMeta(file);
        const THeifItem &item = *meta.Item(meta.primary);
        tileBytes_ = ReadHeifItemData(file, meta, item);
        for (const std::uint16_t index : item.properties) {
            if (meta.properties[index].type != FourCc("ispe")) {
                tileCoding_.push_back(meta.properties[index].box);
            }
        }
    }

    void craftedFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("plan");      // a HeifGridFallback, kReadHere or kBoxesRefused
        QTest::addColumn<bool>("prepared"); // else refused
        QTest::addColumn<int>("maxMB");
        QTest::addColumn<QByteArray>("reason"); // in what prepare prints
        const auto same = [this](int) { return tile(); };
        using F = HeifGridFallback;
        const auto text = [](F reason) { return HeifGridFallbackText(reason).toUtf8(); };

        QTest::newRow("2 x 2 grid") << grid(2, 2, 500, 400, same).Build() << kReadHere << true << 120
                                    << QByteArray();
        crafted::File single;
        single.blobs = {tileBytes_};
        single.items = {tile()};
        single.items.front().blob = 0;
        QTest::newRow("single picture") << single.Build() << int(F::NotAGrid) << true << 120 << QByteArray();
        QTest::newRow("cropped grid") << grid(2, 2, 512, 512, same, {clapBox(300, 200)}).Build()
                                      << int(F::CroppedOrScaled) << true << 120 << QByteArray();
        crafted::File layout = grid(2, 2, 512, 512, same);
        layout.blobs[0] = layout.blobs[0].left(4);
        QTest::newRow("layout cut short")
            << layout.Build() << int(F::LayoutDamaged) << false << 120 << text(F::LayoutDamaged);
        crafted::File count = grid(2, 2, 512, 512, same);
        count.tiles.pop_back();
        QTest::newRow("three tiles of four")
            << count.Build() << int(F::TileCountWrong) << false << 120 << text(F::TileCountWrong);
        crafted::File sizeless = grid(16, 16, 4096, 4096, [this](int) { return tile(0); });
        sizeless.blobs[1] = QByteArray(64, '\x11');
        QTest::newRow("tiles without size")
            << sizeless.Build() << int(F::TileWithoutSize) << false << 120 << text(F::TileWithoutSize);
        QTest::newRow("JPEG tiles")
            << grid(2, 2, 512, 512, [this](int) { return tile(256, 256, FourCc("jpeg")); }).Build()
            << int(F::TileCodecUnknown) << false << 120 << text(F::TileCodecUnknown);
        QTest::newRow("tiles of two sizes")
            << grid(2, 2, 512, 512, [this](int i) { return i == 3 ? tile(128, 128) : tile(); }).Build()
            << int(F::TilesDiffer) << false << 120 << text(F::TilesDiffer);
        QTest::newRow("tiles short of the picture")
            << grid(2, 2, 2000, 512, same).Build() << int(F::TilesDoNotFit) << false << 120
            << text(F::TilesDoNotFit);
        QTest::newRow("huge declared tile")
            << grid(1, 1, 17000, 17000, [this](int) { return tile(17000, 17000); }).Build()
            << int(F::TooLarge) << false << 120 << text(F::TooLarge);
        crafted::File bigTile = grid(1, 1, 14000, 14000, [this](int) { return tile(14000, 14000); });
        QTest::newRow("large tile that is not what it claims")
            << bigTile.Build() << kReadHere << false << 120
            << QByteArray("decodes to another size than the file declares");
        QTest::newRow("grid's size disagrees") << [&] {
            crafted::File file = grid(2, 2, 512, 512, same);
            file.items.front().properties.front() = crafted::sizeBox(600, 600);
            return file.Build();
        }() << kReadHere << false << 120 << text(F::SizeDisagrees);
        // 128 tiles (libheif takes at most 32,768 pixels a side) whose bytes are the same 1 MB: the
        // coded tile and a filler unit that decoders skip.
        crafted::File amplified = grid(1, 128, 128 * 256, 256, same);
        QByteArray filler(1024 * 1024, '\xFF');
        filler[0] = char(38 << 1); // a filler data unit, then its payload
        filler[1] = 1;
        filler[filler.size() - 1] = char(0x80);
        crafted::put(amplified.blobs[1], std::uint64_t(filler.size()), 4);
        amplified.blobs[1] += filler;
        QTest::newRow("amplified grid") << amplified.Build() << kReadHere << true << 120 << QByteArray();
        crafted::File entries = single;
        entries.emptyAssociations = 3'000'000;
        QTest::newRow("many empty entries")
            << entries.Build() << kBoxesRefused << false << 300 << QByteArray("more items than a photo has");
    }
    void craftedFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, plan);
        QFETCH(bool, prepared);
        QFETCH(int, maxMB);
        QFETCH(QByteArray, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("crafted.heic"));
        QVERIFY(fixtures::writeFile(path, bytes));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        try {
            const THeifGridPlan found = PlanHeifGrid(file);
            QCOMPARE(found.grid ? kReadHere : int(found.fallback), plan);
        } catch (const std::runtime_error &e) {
            QVERIFY2(plan == kBoxesRefused, e.what());
        }
        const Child child = prepare(path, dir.path());
        QVERIFY(child.exited && child.peakKB > 0);
        QVERIFY2(child.code == (prepared ? 0 : 1), child.err.constData());
        QVERIFY2(child.err.contains(reason), child.err.constData());
        qInfo("%s: %lld bytes, peak %ld KB, %.1f s of CPU", QTest::currentDataTag(), qint64(bytes.size()),
              child.peakKB, child.cpuSeconds);
        QVERIFY2(child.peakKB <= maxMB * 1024, qPrintable(QString::number(child.peakKB)));
        QVERIFY(child.cpuSeconds <= 20);
    }

    // The one-tile files handed to libheif hold a property count in a byte and indices in 15 bits.
    void writerRefusesWhatItCannotName_data() {
        QTest::addColumn<int>("items");
        QTest::addColumn<int>("propertiesEach");
        QTest::addColumn<bool>("written");
        QTest::newRow("255 properties") << 1 << 255 << true;
        QTest::newRow("256 properties") << 1 << 256 << false;
        QTest::newRow("past 32,767 in all") << 130 << 254 << false;
        QTest::newRow("65,536 items") << 65536 << 0 << false;
    }
    void writerRefusesWhatItCannotName() {
        QFETCH(int, items);
        QFETCH(int, propertiesEach);
        QFETCH(bool, written);
        const THeifItemOut item{FourCc("hvc1"),
                                std::vector<QByteArray>(std::size_t(propertiesEach), crafted::sizeBox(1, 1)),
                                "x",
                                {},
                                false};
        bool refused = false;
        try {
            WriteHeifFile(FourCc("heic"), std::vector<THeifItemOut>(std::size_t(items), item));
        } catch (const std::runtime_error &) {
            refused = true;
        }
        QCOMPARE(!refused, written);
    }
};

QTEST_GUILESS_MAIN(TstHeifFiles)
#include "tst_heif_files.moc"
