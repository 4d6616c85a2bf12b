#pragma once
// Helpers shared by the test suites: a throw-away program folder and reading its run log.

#include "core/Gbk.h"
#include "core/SysOper.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

// A fresh program folder for one test; every path the client writes lands inside it.
class TempAppDir {
public:
    TempAppDir() { TSysOper::SetAppPath(dir_.path()); }
    ~TempAppDir() { TSysOper::SetAppPath(QString()); }
    TempAppDir(const TempAppDir &) = delete;
    TempAppDir &operator=(const TempAppDir &) = delete;

    QString path() const { return TSysOper::GetAppPath(); } // with trailing "/"
    QString file(const QString &relative) const { return path() + relative; }

    // The texts of all run log lines (decoded from GBK, stamps removed), oldest first.
    QStringList logTexts() const {
        QStringList texts;
        QDir logs(path() + QStringLiteral("LogFiles"));
        const QStringList files = logs.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
        for (const QString &name : files) {
            QFile f(logs.filePath(name));
            if (!f.open(QIODevice::ReadOnly)) {
                continue;
            }
            const QString content = Gbk::decode(f.readAll());
            for (const QString &line : content.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
                const qsizetype at = line.indexOf(QStringLiteral("-----MAIN: "));
                texts.append(at >= 0 ? line.mid(at + 11) : line);
            }
        }
        return texts;
    }

private:
    QTemporaryDir dir_;
};
