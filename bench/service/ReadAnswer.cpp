// bench_read FILE RUNS: the client's reading step on a saved list answer already in memory (XML
// and Base64 into records), RUNS times; prints the seconds of each run, one a line. Memory freed by
// a run goes back to the system before the next, so that each run writes the photos into fresh
// pages as the client's one reading does, rather than into pages the last run left mapped.
#include "contract/SoapCodec.h"

#include <QElapsedTimer>
#include <QFile>

#include <cstdio>

#include <malloc.h>

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
        malloc_trim(0); // what the last run freed
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
