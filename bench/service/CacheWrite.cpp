// bench_cachewrite DIR COUNT BYTES RUNS: writes COUNT files of BYTES bytes whole into DIR, synced
// to the disk (as every file was written before) and unsynced (as the photo cache is now); prints
// "synced SECONDS" and "unsynced SECONDS" for each run.
#include "core/WholeFile.h"

#include <QDir>
#include <QElapsedTimer>

#include <cstdio>
#include <utility>

namespace {

double writeAll(const QString &dir, int count, const QByteArray &bytes, WholeFileSync sync) {
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        WriteWholeFile(dir + QStringLiteral("/P%1_0.jpg").arg(i), bytes, sync);
    }
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc != 5) {
        std::fputs("usage: bench_cachewrite DIR COUNT BYTES RUNS\n", stderr);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const int count = std::atoi(argv[2]);
    const QByteArray bytes(std::atoi(argv[3]), 'j');
    try {
        // Each run into new folders, as a list writes into an emptied cache.
        for (int run = std::atoi(argv[4]); run > 0; --run) {
            for (const auto &[name, sync] : {std::pair{"synced", WholeFileSync::Synced},
                                             std::pair{"unsynced", WholeFileSync::Unsynced}}) {
                const QString folder = dir + QStringLiteral("/%1-%2").arg(QLatin1String(name)).arg(run);
                QDir().mkpath(folder);
                std::printf("%s %.4f\n", name, writeAll(folder, count, bytes, sync));
            }
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench_cachewrite: %s\n", e.what());
        return 1;
    }
    return 0;
}
