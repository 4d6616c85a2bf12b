// bench_seed DB COUNT...: adds the demo data and, for each COUNT, a company of the catering trade
// holding COUNT photos whose small versions are JPEGs of about 60 KB. The companies are
// "31011599" + COUNT in five digits (3101159900400 for 400); prints one line per company.
#include "DemoSeed.h"
#include "PhotoDatabase.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QRandomGenerator>

#include <cstdio>

namespace {

// A noisy picture compresses about as badly as a real photo of the same size.
QByteArray noisyJpeg(int width, int height, quint32 seed) {
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int base = (x * 255 / width + y * 255 / height) / 2;
            const int n = int(random.bounded(48U));
            line[x] =
                qRgb(qBound(0, base + n - 24, 255), qBound(0, 255 - base + n - 24, 255), (base + n) & 255);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 75);
    return bytes;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fputs("usage: bench_seed DB COUNT...\n", stderr);
        return 2;
    }
    try {
        PhotoDatabase db(args.at(1));
        SeedDemo(db);
        // Eight different small versions of about 60 KB, taken in turn.
        QList<QByteArray> smalls;
        for (quint32 v = 0; v < 8; ++v) {
            smalls.append(noisyJpeg(560, 420, v + 1));
        }
        for (const QString &countText : args.mid(2)) {
            const int count = countText.toInt();
            const QString number = QStringLiteral("%1").arg(count, 5, 10, QLatin1Char('0'));
            CompanyRecord c;
            c.companyId = QStringLiteral("31011599") + number;
            c.customerId = QStringLiteral("KHB") + number;
            c.softwareId = QStringLiteral("RJB") + number;
            c.deviceId = QStringLiteral("SBB") + number;
            c.companyType = QStringLiteral("310");
            c.name = QStringLiteral("基准企业") + number;
            c.trade = QStringLiteral("CY");
            c.photoLimit = count;
            c.zoomWidth = 800;
            c.zoomHeight = 600;
            db.inTransaction([&] {
                db.addCompany(c);
                for (int i = 0; i < count; ++i) {
                    PhotoRecord p;
                    p.photoId = QStringLiteral("WB%1P%2").arg(number).arg(i, 5, 10, QLatin1Char('0'));
                    p.companyId = c.companyId;
                    p.typeCode = QStringLiteral("01");
                    p.note = QStringLiteral("基准照片 %1").arg(i);
                    p.small = smalls.at(i % smalls.size());
                    p.source = p.small;
                    p.inputTime = QStringLiteral("2024-03-15 09:30:00");
                    db.insertPhoto(p, count);
                }
            });
            std::printf("%s %d photos of %lld bytes\n", qPrintable(c.companyId), count,
                        static_cast<long long>(smalls.first().size()));
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench_seed: %s\n", e.what());
        return 1;
    }
    return 0;
}
