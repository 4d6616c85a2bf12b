#include "ProgressLine.h"

#include <QString>

#include <cstdio>

#include <unistd.h>

namespace cli {

namespace {

constexpr qint64 kShownFrom = 1024 * 1024; // smaller transfers end before a person could read a line

QString megabytes(qint64 bytes) {
    return QString::number(static_cast<double>(bytes) / (1024.0 * 1024.0), 'f', 1);
}

bool &lineOpen() {
    static bool open = false;
    return open;
}

} // namespace

void EndProgressLine() {
    if (lineOpen()) {
        std::fputc('\n', stderr);
        std::fflush(stderr);
        lineOpen() = false;
    }
}

std::shared_ptr<TransferControl> ProgressControl(bool quiet) {
    if (quiet || ::isatty(STDERR_FILENO) == 0) {
        return nullptr;
    }
    auto control = std::make_shared<TransferControl>();
    control->OnProgress = [](const TransferProgress &p) {
        QString line;
        if (p.received > 0 || p.receiveTotal > 0) {
            if (p.receiveTotal > kShownFrom || (p.receiveTotal < 0 && p.received > kShownFrom)) {
                line = p.receiveTotal > 0 ? QStringLiteral("received %1 of %2 MB")
                                                .arg(megabytes(p.received), megabytes(p.receiveTotal))
                                          : QStringLiteral("received %1 MB").arg(megabytes(p.received));
            }
        } else if (p.sendTotal > kShownFrom) {
            line = QStringLiteral("sent %1 of %2 MB").arg(megabytes(p.sent), megabytes(p.sendTotal));
        }
        if (!line.isEmpty()) {
            // "\r" and the erase to the end of the line keep it one line however its length changes.
            std::fprintf(stderr, "\r\033[Kuploadpic-cli: %s", line.toUtf8().constData());
            std::fflush(stderr);
            lineOpen() = true;
        }
    };
    return control;
}

} // namespace cli
