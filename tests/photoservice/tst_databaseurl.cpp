// --db's PostgreSQL URL: options reach libpq quoted, so that no value can add keywords of its own, and
// options that name the server or database are what messages show.
#include "DatabaseUrl.h"

#include <QTest>

class TestDatabaseUrl : public QObject {
    Q_OBJECT

private slots:
    void urls_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("options"); // empty with `shown` empty: refused
        QTest::addColumn<QString>("shown");
        const QString base = QStringLiteral("postgresql://photos@db.example:5433/photos");
        QTest::newRow("plain") << base << ""
                               << "postgresql://photos@db.example:5433/photos";
        QTest::newRow("keywords inside a value stay in it")
            << base + "?connect_timeout=2%20host=127.0.0.2%20port=2"
            << "connect_timeout='2 host=127.0.0.2 port=2'"
            << "postgresql://photos@db.example:5433/photos";
        QTest::newRow("space, quote and backslash") << base + "?sslrootcert=/etc/my%20ca/it's%5C.pem"
                                                    << "sslrootcert='/etc/my ca/it\\'s\\\\.pem'"
                                                    << "postgresql://photos@db.example:5433/photos";
        QTest::newRow("host and port options are the ones used")
            << base + "?host=10.0.0.7&port=6432&sslmode=require"
            << "sslmode='require'"
            << "postgresql://photos@10.0.0.7:6432/photos";
        QTest::newRow("hostaddr is named") << base + "?hostaddr=10.0.0.8"
                                           << "hostaddr='10.0.0.8'"
                                           << "postgresql://photos@db.example (address 10.0.0.8):5433/photos";
        QTest::newRow("bad keyword") << base + "?x%20y=1"
                                     << ""
                                     << "";
        QTest::newRow("semicolon") << base + "?application_name=a;b"
                                   << ""
                                   << "";
        QTest::newRow("bad port option") << base + "?port=none"
                                         << ""
                                         << "";
        QTest::newRow("no database") << "postgresql://photos@db.example/"
                                     << ""
                                     << "";
    }
    void urls() {
        QFETCH(QString, url);
        QFETCH(QString, options);
        QFETCH(QString, shown);
        QString error;
        const auto where = ParseDatabaseLocation(url, error);
        if (shown.isEmpty()) {
            QVERIFY(!where);
            QVERIFY(error.startsWith(QLatin1String("--db:")));
            return;
        }
        QVERIFY2(where, qPrintable(error));
        QCOMPARE(where->connectOptions, options);
        QCOMPARE(where->displayName(), shown);
    }
};

QTEST_GUILESS_MAIN(TestDatabaseUrl)
#include "tst_databaseurl.moc"
