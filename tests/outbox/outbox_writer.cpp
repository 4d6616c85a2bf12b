// Keeps two entries in the outbox folder given, the second one big, under a file size limit: the
// system stops the second write at the limit, and the process kills itself there with SIGKILL. So a
// test sees what a crash in the middle of writing an entry leaves.
// Usage: outbox_writer FOLDER LIMIT_BYTES

#include "client/Outbox.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

#include <sys/resource.h>
#include <unistd.h>

namespace {

TOutboxEntry entry(qsizetype sourceBytes) {
    TOutboxEntry e;
    e.companyId = QStringLiteral("4403050067890");
    e.typeEntry = QStringLiteral("01 门头照片");
    e.note = QStringLiteral("门头");
    e.photo.source = QByteArray("\xFF\xD8\xFF\xE0") + QByteArray(sourceBytes, 'S');
    e.photo.small = QByteArray("\xFF\xD8\xFF\xE0") + QByteArray(1000, 's');
    return e;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        return 2;
    }
    TOutbox outbox(QString::fromLocal8Bit(argv[1]));
    TOutboxEntry small = entry(1000);
    std::printf("kept %s\n", qPrintable(outbox.Keep(small)));
    std::fflush(stdout);
    std::signal(SIGXFSZ, [](int) { ::kill(::getpid(), SIGKILL); });
    const rlim_t limit = std::strtoull(argv[2], nullptr, 10);
    const rlimit fileSize{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &fileSize);
    TOutboxEntry big = entry(qsizetype(limit) * 2);
    outbox.Keep(big);
    std::printf("not killed\n");
    return 1;
}
