// photo-service on a real PostgreSQL server that restarts and stops under it (with-postgres.sh's
// control script): requests after a restart are answered, an outage gets a short fault without the
// database's words, and the service answers again by itself once the server is back.
#include "HttpCall.h"
#include "ServiceHeaders.h"
#include "support/DemoSeed.h"
#include "support/PhotoServiceProcess.h"
#include "support/TestDatabase.h"

#include <QDate>
#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

namespace {

Soap::Request request(Soap::Operation op, const Header &header) {
    Soap::Request r;
    r.op = op;
    r.header = header;
    return r;
}

bool control(const char *what) {
    return QProcess::execute(QProcessEnvironment::systemEnvironment().value("UPLOADPIC_TEST_PG_CONTROL"),
                             {QString::fromLatin1(what)}) == 0;
}

} // namespace

class TestDatabaseOutage : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QNetworkAccessManager nam_;
    std::unique_ptr<PhotoServiceProcess> service_;
    TCompanyInfo company_;
    QString db_;

    HttpResult list() {
        return postRequest(nam_, service_->endpoint(),
                           request(Soap::Operation::GetCompanyPhotoList, ServiceHeaders::photos(company_)));
    }
    HttpResult get(const char *path) {
        QUrl url(service_->endpoint());
        url.setPath(QString::fromLatin1(path));
        return finish(nam_.get(QNetworkRequest(url)));
    }
    static QString code(const HttpResult &r) { return Soap::ReadPicResult(r.body).F_OPERRESULT; }

private slots:
    void initTestCase() {
        if (!QProcessEnvironment::systemEnvironment().contains("UPLOADPIC_TEST_PG_CONTROL")) {
            QSKIP("runs under tests/support/with-postgres.sh");
        }
        db_ = TestDatabase::fresh(dir_.filePath("x.db"));
        service_ = std::make_unique<PhotoServiceProcess>(db_);
        QVERIFY(service_->started());
        const HttpResult login = postRequest(
            nam_, service_->endpoint(),
            request(Soap::Operation::ValidateUserLogin,
                    ServiceHeaders::login(QString::fromUtf8(kDemoUser), QString::fromUtf8(kDemoPassword))));
        QCOMPARE(Soap::ReadUserInfo(login.body).F_OPERRESULT, QStringLiteral("1110"));
        company_ = Soap::ReadCompanyInfo(
            postRequest(nam_, service_->endpoint(),
                        request(Soap::Operation::QueryCompanyInfo, ServiceHeaders::query("3101150012345")))
                .body);
        QCOMPARE(code(list()), QStringLiteral("1110"));
    }

    // Every answering thread's connection is broken by the restart; each is opened again and the
    // request answered, a write too (its transaction had not begun).
    void restartIsAnsweredThrough() {
        QVERIFY(control("restart"));
        Soap::Request insert = request(Soap::Operation::InsertCompanyPhoto, ServiceHeaders::photos(company_));
        insert.aPicInfo = ServiceHeaders::newPhoto(company_, "05", "after restart");
        const HttpResult inserted = postRequest(nam_, service_->endpoint(), insert);
        QVERIFY2(inserted.status == 200, inserted.body.constData());
        QCOMPARE(Soap::ReadPicResult(inserted.body).F_OPERRESULT, QStringLiteral("1110"));
        for (int i = 0; i < 2 * QThread::idealThreadCount() + 2; ++i) {
            const HttpResult r = list();
            QVERIFY2(r.status == 200, r.body.constData());
            QCOMPARE(Soap::ReadPicResult(r.body).F_PICLIST.size(), 5);
        }
    }

    void outageGetsShortFaultsAndHeals() {
        QVERIFY(control("stop"));
        for (int i = 0; i < 3; ++i) {
            const HttpResult r = list();
            QCOMPARE(r.status, 500);
            QVERIFY2(r.body.contains("database is unavailable, try again (request "), r.body.constData());
            for (const char *leak : {"FATAL", "connect", "server at", "127.0.0.1", "QPSQL"}) {
                QVERIFY2(!r.body.contains(leak), r.body.constData());
            }
        }
        QCOMPARE(get("/readyz").status, 503);
        QVERIFY(get("/metrics").body.contains("photo_service_database_errors_total 3\n"));
        QCOMPARE(get("/healthz").status, 200);
        QVERIFY(control("start"));
        // Waits for the first good answer; the deadline only ends a test that would never recover.
        const QDeadlineTimer deadline(60000);
        HttpResult r;
        do {
            r = list();
        } while (code(r) != QLatin1String("1110") && !deadline.hasExpired() && (QTest::qWait(100), true));
        QCOMPARE(code(r), QStringLiteral("1110"));
        QCOMPARE(get("/readyz").status, 200);
    }

    // A service started before its database keeps trying (--db-wait) and starts once it answers.
    void startWaitsForDatabase() {
        QVERIFY(control("stop"));
        QProcess late;
        late.start(QCoreApplication::applicationDirPath() + QStringLiteral("/photo-service"),
                   {"--listen", "127.0.0.1:0", "--db", db_, "--db-wait", "60", "--exit-with-parent"});
        QVERIFY(late.waitForStarted(30000));
        late.setReadChannel(QProcess::StandardError);
        QByteArray log;
        while (!log.contains("database not ready") && late.waitForReadyRead(30000)) {
            log += late.readAllStandardError();
        }
        QVERIFY2(log.contains("database not ready"), log.constData());
        late.setReadChannel(QProcess::StandardOutput);
        QVERIFY(control("start"));
        while (!late.canReadLine() && late.waitForReadyRead(60000)) {
        }
        QVERIFY(late.readLine().startsWith("listening on 127.0.0.1:"));
        late.terminate();
        QVERIFY(late.waitForFinished(30000));
        QCOMPARE(late.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestDatabaseOutage)
#include "tst_database_outage.moc"
