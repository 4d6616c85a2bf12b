#include "RequestLog.h"

#include <QDateTime>

#include <cstdio>

void LogRequest(const QString &line) {
    const QByteArray text =
        (QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz ")) + line +
         QLatin1Char('\n'))
            .toUtf8();
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stderr);
    std::fflush(stderr);
}
