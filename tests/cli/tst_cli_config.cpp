// uploadpic-cli as a user runs it: the config commands, help and usage errors.

#include "core/Gbk.h"
#include "support/TestCertificates.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

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

    QTemporaryDir certDir_;
    std::unique_ptr<TestCertificates> certs_;

private slots:
    void initTestCase() {
        certs_ = std::make_unique<TestCertificates>(certDir_.path());
        QVERIFY(certs_->ok());
    }

    // The scheme is a protected entry like the address; a given CA certificate is copied beside it.
    void writeThenShow_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain HTTP") << QStringList{} << "Scheme=http\n";
        QTest::newRow("TLS, system CAs") << QStringList{"--tls"} << "Scheme=https\nCA=system\n";
        QTest::newRow("TLS, own CA") << QStringList{"--tls", "--ca", certs_->caFile}
                                     << "Scheme=https\nCA=%1/PictureConfig/ServerCA.pem\n";
    }
    void writeThenShow() {
        QFETCH(QStringList, options);
        QFETCH(QString, shown);
        QTemporaryDir dir;
        const Run write =
            cli(QStringList{QStringLiteral("config"), QStringLiteral("write"), QStringLiteral("--ip"),
                            QStringLiteral("127.0.0.1"), QStringLiteral("--port"), QStringLiteral("18080"),
                            QStringLiteral("--dir"), dir.path()} +
                options);
        QCOMPARE(write.code, 0);
        QFile ini(dir.filePath(QStringLiteral("PictureConfig/Config.ini")));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray content = ini.readAll();
        QVERIFY(content.startsWith("[UploadConfig]\r\nIP="));
        QVERIFY(!content.contains("127.0.0.1"));
        QVERIFY(!content.contains("http"));
        const Run show =
            cli({QStringLiteral("config"), QStringLiteral("show"), QStringLiteral("--dir"), dir.path()});
        QCOMPARE(show.code, 0);
        QCOMPARE(show.out, QStringLiteral("IP=127.0.0.1\nPort=18080\n") +
                               (shown.contains(u'%') ? shown.arg(QDir(dir.path()).absolutePath()) : shown));
    }

    // A CA file that holds no certificate is refused before anything is written.
    void caFileMustHoldACertificate() {
        QTemporaryDir dir;
        const Run write = cli({"config", "write", "--ip", "h", "--port", "1", "--tls", "--ca",
                               certs_->serverKey, "--dir", dir.path()});
        QCOMPARE(write.code, 1);
        QVERIFY(write.err.contains(QStringLiteral("no PEM certificate")));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("PictureConfig/Config.ini"))));
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
        QTest::newRow("--ca without --tls")
            << QStringList{"config", "write", "--ip", "h", "--port", "1", "--ca", "ca.pem"};
        QTest::newRow("stray argument")
            << QStringList{QStringLiteral("config"), QStringLiteral("show"), QStringLiteral("extra")};
    }
    void usageErrorsExitWithTwo() {
        QFETCH(QStringList, args);
        const Run run = cli(args);
        QCOMPARE(run.code, 2);
        QVERIFY(run.err.startsWith(QStringLiteral("uploadpic-cli: ")));
    }

    // What scripts rely on: help and version never mixed with JSON, global options on either side of
    // the command, values checked before they are written, nothing configured is a failure.
    void conventions_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out"); // the start of stdout
        QTest::newRow("help with --json") << QStringList{"--help", "--json"} << 0 << "Usage: uploadpic-cli";
        QTest::newRow("command help with --json")
            << QStringList{"config", "show", "--help", "--json"} << 0 << "Usage: uploadpic-cli config show";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "uploadpic-cli 2.0.0.0\n";
        QTest::newRow("--server after the command")
            << QStringList{"login", "u", "p", "--server", "127.0.0.1:1", "--json"} << 1 << "{";
        QTest::newRow("port out of range")
            << QStringList{"config", "write", "--ip", "h", "--port", "99999"} << 2 << "";
        QTest::newRow("blank address")
            << QStringList{"config", "write", "--ip", " ", "--port", "80"} << 2 << "";
        QTest::newRow("-q anywhere") << QStringList{"config", "write", "--ip", "h", "--port",
                                                    "80",     "--dir", "DIR",  "-q"}
                                     << 0 << "DIR";
        QTest::newRow("JSON keys in camelCase, the port a number")
            << QStringList{"config", "show", "--dir", "CONFIGURED", "--json"} << 0
            << "{\"code\":\"1110\","
               "\"data\":{\"ip\":\"192.0.2.1\",\"port\":8080,\"scheme\":\"http\"}";
        QTest::newRow("login without any password source")
            << QStringList{"login", "u", "--server", "127.0.0.1:1"} << 2 << "";
    }
    void conventions() {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, out);
        QTemporaryDir dir;
        const QString configured = dir.filePath(QStringLiteral("configured"));
        QCOMPARE(cli({"config", "write", "--ip", "192.0.2.1", "--port", "8080", "--dir", configured}).code,
                 0);
        args.replaceInStrings(QStringLiteral("CONFIGURED"), configured);
        args.replaceInStrings(QStringLiteral("DIR"), dir.path());
        out.replace(QStringLiteral("DIR"), dir.path());
        const Run run = cli(args);
        QCOMPARE(run.code, code);
        QVERIFY2(out.isEmpty() ? run.out.isEmpty() : run.out.startsWith(out), qPrintable(run.out));
        QVERIFY2(!run.out.contains(QStringLiteral("\"exitCode\"")) || out.startsWith(u'{'),
                 qPrintable(run.out));
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
