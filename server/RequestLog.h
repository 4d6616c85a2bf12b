#pragma once
// One line per request on stderr: local time, then what happened. A line break or other control
// character inside is written escaped ("\\n"), so that every entry stays one line for the journal and
// for log scanners.

#include <QString>

void LogRequest(const QString &line);

// A number for a request, new for every call in this process, for a fault and its log line to name.
quint64 NextRequestId();
