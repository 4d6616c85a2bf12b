// Every operation of the service client, and the CLI built on it, against the reference photo-service
// on a free loopback port with the demo data.

#include "support/DemoSeed.h"
#include "support/JpegBytes.h"
#include "support/OperationCases.h"
#include "support/PhotoFormats.h"
#include "support/PhotoServiceProcess.h"
#include "support/TestSupport.h"

#include "client/MainDataModule.h"
#include "client/PhotoCache.h"
#include "client/PhotoListModel.h"
#include "client/PhotoSession.h"
#include "client/PhotoTypeChoice.h"
#include "client/UploadPictureLib.h"
#include "core/StrOper.h"

#include <QBuffer>
#include <QDate>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <QUrl>

namespace {

QByteArray jpeg(int width, int height, Qt::GlobalColor color) {
    return JpegBytes(QSize(width, height), color);
}

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT

    QTemporaryDir dbDir_;
    std::unique_ptr<PhotoServiceProcess> server_;

    // A data module pointed at the service, with a photo list.
    struct Session {
        TempAppDir app;
        TDM_Main dm;
        TPhotoListModel rows;
        explicit Session(quint16 port) {
            dm.ServerIP = QStringLiteral(" 127.0.0.1 ");
            dm.ServerPort = QString::number(port);
            dm.PhotoListView = &rows;
        }
        QString query(const char *companyId) {
            dm.CompanyId = QString::fromUtf8(companyId);
            dm.OperationKind = TOperationKind::CompanyQuery;
            QString code;
            TUploadPicture().Func_QueryCompanyInfo(code);
            return code;
        }
        QString list() {
            QString code;
            TUploadPicture().Func_GetCompanyPhotoList(code);
            return code;
        }
    };

private slots:
    void initTestCase() {
        server_ = std::make_unique<PhotoServiceProcess>(dbDir_.filePath(QStringLiteral("photos.db")));
        QVERIFY2(server_->started(), "photo-service did not start");
    }
    void cleanupTestCase() { server_.reset(); }

