// uploadpic-cli as a user runs it: the config commands, help and usage errors.

#include "core/Gbk.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int code = -1;
    QString out;
    QString err;
};

Run cli(const QStringList &args) {
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/uploadpic-cli"), args);
    Run run;
    if (!p.waitForFinished(30000)) {
        return run;
    }
    run.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

} // namespace

class TstCliConfig : public QObject {
    Q_OBJECT

private slots:
    void writeThenShow() {
        QTemporaryDir dir;
        const Run write = cli({QStringLiteral("config"), QStringLiteral("write"), QStringLiteral("--ip"),
                               QStringLiteral("127.0.0.1"), QStringLiteral("--port"), QStringLiteral("18080"),
                               QStringLiteral("--dir"), dir.path()});
        QCOMPARE(write.code, 0);
        QFile ini(dir.filePath(QStringLiteral("PictureConfig/Config.ini")));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray content = ini.readAll();
        QVERIFY(content.startsWith("[UploadConfig]\r\nIP="));
        QVERIFY(!content.contains("127.0.0.1"));
        const Run show =
            cli({QStringLiteral("config"), QStringLiteral("show"), QStringLiteral("--dir"), dir.path()});
        QCOMPARE(show.code, 0);
        QCOMPARE(show.out, QStringLiteral("IP=127.0.0.1\nPort=18080\n"));
    }

    void showRefusesWhatTheClientCannotDecode() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("PictureConfig")));
        QFile ini(dir.filePath(QStringLiteral("PictureConfig/Config.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[UploadConfig]\nIP=XYZ0\n");
        ini.close();
        const Run show =
            cli({QStringLiteral("config"), QStringLiteral("show"), QStringLiteral("--dir"), dir.path()});
        QCOMPARE(show.code, 1);
        QVERIFY(show.err.contains(QStringLiteral("读取配置信息失败,无法启动程序")));
        QVERIFY(show.out.isEmpty());
        // The failure is logged in that program folder, as the client would log it.
        const QStringList logs = QDir(dir.filePath(QStringLiteral("LogFiles"))).entryList(QDir::Files);
        QCOMPARE(logs.size(), 1);
        QFile log(dir.filePath(QStringLiteral("LogFiles/")) + logs.first());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(Gbk::decode(log.readAll())
                    .contains(QStringLiteral("读取系统配置文件失败,Func_ReadConfigInfo中错误:")));
    }

    void usageErrorsExitWithTwo_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no command") << QStringList{};
        QTest::newRow("unknown command") << QStringList{QStringLiteral("frobnicate")};
        QTest::newRow("unknown global option") << QStringList{QStringLiteral("--colour")};
        QTest::newRow("config without subcommand") << QStringList{QStringLiteral("config")};
        QTest::newRow("write without port") << QStringList{QStringLiteral("config"), QStringLiteral("write"),
                                                           QStringLiteral("--ip"), QStringLiteral("h")};
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("config"), QStringLiteral("show"), QStringLiteral("--verbose")};
        QTest::newRow("stray argument")
            << QStringList{QStringLiteral("config"), QStringLiteral("show"), QStringLiteral("extra")};
    }
    void usageErrorsExitWithTwo() {
        QFETCH(QStringList, args);
        const Run run = cli(args);
        QCOMPARE(run.code, 2);
        QVERIFY(run.err.startsWith(QStringLiteral("uploadpic-cli: ")));
    }

    void helpIsThere() {
        for (const QStringList &args :
             {QStringList{QStringLiteral("--help")},
              QStringList{QStringLiteral("config"), QStringLiteral("--help")},
              QStringList{QStringLiteral("config"), QStringLiteral("write"), QStringLiteral("--help")}}) {
            const Run run = cli(args);
            QCOMPARE(run.code, 0);
            QVERIFY2(run.out.contains(QStringLiteral("Usage: uploadpic-cli")), qPrintable(run.out));
        }
    }
};

QTEST_GUILESS_MAIN(TstCliConfig)
#include "tst_cli_config.moc"
