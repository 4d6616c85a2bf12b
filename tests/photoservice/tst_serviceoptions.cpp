// photo-service's options from a configuration file and the command line: the command line wins, and
// whatever the file gets wrong is refused with the file's name and the line.
#include "ServiceOptions.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestServiceOptions : public QObject {
    Q_OBJECT

private slots:
    void configFile_data() {
        QTest::addColumn<QByteArray>("file"); // empty: --config names a file that does not exist
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error"); // "@" stands for the file's path; empty: accepted
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("idleTimeout");
        QTest::addColumn<bool>("openAccess");
        const QByteArray base = "# the service\n\nlisten = 127.0.0.1:8080\ndb = /var/lib/photos.db\n";
        QTest::newRow("every kind of line")
            << base + "  idle-timeout =  7 \nopen-access = true\ndb-wait = 30\n"
            << QStringList() << "" << 8080 << 7 << true;
        QTest::newRow("command line wins")
            << base + "idle-timeout = 7\n"
            << QStringList{"--listen", "127.0.0.1:9090", "--idle-timeout", "9"} << "" << 9090 << 9 << false;
        QTest::newRow("switch off") << base + "open-access = no\n"
                                    << QStringList() << "" << 8080 << 30 << false;
        QTest::newRow("unknown name") << base + "listn = 1\n"
                                      << QStringList() << "@:5: unknown option \"listn\"" << 0 << 0 << false;
        QTest::newRow("bad number") << base + "idle-timeout = soon\n"
                                    << QStringList() << "@:5: --idle-timeout needs a number" << 0 << 0
                                    << false;
        QTest::newRow("bad switch") << "open-access = maybe\n" + base << QStringList()
                                    << "@:1: open-access needs true or false" << 0 << 0 << false;
        QTest::newRow("bad address") << QByteArray("db = /x.db\nlisten = nowhere:80\n") << QStringList()
                                     << "@:2: --listen: \"nowhere\" is not an IP address" << 0 << 0 << false;
        QTest::newRow("set twice") << base + "listen = 127.0.0.1:81\n"
                                   << QStringList() << "@:5: listen is set already on line 3" << 0 << 0
                                   << false;
        QTest::newRow("no equals sign") << QByteArray("listen 127.0.0.1:80\n") << QStringList()
                                        << "@:1: expected \"name = value\"" << 0 << 0 << false;
        QTest::newRow("config inside config")
            << base + "config = /etc/other.conf\n"
            << QStringList() << "@:5: unknown option \"config\"" << 0 << 0 << false;
        QTest::newRow("missing file")
            << QByteArray() << QStringList() << "cannot read the configuration file @" << 0 << 0 << false;
        QTest::newRow("required option missing from both")
            << QByteArray("db = /x.db\n") << QStringList() << "--listen HOST:PORT is required" << 0 << 0
            << false;
    }
    void configFile() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("photo-service.conf"));
        if (!file.isEmpty()) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(file);
        }
        const auto parsed = ParseServiceOptions(QStringList{QStringLiteral("--config"), path} + arguments);
        if (!error.isEmpty()) {
            QVERIFY(std::holds_alternative<QString>(parsed));
            const QString message = std::get<QString>(parsed);
            QVERIFY2(message.contains(QString(error).replace(QLatin1Char('@'), path)), qPrintable(message));
            return;
        }
        if (const QString *unexpected = std::get_if<QString>(&parsed)) {
            QFAIL(qPrintable(*unexpected));
        }
        const ServiceOptions &options = std::get<ServiceOptions>(parsed);
        QTEST(int(options.port), "port");
        QTEST(options.connections.idleTimeoutSeconds, "idleTimeout");
        QTEST(options.openAccess, "openAccess");
        QCOMPARE(options.dbFile, QStringLiteral("/var/lib/photos.db"));
    }
};

QTEST_GUILESS_MAIN(TestServiceOptions)
#include "tst_serviceoptions.moc"