    void login_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("message");
        QTest::newRow("demo") << kDemoUser << kDemoPassword << WM_LOGIN_SUCCESS;
        QTest::newRow("chinese") << kDemoChineseUser << kDemoChinesePassword << WM_LOGIN_SUCCESS;
        QTest::newRow("wrong password") << kDemoUser << "nope" << WM_LOGIN_DENIED;
        QTest::newRow("unknown user") << "nobody"
                                      << "x" << WM_LOGIN_DENIED;
    }
    void login() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(int, message);
        Session s(server_->port());
        s.dm.UserName = user;
        s.dm.UserPass = password;
        s.dm.OperationKind = TOperationKind::Login;
        QCOMPARE(TUploadPicture().Func_ValidateUserLogin(), message);
    }

    void query_data() {
        QTest::addColumn<QString>("company");
        QTest::addColumn<QString>("code");
        QTest::newRow("found") << kDemoCompanyWithPhotos << "1110";
        QTest::newRow("unknown") << kUnknownCompany << "1003";
        QTest::newRow("deactivated") << kDemoCompanyDisabled << "1000";
    }
    void query() {
        QFETCH(QString, company);
        QFETCH(QString, code);
        Session s(server_->port());
        QCOMPARE(s.query(company.toUtf8().constData()), code);
        QCOMPARE(s.dm.CurrentCompany->CustomerId,
                 code == u"1110" ? QString::fromUtf8(kDemoCompanyWithPhotosCustomerId) : QString());
        if (code == u"1110") {
            QCOMPARE(s.dm.CurrentCompany->CompanyName, QString::fromUtf8(kDemoCompanyWithPhotosName));
        }
    }

    void unreachableServerIsLoggedFailure() {
        Session s(server_->port());
        s.dm.ServerPort = QStringLiteral("1"); // nothing listens there
        s.dm.OperationKind = TOperationKind::CompanyQuery;
        QString code;
        TUploadPicture().Func_QueryCompanyInfo(code);
        QCOMPARE(code, QStringLiteral("1111"));
        QVERIFY(s.app.logTexts().value(0).startsWith(
            QStringLiteral("查询企业信息失败,TUploadInfo->Func_QueryCompanyInfo中错误:向 http://")));
    }

    // The main window's whole cycle: query, list (with the query header), fetch, add, change, delete.
    void photoSession() {
        Session s(server_->port());
        QCOMPARE(s.query(kDemoCompanyWithPhotos), QStringLiteral("1110"));
        QCOMPARE(s.list(), QStringLiteral("1110"));
        QCOMPARE(s.rows.rowCount(), kDemoPhotoCount);
        QCOMPARE(s.dm.MaxPhotoNumber, kDemoPhotoLimit);
        QCOMPARE(s.dm.ZoomWidth, kDemoZoomWidth);
        QCOMPARE(s.dm.ZoomHeight, kDemoZoomHeight);
        QCOMPARE(s.dm.PhotoTypeList.size(), kDemoTypeCount);
        const QString folder = PhotoCache::Folder();
        const QString first = s.rows.subItem(0, TPhotoListModel::PhotoIdColumn);
        for (int row = 0; row < s.rows.rowCount(); ++row) {
            QCOMPARE(s.rows.subItem(row, TPhotoListModel::StateColumn), QStringLiteral("1"));
            QVERIFY(PhotoCache::Exists(
                PhotoCache::SmallFile(folder, s.rows.subItem(row, TPhotoListModel::PhotoIdColumn))));
        }

        s.dm.OperationKind = TOperationKind::Photo;
        s.rows.setSelectedRow(0);
        QString code;
        TUploadPicture().Func_GetCompanyPhoto(first, QStringLiteral("1"), code);
        QCOMPARE(code, QStringLiteral("1110"));
        QCOMPARE(s.rows.subItem(0, TPhotoListModel::StateColumn), QStringLiteral("2"));
        QVERIFY(QImage(PhotoCache::SourceFile(folder, first)).width() > kDemoZoomWidth);

        TUploadPicture().Func_GetCompanyPhoto(QStringLiteral("W-no-such-photo"), QStringLiteral("0"), code);
        QCOMPARE(code, QStringLiteral("2002"));
        QCOMPARE(s.rows.imageIndex(0), 2); // a photo the list does not hold marks no other row

        const QString type = QString::fromUtf8(kDemoFreeTypeCode);
        TPictureInfo pic;
        pic.F_COMPANYID = TStrOper::EncodeBase64(s.dm.CurrentCompany->CustomerId);
        pic.F_BUSFLAG = TStrOper::EncodeBase64(s.dm.CurrentCompany->CompanyType);
        pic.F_FLAG = TStrOper::EncodeBase64(type);
        pic.F_MEMO = TStrOper::EncodeBase64(QStringLiteral("消防通道"));
        pic.F_PHOTO = jpeg(1200, 900, Qt::red);
        pic.F_SMALLPHOTO = jpeg(800, 600, Qt::red);
        TUploadPicture().Func_InsertCompanyPhoto(pic, code);
        QCOMPARE(code, QStringLiteral("1110"));
        const QString added = QStringLiteral("W") + s.dm.CurrentCompany->CustomerId +
                              QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + type;

        TPictureInfo change = pic;
        change.F_ID = added;
        change.F_PHOTO.clear();
        change.F_SMALLPHOTO.clear();
        change.F_MEMO = TStrOper::EncodeBase64(QStringLiteral("消防通道与灭火器"));
        TUploadPicture().Func_UpdateCompanyPhoto(change, code);
        QCOMPARE(code, QStringLiteral("1110"));

        QCOMPARE(s.list(), QStringLiteral("1110"));
        QCOMPARE(s.rows.rowCount(), kDemoPhotoCount + 1);
        const int row = s.rows.findRow(added);
        QVERIFY(row >= 0);
        QCOMPARE(s.rows.subItem(row, TPhotoListModel::NoteColumn), QStringLiteral("消防通道与灭火器"));
        QCOMPARE(s.rows.subItem(row, TPhotoListModel::TypeCodeColumn), type);

        TUploadPicture().Func_DeleteCompanyPhoto(added, code);
        QCOMPARE(code, QStringLiteral("1110"));
        TUploadPicture().Func_DeleteCompanyPhoto(added, code);
        QCOMPARE(code, QStringLiteral("2002"));
        QCOMPARE(s.list(), QStringLiteral("1110"));
        QCOMPARE(s.rows.rowCount(), kDemoPhotoCount);
        QCOMPARE(s.app.logTexts(),
                 QStringList({"获取企业照片失败,照片信息不存在", "删除企业照片失败,返回值:2002"}));
    }

    // A photo prepared before it is sent: its sizes are known first and the same bytes are sent; a
    // service that cannot be reached leaves it unsent and says so.
    void preparedAdd() {
        Session s(server_->port());
        TPhotoSession session(s.dm);
        QVERIFY(session.Login(QString::fromUtf8(kDemoUser), QString::fromUtf8(kDemoPassword)).ok());
        const TOperationResult query = session.Query(QString::fromUtf8(kDemoCompanyWithPhotos));
        QVERIFY2(query.ok(), qPrintable(query.message + u' ' + query.reason));
        const QString file = s.app.file(QStringLiteral("wide.jpg"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(jpeg(3000, 1500, Qt::blue)) > 0);
        out.close();
        PhotoWorkflow::TPreparedPhoto photo;
        QVERIFY(session.Prepare(file, photo).ok());
        // The side over by less lands on its limit.
        QCOMPARE(photo.smallSize.height(), kDemoZoomHeight);
        QCOMPARE(photo.smallSize.width() / 2, photo.smallSize.height()); // upright, in proportion
        QVERIFY(photo.sourceSize.width() >= photo.smallSize.width());
        const QString type = PhotoTypeChoice::UnusedEntries(s.dm.PhotoTypeList, &s.rows).value(0);

        s.dm.ServerPort = QStringLiteral("1"); // nothing listens there
        const TOperationResult lost = session.AddPrepared(photo, type, QStringLiteral("侧面"));
        QVERIFY(lost.unreachable);
        QVERIFY(!lost.ok());

        s.dm.ServerPort = QString::number(server_->port());
        const TOperationResult sent = session.AddPrepared(photo, type, QStringLiteral("侧面"));
        QVERIFY2(sent.ok(), qPrintable(sent.reason));
        QVERIFY(!sent.unreachable);
        QCOMPARE(QImage(PhotoCache::SmallFile(PhotoCache::Folder(), sent.photoId)).size(), photo.smallSize);
        QVERIFY(session.Refresh(TPhotoSession::Identity::Photo).ok());
        QVERIFY(session.Delete(sent.photoId, TPhotoSession::Identity::Photo).ok());
    }

    void cli_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("credentials");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        const QString company = QString::fromUtf8(kDemoCompanyWithPhotos);
        QTest::newRow("login") << QStringList{"login", kDemoUser, kDemoPassword} << false << 0 << "success\n";
        QTest::newRow("login denied") << QStringList{"login", kDemoUser, "x"} << false << 1 << "denied\n";
        QTest::newRow("query") << QStringList{"query", company} << true << 0
                               << QStringLiteral("CustomerId=") + kDemoCompanyWithPhotosCustomerId;
        QTest::newRow("query unknown") << QStringList{"query", kUnknownCompany} << true << 1 << "Code=1003\n";
        QTest::newRow("list") << QStringList{"list", company} << true << 0
                              << QStringLiteral("MaxPhotoNumber=%1\n").arg(kDemoPhotoLimit);
        QTest::newRow("no credentials") << QStringList{"list", company} << false << 2 << "";
        QTest::newRow("bad version") << QStringList{"fetch", company, "W1", "large"} << true << 2 << "";
    }
    void cli() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, credentials);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        TempAppDir app;
        runCli(app, arguments, credentials, exitCode, output);
    }

    // The CLI's exit status says what really happened: inputs the photo editor refuses end with 2
    // before anything is sent, a cache file that could not be written or a failed preparation with 1.
    void cliInputsAndFailures_data() {
        QTest::addColumn<QString>("fixture"); // "jpeg" or "text" as p.jpg, "blocked" (Photo is a file)
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        const QString company = QString::fromUtf8(kDemoCompanyWithPhotos);
        const QString free = QString::fromUtf8(kDemoFreeTypeCode);
        const QString seeded = QStringLiteral("W%1%2%3").arg(
            kDemoCompanyWithPhotosCustomerId, DemoData::kPhotoDate, DemoData::kPhotos[0].typeCode);
        QTest::newRow("note outside GBK")
            << "jpeg" << QStringList{"add", company, "p.jpg", free, "note 😀 한국"} << 2 << "";
        QTest::newRow("edit note outside GBK") << "" << QStringList{"edit", company, seeded, "x😀"} << 2 << "";
        QTest::newRow("not a JPEG") << "text" << QStringList{"add", company, "p.jpg", free, "n"} << 2 << "";
        QTest::newRow("type in use") << "jpeg"
                                     << QStringList{"add", company, "p.jpg", DemoData::kPhotos[0].typeCode,
                                                    "n"}
                                     << 2 << "";
        QTest::newRow("12-character company") << "" << QStringList{"query", company.left(12)} << 2 << "";
        QTest::newRow("fetch") << "" << QStringList{"fetch", company, seeded, "source"} << 0
                               << QStringLiteral("Photo/%1_1.jpg\n").arg(seeded);
        QTest::newRow("fetch, cache unwritable")
            << "blocked" << QStringList{"fetch", company, seeded, "source"} << 1 << "";
        QTest::newRow("prepare not a JPEG") << "text" << QStringList{"prepare", "p.jpg"} << 1 << "";
    }
    void cliInputsAndFailures() {
        QFETCH(QString, fixture);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        TempAppDir app;
        QFile file(app.file(fixture == u"blocked" ? QStringLiteral("Photo") : QStringLiteral("p.jpg")));
        if (!fixture.isEmpty()) {
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(fixture == u"jpeg" ? jpeg(900, 700, Qt::blue) : QByteArray("plain text\n"));
            file.close();
        }
        runCli(app, arguments, true, exitCode, output);
    }

    // A photo as phones and cameras write it goes to the service as a JPEG, which comes back as one.
    void cliAddSendsJpeg_data() {
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("heic") << QByteArray("heic");
        QTest::newRow("png") << QByteArray("png");
        QTest::newRow("webp") << QByteArray("webp");
    }
    void cliAddSendsJpeg() {
        QFETCH(QByteArray, format);
        TempAppDir app;
        const QString company = QString::fromUtf8(kDemoCompanyWithPhotos);
        const QString type = QString::fromUtf8(kDemoFreeTypeCode);
        const QString file = QStringLiteral("p.") + QString::fromLatin1(format);
        QImage image(900, 700, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QVERIFY(photoformats::writePhoto(app.file(file), image, format));
        runCli(app, {"add", company, file, type, QStringLiteral("门头")}, true, 0, "");
        const QString added =
            QStringLiteral("W%1%2%3").arg(kDemoCompanyWithPhotosCustomerId,
                                          QDate::currentDate().toString(QStringLiteral("yyyyMMdd")), type);
        QFile::remove(app.file(QStringLiteral("Photo/%1_1.jpg").arg(added)));
        runCli(app, {"fetch", company, added, "source"}, true, 0, "");
        QFile fetched(app.file(QStringLiteral("Photo/%1_1.jpg").arg(added)));
        QVERIFY(fetched.open(QIODevice::ReadOnly));
        const QByteArray stored = fetched.readAll();
        runCli(app, {"delete", company, added}, true, 0, ""); // the type is free again for the next row
        QVERIFY(stored.startsWith("\xFF\xD8\xFF"));
        QCOMPARE(QImage::fromData(stored, "JPEG").size(), QSize(900, 700));
    }

    // Scripts read one JSON object instead of text; the exit status is the same.
    void cliJson_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("dataKey"); // a key the data must hold
        const QString company = QString::fromUtf8(kDemoCompanyWithPhotos);
        QTest::newRow("list") << QStringList{"list", company, "--json"} << 0 << "1110"
                              << "photos";
        QTest::newRow("query unknown") << QStringList{"--json", "query", kUnknownCompany} << 1 << "1003"
                                       << "";
        QTest::newRow("refused note")
            << QStringList{"add", company, "p.jpg", "05", "😀", "--json"} << 2 << "1111"
            << "";
    }
    // The code, message and reason of a failure, as the window shows them too (tst_uploadmain).
    void cliFailureReasons_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("reason");
        for (const OperationCase &c : QueryFailureCases()) {
            QTest::newRow(c.name) << QStringList{"--json", "list", c.companyId} << c.code << c.message
                                  << c.reason;
        }
        QTest::newRow("wrong password")
            << QStringList{"--json", "list", kDemoCompanyWithPhotos, "--password", "x"} << "2003"
            << "用户名或密码错误,无法登录系统!"
            << "用户名或密码错误";
    }
    void cliFailureReasons() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, code);
        QFETCH(QString, message);
        QFETCH(QString, reason);
        TempAppDir app;
        const QJsonObject report =
            QJsonDocument::fromJson(runCli(app, arguments, true, -1, QString()).toUtf8()).object();
        QCOMPARE(report.value(QStringLiteral("code")).toString(), code);
        QCOMPARE(report.value(QStringLiteral("message")).toString(), message);
        QCOMPARE(report.value(QStringLiteral("reason")).toString(), reason);
    }

    // The password never needs to stand on the command line: the environment, stdin or (on a
    // terminal) a prompt give it; without any of them and without a terminal the command is refused.
    void cliPasswordSources_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("credentials"); // UPLOADPIC_USER and UPLOADPIC_PASSWORD set
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        const QString company = QString::fromUtf8(kDemoCompanyWithPhotos);
        const QByteArray password = QByteArray(kDemoPassword) + '\n';
        QTest::newRow("login, password from the environment")
            << QStringList{"login", kDemoUser} << true << QByteArray() << 0 << "success\n";
        QTest::newRow("login --password-stdin")
            << QStringList{"login", kDemoUser, "--password-stdin"} << false << password << 0 << "success\n";
        QTest::newRow("login --password-stdin, wrong password")
            << QStringList{"login", kDemoUser, "--password-stdin"} << false << QByteArray("x\n") << 1
            << "denied\n";
        QTest::newRow("list --user --password-stdin")
            << QStringList{"list", company, "--user", kDemoUser, "--password-stdin"} << false << password << 0
            << QStringLiteral("MaxPhotoNumber=%1\n").arg(kDemoPhotoLimit);
        QTest::newRow("login without a password anywhere")
            << QStringList{"login", kDemoUser} << false << QByteArray() << 2 << "";
        QTest::newRow("--password-stdin beside a password argument")
            << QStringList{"login", kDemoUser, kDemoPassword, "--password-stdin"} << false << password << 2
            << "";
    }
    void cliPasswordSources() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, credentials);
        QFETCH(QByteArray, input);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        TempAppDir app;
        runCli(app, arguments, credentials, exitCode, output, input);
    }

    // JSON keys are camelCase and each value keeps one type (numbers are numbers).
    void cliJsonKeysAndTypes() {
        TempAppDir app;
        const QJsonObject list =
            QJsonDocument::fromJson(
                runCli(app, {"--json", "list", kDemoCompanyWithPhotos}, true, 0, QString()).toUtf8())
                .object();
        const QJsonObject query =
            QJsonDocument::fromJson(
                runCli(app, {"--json", "query", kDemoCompanyWithPhotos}, true, 0, QString()).toUtf8())
                .object();
        for (const QJsonObject &report : {list, query}) {
            for (const QString &key : report.value(QStringLiteral("data")).toObject().keys()) {
                QVERIFY2(key.front().isLower(), qPrintable(key));
            }
        }
        QVERIFY(query.value(QStringLiteral("data")).toObject().contains(QStringLiteral("companyId")));
        const QJsonObject data = list.value(QStringLiteral("data")).toObject();
        QVERIFY(data.value(QStringLiteral("maxPhotoNumber")).isDouble());
        QVERIFY(data.value(QStringLiteral("photos")).toArray().first().toObject().value("state").isDouble());
    }

    void cliJson() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, code);
        QFETCH(QString, dataKey);
        TempAppDir app;
        QFile photo(app.file(QStringLiteral("p.jpg")));
        QVERIFY(photo.open(QIODevice::WriteOnly) && photo.write(jpeg(64, 48, Qt::green)) > 0);
        photo.close();
        const QString out = runCli(app, arguments, true, exitCode, QString());
        QJsonParseError error{};
        const QJsonObject report = QJsonDocument::fromJson(out.toUtf8(), &error).object();
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(out));
        QCOMPARE(report.value(QStringLiteral("exitCode")).toInt(), exitCode);
        QCOMPARE(report.value(QStringLiteral("code")).toString(), code);
        // Every report says what happened and, for a failure, why.
        QVERIFY(!report.value(QStringLiteral("message")).toString().isEmpty());
        QCOMPARE(report.value(QStringLiteral("reason")).toString().isEmpty(), exitCode == 0);
        if (!dataKey.isEmpty()) {
            QCOMPARE(report.value(QStringLiteral("data")).toObject().value(dataKey).toArray().size(),
                     kDemoPhotoCount);
        }
    }

