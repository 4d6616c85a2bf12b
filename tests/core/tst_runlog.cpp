// The daily run log: file naming, line bytes, folder creation, failures and concurrent writers.

#include "core/FileOper.h"
#include "core/Gbk.h"
#include "support/TestSupport.h"

#include <QTest>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QDateTime at(int y, int mo, int d, int h, int mi, int s) {
    return {QDate(y, mo, d), QTime(h, mi, s)};
}

} // namespace

class TstRunLog : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { TFileOper::SetLogClock({}); }

    void lineIsStampedGbkWithCrLf() {
        TempAppDir app;
        TFileOper::SetLogClock([] { return at(2026, 12, 8, 9, 41, 7); });
        QVERIFY(!QDir(app.file(QStringLiteral("LogFiles"))).exists());
        TFileOper::WriteLog(QStringLiteral("用户退出系统"));
        const QByteArray expected = QByteArray("2026-12-08 09:41:07-----MAIN: ") +
                                    Gbk::encode(QStringLiteral("用户退出系统")) + "\r\n";
        QCOMPARE(readAll(app.file(QStringLiteral("LogFiles/20261208.txt"))), expected);
        QCOMPARE(Gbk::encode(QStringLiteral("用户退出系统")).toHex(), QByteArray("d3c3bba7cdcbb3f6cfb5cdb3"));
    }

    void emptyAndMultiLineTexts() {
        TempAppDir app;
        TFileOper::SetLogClock([] { return at(2026, 1, 2, 3, 4, 5); });
        TFileOper::WriteLog(QString());
        TFileOper::WriteLog(QStringLiteral("first\nsecond"));
        QCOMPARE(readAll(app.file(QStringLiteral("LogFiles/20260102.txt"))),
                 QByteArray("2026-01-02 03:04:05-----MAIN: \r\n"
                            "2026-01-02 03:04:05-----MAIN: first\\nsecond\r\n"));
    }

    void eachDayHasItsOwnFile() {
        TempAppDir app;
        QDateTime now = at(2026, 12, 31, 23, 59, 59);
        TFileOper::SetLogClock([&now] { return now; });
        TFileOper::WriteLog(QStringLiteral("last of the year"));
        now = at(2027, 1, 1, 0, 0, 0);
        TFileOper::WriteLog(QStringLiteral("first of the next"));
        QCOMPARE(readAll(app.file(QStringLiteral("LogFiles/20261231.txt"))).count("\r\n"), 1);
        QCOMPARE(readAll(app.file(QStringLiteral("LogFiles/20270101.txt"))),
                 QByteArray("2027-01-01 00:00:00-----MAIN: first of the next\r\n"));
    }

    void unwritableFolderNeverStopsTheCaller() {
        if (::geteuid() == 0) {
            // root ignores permission bits; a missing program folder stands in for an unwritable one.
            TempAppDir app;
            TSysOper::SetAppPath(app.path() + QStringLiteral("missing/deeper"));
            TFileOper::WriteLog(QStringLiteral("lost"));
            QVERIFY(!QDir(app.path() + QStringLiteral("missing")).exists());
            return;
        }
        TempAppDir app;
        QVERIFY(::chmod(QFile::encodeName(app.path()).constData(), 0555) == 0);
        TFileOper::WriteLog(QStringLiteral("lost"));
        ::chmod(QFile::encodeName(app.path()).constData(), 0755);
        QVERIFY(!QDir(app.file(QStringLiteral("LogFiles"))).exists());
    }

    void logFolderThatIsAFileLosesTheLineQuietly() {
        TempAppDir app;
        QFile blocker(app.file(QStringLiteral("LogFiles")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        TFileOper::WriteLog(QStringLiteral("lost"));
        QCOMPARE(QFileInfo(blocker).size(), 0);
    }

    void concurrentWritersLoseNoLine() {
        TempAppDir app;
        constexpr int kThreads = 8;
        constexpr int kLines = 250;
        std::vector<std::unique_ptr<QThread>> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back(QThread::create([t] {
                for (int i = 0; i < kLines; ++i) {
                    TFileOper::WriteLog(QStringLiteral("线程%1-行%2").arg(t).arg(i));
                }
            }));
            threads.back()->start();
        }
        for (auto &thread : threads) {
            QVERIFY(thread->wait(60000));
        }
        const QStringList texts = app.logTexts();
        QCOMPARE(texts.size(), kThreads * kLines);
        QCOMPARE(QSet<QString>(texts.begin(), texts.end()).size(), kThreads * kLines);
    }
};

QTEST_GUILESS_MAIN(TstRunLog)
#include "tst_runlog.moc"
