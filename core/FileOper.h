#pragma once
// File operations shared by every part of the client: reading and writing one ini value and the daily
// run log. The members live in IniFile.cpp (ReadIniFile, WriteIniFile) and RunLog.cpp (the run log).

#include <QDateTime>
#include <QString>

#include <functional>

class TFileOper {
public:
    TFileOper() = delete;

    // The value of key in section of the ini file at path; section and key match without regard to
    // case. Empty when the file, section or key is missing; a read failure is logged.
    static QString ReadIniFile(const QString &path, const QString &section, const QString &key);
    // Sets key in section of the ini file at path to value, keeping every other line as it was and
    // adding the section or the key where missing; the file (and its folder) is written whole. False
    // when it could not be written (logged).
    static bool WriteIniFile(const QString &path, const QString &section, const QString &key,
                             const QString &value);

    // Appends one stamped line to the day's run log in the program folder. Never throws, never
    // reports a failure; safe to call from several threads at once.
    static void WriteLog(const QString &text);

    // The clock that stamps log lines and names the day files; tests set their own, an empty function
    // restores the system clock.
    static void SetLogClock(std::function<QDateTime()> clock);

    // The bytes of one log line as written to the file, without the line end; the text's control
    // characters escaped (ShownText.h).
    static QByteArray FormatLogLine(const QDateTime &when, const QString &text);
};