private:
    QString runCli(const TempAppDir &app, const QStringList &arguments, bool credentials, int exitCode,
                   const QString &output, const QByteArray &input = QByteArray()) {
        QProcess cli;
        cli.setWorkingDirectory(app.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("UPLOADPIC_APP_DIR"), app.path());
        env.remove(QStringLiteral("UPLOADPIC_USER"));
        env.remove(QStringLiteral("UPLOADPIC_PASSWORD"));
        if (credentials) {
            env.insert(QStringLiteral("UPLOADPIC_USER"), QString::fromUtf8(kDemoUser));
            env.insert(QStringLiteral("UPLOADPIC_PASSWORD"), QString::fromUtf8(kDemoPassword));
        }
        cli.setProcessEnvironment(env);
        cli.start(QCoreApplication::applicationDirPath() + QStringLiteral("/uploadpic-cli"),
                  QStringList{"--server", QStringLiteral("127.0.0.1:%1").arg(server_->port())} + arguments);
        cli.write(input);
        cli.closeWriteChannel(); // stdin is a pipe at its end: no terminal to ask on
        [&] { QVERIFY(cli.waitForFinished(60'000)); }();
        const QString out = QString::fromUtf8(cli.readAllStandardOutput());
        [&] {
            QVERIFY2(exitCode < 0 || cli.exitCode() == exitCode,
                     qPrintable(QString::fromUtf8(cli.readAllStandardError())));
            QVERIFY2(out.contains(output), qPrintable(out));
        }();
        return out;
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
