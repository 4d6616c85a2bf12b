// The outbox: an entry killed in the middle of its write leaves nothing, a damaged entry is named
// with its fault, and kept photos sent later with uploadpic-cli against the reference service: sent
// once only when the first answer was lost, kept with the reason when the service refuses them.

#include "client/Outbox.h"
#include "core/WholeFile.h"
#include "support/DemoSeed.h"
#include "support/JpegBytes.h"
#include "support/LinkCutter.h"
#include "support/PhotoServiceProcess.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include <memory>

namespace {

QByteArray jpeg(Qt::GlobalColor color) {
    return JpegBytes(QSize(800, 600), color);
}

struct Run {
    int code = -1;
    QJsonObject report;
    QString err;
};

// uploadpic-cli with the program folder app, against the port, logged in as the demo user; the
// event loop runs meanwhile (the answer cutter lives on it).
Run cli(const TempAppDir &app, quint16 port, const QStringList &args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("UPLOADPIC_APP_DIR"), app.path());
    env.insert(QStringLiteral("UPLOADPIC_USER"), QString::fromUtf8(kDemoUser));
    env.insert(QStringLiteral("UPLOADPIC_PASSWORD"), QString::fromUtf8(kDemoPassword));
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/uploadpic-cli"),
            QStringList{QStringLiteral("--json"), QStringLiteral("--server"),
                        QStringLiteral("127.0.0.1:%1").arg(port)} +
                args);
    Run run;
    if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 120000)) {
        p.kill();
        p.waitForFinished();
        return run;
    }
    run.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.report = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

int photoCount(const QString &dbFile, const QString &companyId) {
    int count = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(dbFile);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlQuery q(db);
        if (db.open() &&
            q.exec(QStringLiteral("SELECT count(*) FROM photos WHERE company_id = '%1'").arg(companyId)) &&
            q.next()) {
            count = q.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return count;
}

QByteArray validEntry() {
    TOutboxEntry e;
    e.companyId = QString::fromUtf8(kDemoCompanyEmpty);
    e.typeEntry = QStringLiteral("01 门头照片");
    e.note = QStringLiteral("门头");
    e.kept = QDateTime::currentDateTimeUtc();
    e.photo.source = jpeg(Qt::red);
    e.photo.small = jpeg(Qt::blue);
    return e.Encode();
}

QByteArray withField(const char *key, const QJsonValue &value) {
    QJsonObject o = QJsonDocument::fromJson(validEntry()).object();
    if (value.isUndefined()) {
        o.remove(QLatin1String(key));
    } else {
        o.insert(QLatin1String(key), value);
    }
    return QJsonDocument(o).toJson();
}

enum class Meanwhile { Nothing, AnswerLost, TypeTaken };

} // namespace

