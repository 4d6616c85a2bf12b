#pragma once
// One line per request on stderr: local time, then what happened.

#include <QString>

void LogRequest(const QString &line);
