// photo-service admin run as an operator runs it, on a database of its own (PostgreSQL too when
// with-postgres.sh wraps the suite): refusals change nothing, made accounts and companies are what
// the service answers with, and a database of the first schema with an old password hash is upgraded.
#include "DatabaseUrl.h"
#include "PhotoDatabase.h"
#include "ServiceHeaders.h"
#include "ServiceLogic.h"
#include "support/TestDatabase.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

class TestAdmin : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString db_;

    struct Run {
        int code = -1;
        QString out;
        QString err;
    };
    Run admin(const QStringList &arguments, const QByteArray &input = {}) {
        QProcess p;
        p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/photo-service"),
                QStringList{"admin", "--db", db_} + arguments);
        p.write(input);
        p.closeWriteChannel();
        p.waitForFinished(60000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }
    QString file(const QString &name, const QByteArray &bytes) {
        QFile f(dir_.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    }
    static QStringList company(const QString &id, const QString &customer) {
        return {"company",  "add",           id,    "--customer-id",  customer, "--software-id",
                "RJ1",      "--device-id",   "SB1", "--company-type", "310",    "--name",
                "测试餐饮", "--trade",       "CY",  "--photo-limit",  "5",      "--zoom-width",
                "800",      "--zoom-height", "600"};
    }
    static QString login(PhotoDatabase &db, const QString &user, const QString &password) {
        ServiceLogic logic(db);
        return logic.ValidateUserLogin(ServiceHeaders::login(user, password)).record.F_OPERRESULT;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        db_ = TestDatabase::fresh(dir_.filePath(QStringLiteral("admin.db")));
        QCOMPARE(admin({"trade", "add", "CY", "餐饮"}).code, 0);
        QCOMPARE(admin({"type", "add", "CY", "01", "门头照片"}).code, 0);
        QCOMPARE(admin({"user", "add", "alice", "--user-id", "U9", "--display-name", "爱丽丝", "--org-id",
                        "O1", "--org-name", "安装部"},
                       "first pass\n")
                     .code,
                 0);
        QCOMPARE(admin(company("3101150012345", "KH1")).code, 0);
    }

    void refusalsChangeNothing_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QStringList user{"user",           "add", "bob",      "--user-id", "U1",
                               "--display-name", "B",   "--org-id", "O"};
        QTest::newRow("user exists") << QStringList{"user",       "add",      "alice",
                                                    "--user-id",  "U1",       "--display-name",
                                                    "A",          "--org-id", "O",
                                                    "--org-name", "N"}
                                     << QByteArray("x\n") << 1 << "exists";
        QTest::newRow("empty password")
            << user + QStringList{"--org-name", "N"} << QByteArray("\n") << 1 << "empty";
        QTest::newRow("option missing") << user << QByteArray("x\n") << 2 << "--org-name is required";
        QTest::newRow("password on the command line")
            << QStringList{"user", "password", "alice", "--password", "x"} << QByteArray() << 2
            << "no --password";
        QTest::newRow("password file missing")
            << QStringList{"user", "password", "alice", "--password-file", dir_.filePath("none")}
            << QByteArray() << 1 << "cannot read";
        QTest::newRow("unknown trade") << company("4403050067890", "KH2").replaceInStrings("CY", "XX")
                                       << QByteArray() << 1 << "no trade \"XX\"";
        QTest::newRow("company ID too short")
            << company("12345", "KH2") << QByteArray() << 1 << "13 characters";
        QTest::newRow("company exists") << company("3101150012345", "KH2") << QByteArray() << 1 << "exists";
        QTest::newRow("limit not a number")
            << QStringList{"company", "change", "3101150012345", "--photo-limit", "x"} << QByteArray() << 1
            << "photo_limit";
        QTest::newRow("no such company")
            << QStringList{"company", "deactivate", "4403050067890"} << QByteArray() << 1 << "no company";
        const QByteArray header =
            "company_id,customer_id,software_id,device_id,company_type,name,trade,photo_limit,"
            "zoom_width,zoom_height\n";
        QTest::newRow("import row short")
            << QStringList{"company", "import",
                           file("short.csv", header + "4403050067890,KH2,RJ,SB,440,A,CY,2,800,600\n"
                                                      "4403050067891,KH3,RJ,SB,440,B,CY,2,800\n")}
            << QByteArray() << 1 << "row 3: 9 fields";
        QTest::newRow("import unclosed quote")
            << QStringList{"company", "import", file("quote.csv", header + "4403050067890,\"KH2,RJ\n")}
            << QByteArray() << 1 << "not CSV";
        QTest::newRow("unknown command") << QStringList{"photo", "add"} << QByteArray() << 2 << "no command";
    }
    void refusalsChangeNothing() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(int, code);
        QFETCH(QString, message);
        const QString before = admin({"company", "list"}).out + admin({"user", "list"}).out;
        const Run run = admin(arguments, input);
        QCOMPARE(run.code, code);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QCOMPARE(admin({"company", "list"}).out + admin({"user", "list"}).out, before);
    }

    // What the commands store is what logins and company queries answer.
    void accountsAndCompaniesReachTheService() {
        const auto loginNow = [this](const QString &password) {
            PhotoDatabase db(db_);
            return login(db, QStringLiteral("alice"), password);
        };
        QCOMPARE(loginNow("first pass"), QStringLiteral("1110"));
        QCOMPARE(loginNow("wrong"), QStringLiteral("2003"));
        QCOMPARE(
            admin({"user", "password", "alice", "--password-file", file("pw", "第二个 pass\r\nignored\n")})
                .code,
            0);
        QCOMPARE(loginNow("first pass"), QStringLiteral("2003"));
        QCOMPARE(loginNow("第二个 pass"), QStringLiteral("1110"));
        QCOMPARE(admin({"user", "disable", "alice"}).code, 0);
        QCOMPARE(loginNow("第二个 pass"), QStringLiteral("2003"));
        QCOMPARE(admin({"user", "enable", "alice"}).code, 0);
        QCOMPARE(loginNow("第二个 pass"), QStringLiteral("1110"));
        QVERIFY(admin({"user", "list"}).out.contains("alice\tU9\t爱丽丝\tO1\t安装部\tenabled\targon2id"));

        const auto query = [this] {
            PhotoDatabase db(db_);
            ServiceLogic logic(db);
            return logic.QueryCompanyInfo(ServiceHeaders::query(QStringLiteral("3101150012345"))).record;
        };
        QCOMPARE(query().F_CUSTOMERID, QStringLiteral("KH1"));
        QCOMPARE(admin({"company", "deactivate", "3101150012345"}).code, 0);
        QCOMPARE(query().F_OPERRESULT, QStringLiteral("1000"));
        const QString csv =
            file("companies.csv", "\xEF\xBB\xBF"
                                  "company_id,name,customer_id,software_id,device_id,company_type,"
                                  "trade,photo_limit,zoom_width,zoom_height\n"
                                  "3101150012345,\"Changed, \"\"Ltd\"\"\",KH7,RJ1,SB1,310,CY,3,640,480\n"
                                  "4403050067890,New,KH2,RJ2,SB2,440,CY,2,800,600\n");
        const Run imported = admin({"company", "import", csv});
        QCOMPARE(imported.out, QStringLiteral("1 companies added, 1 changed\n"));
        QCOMPARE(query().F_OPERRESULT, QStringLiteral("1000")); // an import without "active" keeps the state
        QCOMPARE(admin({"company", "change", "3101150012345", "--active", "1"}).code, 0);
        QCOMPARE(query().F_CUSTOMERID, QStringLiteral("KH7"));
        QVERIFY(admin({"company", "list"})
                    .out.contains("4403050067890\tKH2\tRJ2\tSB2\t440\tNew\tCY\t2\t800\t600\t1"));
    }

    // A database made by the first schema, with a user hashed the old way and a photo: the service
    // upgrades the tables at start and the hash at the first good login, and keeps the data.
    void upgradesTheFirstSchemaWithItsData() {
        const QString location = TestDatabase::fresh(dir_.filePath(QStringLiteral("old.db")));
        QString error;
        const auto where = ParseDatabaseLocation(location, error);
        QVERIFY(where);
        {
            QSqlDatabase old = QSqlDatabase::addDatabase(
                TestDatabase::onPostgres() ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), "old");
            old.setDatabaseName(TestDatabase::onPostgres() ? where->database : where->file);
            old.setHostName(where->host);
            old.setPort(where->port);
            old.setUserName(where->user);
            QVERIFY(old.open());
            const QString blob =
                TestDatabase::onPostgres() ? QStringLiteral("BYTEA") : QStringLiteral("BLOB");
            const QByteArray hash =
                QCryptographicHash::hash("s4ltold pw", QCryptographicHash::Sha256).toHex();
            for (const QString &sql : {
                     QStringLiteral("CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT NOT NULL)"),
                     QStringLiteral(
                         "CREATE TABLE users (user_name TEXT PRIMARY KEY, salt TEXT NOT NULL,"
                         " password_hash TEXT NOT NULL, user_id TEXT NOT NULL, display_name TEXT NOT NULL,"
                         " org_id TEXT NOT NULL, org_name TEXT NOT NULL)"),
                     QStringLiteral("CREATE TABLE trades (code TEXT PRIMARY KEY, name TEXT NOT NULL)"),
                     QStringLiteral("CREATE TABLE photo_types (trade TEXT NOT NULL REFERENCES trades(code),"
                                    " code TEXT NOT NULL, name TEXT NOT NULL, position INTEGER NOT NULL,"
                                    " PRIMARY KEY (trade, code))"),
                     QStringLiteral(
                         "CREATE TABLE companies (company_id TEXT PRIMARY KEY CHECK"
                         " (length(company_id) = 13), customer_id TEXT NOT NULL UNIQUE,"
                         " software_id TEXT NOT NULL, device_id TEXT NOT NULL, company_type TEXT NOT NULL,"
                         " name TEXT NOT NULL, active INTEGER NOT NULL, photo_limit INTEGER NOT NULL,"
                         " zoom_width INTEGER NOT NULL, zoom_height INTEGER NOT NULL, trade TEXT NOT NULL)"),
                     QStringLiteral(
                         "CREATE TABLE photos (photo_id TEXT PRIMARY KEY, company_id TEXT NOT NULL"
                         " REFERENCES companies(company_id), type_code TEXT NOT NULL, note TEXT NOT NULL,"
                         " source %1 NOT NULL, small %1 NOT NULL, input_time TEXT NOT NULL)")
                         .arg(blob),
                     QStringLiteral(
                         "CREATE TABLE photo_stamps (company_id TEXT PRIMARY KEY, stamp TEXT NOT NULL)"),
                     QStringLiteral("INSERT INTO users VALUES ('old', 's4lt', '%1', 'U1', 'Old', 'O', 'Org')")
                         .arg(QString::fromLatin1(hash)),
                     QStringLiteral("INSERT INTO trades VALUES ('CY', '餐饮')"),
                     QStringLiteral(
                         "INSERT INTO companies VALUES ('3101150012345', 'KH1', 'RJ1', 'SB1', '310',"
                         " 'A', 1, 5, 800, 600, 'CY')"),
                 }) {
                QVERIFY2(QSqlQuery(old).exec(sql), qPrintable(sql));
            }
            QSqlQuery photo(old);
            photo.prepare(
                QStringLiteral("INSERT INTO photos VALUES ('P1', '3101150012345', '01', 'n', ?, ?, 't')"));
            photo.addBindValue(QByteArray("source"));
            photo.addBindValue(QByteArray("small"));
            QVERIFY(photo.exec());
        }
        QSqlDatabase::removeDatabase("old");

        PhotoDatabase db(location);
        QCOMPARE(db.schemaVersion(), 2);
        QVERIFY(db.users().value(0).hashKind.startsWith("sha256"));
        QCOMPARE(login(db, "old", "wrong"), QStringLiteral("2003"));
        QVERIFY(db.users().value(0).hashKind.startsWith("sha256"));
        QCOMPARE(login(db, "old", "old pw"), QStringLiteral("1110"));
        QCOMPARE(db.users().value(0).hashKind, QStringLiteral("argon2id"));
        QCOMPARE(login(db, "old", "old pw"), QStringLiteral("1110"));
        QCOMPARE(db.photoList("3101150012345").value(0).small, QByteArray("small"));
        QCOMPARE(PhotoDatabase(location).schemaVersion(), 2); // a second start finds nothing to do
    }
};

QTEST_GUILESS_MAIN(TestAdmin)
#include "tst_admin.moc"
