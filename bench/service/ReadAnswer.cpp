// bench_read FILE RUNS: the client's reading step on a saved list answer already in memory (XML
// and Base64 into records), RUNS times; prints the seconds of each run, one a line.
#include "service/SoapCodec.h"

#include <QElapsedTimer>
#include <QFile>

#include <cstdio>

int main(int argc, char *argv[]) {
    if (argc != 3) {
        std::fputs("usage: bench_read FILE RUNS\n", stderr);
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "bench_read: cannot read %s\n", argv[1]);
        return 1;
    }
    const QByteArray answer = file.readAll();
    const int runs = std::atoi(argv[2]);
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        const TPicResultInfo result = Soap::ReadPicResult(answer);
        const qint64 ns = timer.nsecsElapsed();
        if (result.F_PICLIST.isEmpty()) {
            std::fputs("bench_read: no photos in the answer\n", stderr);
            return 1;
        }
        std::printf("%.4f\n", double(ns) / 1e9);
    }
    return 0;
}
