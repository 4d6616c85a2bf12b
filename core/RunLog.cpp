#include "FileOper.h"

#include "Gbk.h"
#include "ShownText.h"
#include "SysOper.h"

#include <QDir>
#include <QMutex>
#include <QMutexLocker>

#include <fcntl.h>
#include <unistd.h>

namespace {

QMutex &logMutex() {
    static QMutex mutex;
    return mutex;
}

std::function<QDateTime()> &logClock() {
    static std::function<QDateTime()> clock;
    return clock;
}

QDateTime now() {
    QMutexLocker lock(&logMutex());
    return logClock() ? logClock()() : QDateTime::currentDateTime();
}

// Appends the bytes with one write on a descriptor opened for appending, so that even several
// processes sharing the program folder never interleave parts of their lines; never through a
// symbolic link put in the day file's place.
void appendWhole(const QString &path, const QByteArray &bytes) {
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n =
            ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (n <= 0) {
            break;
        }
        written += n;
    }
    ::close(fd);
}

} // namespace

QByteArray TFileOper::FormatLogLine(const QDateTime &when, const QString &text) {
    // One line whatever the text holds: a line break in a server's text must not forge a line.
    return Gbk::encode(when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral("-----MAIN: ") +
                       ShownText(text));
}

void TFileOper::SetLogClock(std::function<QDateTime()> clock) {
    QMutexLocker lock(&logMutex());
    logClock() = std::move(clock);
}

void TFileOper::WriteLog(const QString &text) {
    try {
        const QDateTime when = now();
        const QString folder = TSysOper::GetAppPath() + QStringLiteral("LogFiles/");
        const QString file = folder + when.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".txt");
        const QByteArray line = FormatLogLine(when, text) + "\r\n";
        QMutexLocker lock(&logMutex());
        QDir().mkdir(folder);
        appendWhole(file, line);
    } catch (...) {
        // The run log is the last resort for diagnostics; losing a line must never stop the caller.
    }
}