class TstOutbox : public QObject {
    Q_OBJECT

private slots:
    void killedWhileWriting_data() {
        QTest::addColumn<int>("limit");
        QTest::newRow("killed after 4 KiB of the entry") << 4096;
        QTest::newRow("killed after 1 MiB of the entry") << (1 << 20);
    }
    void killedWhileWriting() {
        QFETCH(int, limit);
        QTemporaryDir dir;
        const QString folder = dir.path() + QStringLiteral("/Outbox/");
        QProcess writer;
        writer.start(QCoreApplication::applicationDirPath() + QStringLiteral("/outbox_writer"),
                     {folder, QString::number(limit)});
        QVERIFY(writer.waitForFinished(60000));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
        const QString out = QString::fromUtf8(writer.readAllStandardOutput());
        QVERIFY2(out.startsWith(u"kept ") && !out.contains(u"not killed"), qPrintable(out));
        const QList<TOutbox::Listed> listed = TOutbox(folder).List();
        QCOMPARE(listed.size(), 1);
        QCOMPARE(listed[0].id, out.mid(5).trimmed());
        QCOMPARE(listed[0].error, QString());
        QCOMPARE(listed[0].entry.photo.source.size(), 1004);
        // Nothing else is left in the folder, hidden or not.
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);
    }

    void damagedEntry_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("fault");
        const QByteArray valid = validEntry();
        QTest::newRow("cut short") << valid.left(valid.size() / 2) << QStringLiteral("不完整");
        QTest::newRow("no JSON") << QByteArray("\xFF\xD8 binary") << QStringLiteral("不完整");
        QTest::newRow("another format")
            << withField("format", QStringLiteral("other 9")) << QStringLiteral("格式");
        QTest::newRow("bad Base64") << withField("source", QStringLiteral("@@@")) << QStringLiteral("Base64");
        QTest::newRow("add without image")
            << withField("source", QJsonValue::Undefined) << QStringLiteral("JPEG");
        QTest::newRow("not a JPEG") << withField("small", QStringLiteral("R0lGODlh"))
                                    << QStringLiteral("JPEG");
        QTest::newRow("edit of a path")
            << withField("kind", QStringLiteral("edit")) << QStringLiteral("photoId");
        QTest::newRow("huge size") << withField("smallSize", QJsonArray{1e12, 1}) << QStringLiteral("尺寸");
    }
    void damagedEntry() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, fault);
        QTemporaryDir dir;
        const QString folder = dir.path() + u'/';
        const QString id = QStringLiteral("20261210-120000-00ab");
        WriteWholeFile(folder + id + QStringLiteral(".entry"), bytes);
        const QList<TOutbox::Listed> listed = TOutbox(folder).List();
        QCOMPARE(listed.size(), 1);
        QVERIFY2(listed[0].error.contains(id) && listed[0].error.contains(fault),
                 qPrintable(listed[0].error));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, TOutbox(folder).Read(id));
    }

    void addSeveral_data() {
        QTest::addColumn<QStringList>("groups"); // TYPECODE NOTE pairs, one per photo
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("photosAfter");
        QTest::newRow("three sent") << QStringList{"01", "门头", "03", "货架", "04", "收银台"} << 0 << 3;
        QTest::newRow("a type twice: nothing sent") << QStringList{"01", "门头", "01", "门头二"} << 2 << 0;
        QTest::newRow("past the limit of 3: nothing sent")
            << QStringList{"01", "a", "02", "b", "03", "c", "04", "d"} << 1 << 0;
        QTest::newRow("a note the service cannot store: nothing sent")
            << QStringList{"01", "门头", "03", "😀"} << 2 << 0;
    }
    void addSeveral() {
        QFETCH(QStringList, groups);
        QFETCH(int, exitCode);
        QFETCH(int, photosAfter);
        TempAppDir app;
        QTemporaryDir data;
        const QString dbFile = data.filePath(QStringLiteral("photos.db"));
        PhotoServiceProcess service(dbFile);
        QVERIFY(service.started());
        const QString company = QString::fromUtf8(kDemoCompanyEmpty);
        QStringList args{QStringLiteral("add"), company};
        const Qt::GlobalColor colors[] = {Qt::red, Qt::green, Qt::blue, Qt::cyan};
        for (qsizetype i = 0; i < groups.size(); i += 2) {
            const QString file = app.file(QStringLiteral("photo%1.jpg").arg(i));
            WriteWholeFile(file, jpeg(colors[i / 2]));
            args << file << groups[i] << groups[i + 1];
        }
        const Run run = cli(app, service.port(), args);
        QVERIFY2(run.code == exitCode, qPrintable(run.err));
        QCOMPARE(photoCount(dbFile, company), photosAfter);
        const QJsonArray photos = run.report[u"data"][u"photos"].toArray();
        QCOMPARE(photos.size(), exitCode == 0 ? photosAfter : 0);
        for (const QJsonValue &photo : photos) {
            QCOMPARE(photo[u"state"].toString(), QStringLiteral("sent"));
        }
    }

    void keptPhotoSentLater_data() {
        QTest::addColumn<Meanwhile>("meanwhile");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<int>("entriesLeft");
        QTest::newRow("not reached, then sent") << Meanwhile::Nothing << QStringLiteral("sent") << 0;
        QTest::newRow("answer lost, applied: not sent again")
            << Meanwhile::AnswerLost << QStringLiteral("already-sent") << 0;
        QTest::newRow("type taken meanwhile: kept with the reason")
            << Meanwhile::TypeTaken << QStringLiteral("refused") << 1;
    }
    void keptPhotoSentLater() {
        QFETCH(Meanwhile, meanwhile);
        QFETCH(QString, outcome);
        QFETCH(int, entriesLeft);
        TempAppDir app;
        QTemporaryDir data;
        const QString dbFile = data.filePath(QStringLiteral("photos.db"));
        PhotoServiceProcess service(dbFile);
        QVERIFY(service.started());
        const QString company = QString::fromUtf8(kDemoCompanyEmpty);
        const QString file = app.file(QStringLiteral("door.jpg"));
        WriteWholeFile(file, jpeg(Qt::darkGreen));

        // The add that does not get through, kept in the outbox.
        LinkCutter cutter(service.port(), meanwhile == Meanwhile::AnswerLost ? LinkCutter::Cut::Answer
                                                                             : LinkCutter::Cut::Request);
        Run run = cli(app, cutter.port(),
                      {QStringLiteral("add"), QStringLiteral("--keep"), company, file, QStringLiteral("01"),
                       QStringLiteral("门头")});
        QCOMPARE(run.code, 1);
        const QString id = run.report[u"data"][u"outbox"].toString();
        QVERIFY2(TOutbox::IsEntryId(id), qPrintable(run.err));
        QCOMPARE(photoCount(dbFile, company), meanwhile == Meanwhile::AnswerLost ? 1 : 0);
        if (meanwhile == Meanwhile::AnswerLost) {
            QCOMPARE(cutter.inserts, 1); // the transport did not send the add again by itself
        }
        if (meanwhile == Meanwhile::TypeTaken) {
            const QString other = app.file(QStringLiteral("other.jpg"));
            WriteWholeFile(other, jpeg(Qt::yellow));
            QCOMPARE(
                cli(app, service.port(),
                    {QStringLiteral("add"), company, other, QStringLiteral("01"), QStringLiteral("门头")})
                    .code,
                0);
        }

        run = cli(app, service.port(), {QStringLiteral("outbox"), QStringLiteral("send")});
        const QJsonArray reports = run.report[u"data"][u"entries"].toArray();
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reports[0][u"id"].toString(), id);
        QCOMPARE(reports[0][u"outcome"].toString(), outcome);
        QCOMPARE(run.code, entriesLeft == 0 ? 0 : 1);
        QCOMPARE(photoCount(dbFile, company), 1);

        run = cli(app, service.port(), {QStringLiteral("outbox"), QStringLiteral("list")});
        const QJsonArray left = run.report[u"data"][u"entries"].toArray();
        QCOMPARE(left.size(), entriesLeft);
        if (entriesLeft > 0) {
            QVERIFY2(left[0][u"reason"].toString().contains(u"01"),
                     qPrintable(left[0][u"reason"].toString()));
            QCOMPARE(cli(app, service.port(), {QStringLiteral("outbox"), QStringLiteral("discard"), id}).code,
                     0);
            QCOMPARE(TOutbox().Count(), 0);
        }
    }
};

QTEST_GUILESS_MAIN(TstOutbox)
#include "tst_outbox.moc"
