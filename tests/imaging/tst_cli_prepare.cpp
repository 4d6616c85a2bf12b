// uploadpic-cli prepare as a user runs it: the two lines it prints, its exit codes, and the working
// files it writes.

#include "Fixtures.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int code = -1;
    QString out;
};

Run prepare(const QStringList &args) {
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/uploadpic-cli"),
            QStringList{QStringLiteral("prepare")} + args);
    Run run;
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit) {
        run.code = p.exitCode();
    }
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    return run;
}

} // namespace

class TstCliPrepare : public QObject {
    Q_OBJECT

private slots:
    void printsSourceAndSmall() {
        QTemporaryDir dir;
        const QString input = dir.filePath(QStringLiteral("photo.jpg"));
        const QByteArray jpeg =
            fixtures::paddedTo(fixtures::jpegBytes(fixtures::quadrants(1600, 1000)), 2048 * 1024);
        QVERIFY(fixtures::writeFile(input, jpeg));
        const Run run = prepare({input, QStringLiteral("--max-width"), QStringLiteral("800"),
                                 QStringLiteral("--max-height"), QStringLiteral("600"),
                                 QStringLiteral("--dir"), dir.path()});
        QCOMPARE(run.code, 0);
        const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        // 2048 KB: factor 2.00, 1600x1000 / 1.414 = 1131x707; then factors 0.71 and 0.85, the larger wins.
        const QString zip = dir.filePath(QStringLiteral("TempZip.jpg"));
        const QString zoom = dir.filePath(QStringLiteral("ZoomPhoto.jpg"));
        QCOMPARE(lines[0], QStringLiteral("source %1 1131x707 %2").arg(zip).arg(QFileInfo(zip).size()));
        QCOMPARE(lines[1], QStringLiteral("small %1 961x601 %2").arg(zoom).arg(QFileInfo(zoom).size()));
    }

    void defaultsAndUntouchedInput() {
        QTemporaryDir dir;
        const QString input = dir.filePath(QStringLiteral("small.jpg"));
        QVERIFY(fixtures::writeFile(input, fixtures::jpegBytes(fixtures::quadrants(600, 400))));
        const Run run = prepare({input, QStringLiteral("--dir"), dir.path()});
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, QStringLiteral("source %1 600x400 %2\nsmall %1 600x400 %2\n")
                              .arg(input)
                              .arg(QFileInfo(input).size()));
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no file") << QStringList{};
        QTest::newRow("width not a number")
            << QStringList{QStringLiteral("x.jpg"), QStringLiteral("--max-width"), QStringLiteral("wide")};
        QTest::newRow("no such folder") << QStringList{QStringLiteral("x.jpg"), QStringLiteral("--dir"),
                                                       QStringLiteral("/nonexistent/folder")};
    }
    void usageErrors() {
        QFETCH(QStringList, args);
        QCOMPARE(prepare(args).code, 2);
    }

    void missingFileFails() {
        QTemporaryDir dir;
        const Run run =
            prepare({dir.filePath(QStringLiteral("none.jpg")), QStringLiteral("--dir"), dir.path()});
        QCOMPARE(run.code, 1);
    }

    // A working file that is a link to someone else's file is replaced, never written through.
    void workingFilesReplaceLinks() {
        QTemporaryDir dir;
        const QString input = dir.filePath(QStringLiteral("photo.png"));
        QVERIFY(fixtures::quadrants(800, 600).save(input));
        const QString victim = dir.filePath(QStringLiteral("victim.txt"));
        QVERIFY(fixtures::writeFile(victim, "someone else's"));
        for (const char *name : {"ConvertPhoto.jpg", "ZoomPhoto.jpg"}) {
            QVERIFY(QFile::link(victim, dir.filePath(QLatin1String(name))));
        }
        QCOMPARE(prepare({input, QStringLiteral("--dir"), dir.path()}).code, 0);
        QFile kept(victim);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("someone else's"));
        for (const char *name : {"ConvertPhoto.jpg", "ZoomPhoto.jpg"}) {
            const QFileInfo written(dir.filePath(QLatin1String(name)));
            QVERIFY(!written.isSymLink() && written.size() > 0);
        }
    }
};

QTEST_GUILESS_MAIN(TstCliPrepare)
#include "tst_cli_prepare.moc"
