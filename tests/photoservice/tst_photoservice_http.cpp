// The photo-service process over HTTP: both header forms through the SOAP codec, hostile requests,
// the WSDL and routing, persistence across a restart, concurrent clients and bad command lines.
#include "HttpCall.h"
#include "ServiceHeaders.h"
#include "support/DemoSeed.h"
#include "support/PhotoServiceProcess.h"
#include "support/TestDatabase.h"

#include <QDate>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace ServiceHeaders;

namespace {

QString s(const char *utf8) {
    return QString::fromUtf8(utf8);
}

Soap::Request request(Soap::Operation op, const Header &header) {
    Soap::Request r;
    r.op = op;
    r.header = header;
    return r;
}

} // namespace

class TestPhotoServiceHttp : public QObject {
    Q_OBJECT

private:
    // A store per name: a file in dir_, or a database of its own on the test's PostgreSQL server.
    QString dbFile(const QString &name = QStringLiteral("photos.db")) {
        if (!stores_.contains(name)) {
            stores_.insert(name, TestDatabase::fresh(dir_.filePath(name)));
        }
        return stores_.value(name);
    }

    TCompanyInfo query(const QString &endpoint, const char *companyId) {
        const HttpResult r = postRequest(
            nam_, endpoint, request(Soap::Operation::QueryCompanyInfo, ServiceHeaders::query(s(companyId))));
        return Soap::ReadCompanyInfo(r.body);
    }

    TPicResultInfo list(const QString &endpoint, const Header &header) {
        return Soap::ReadPicResult(
            postRequest(nam_, endpoint, request(Soap::Operation::GetCompanyPhotoList, header)).body);
    }

    TPicResultInfo insert(const QString &endpoint, const TCompanyInfo &company, const QString &type) {
        Soap::Request r = request(Soap::Operation::InsertCompanyPhoto, photos(company));
        r.aPicInfo = newPhoto(company, type, s("并发") + type);
        return Soap::ReadPicResult(postRequest(nam_, endpoint, r).body);
    }

    bool answersLogin(const QString &endpoint) {
        const HttpResult r =
            postRequest(nam_, endpoint,
                        request(Soap::Operation::ValidateUserLogin, login(s(kDemoUser), s(kDemoPassword))));
        return r.status == 200 && Soap::ReadUserInfo(r.body).F_OPERRESULT == QLatin1String("1110");
    }

    QTemporaryDir dir_;
    QHash<QString, QString> stores_;
    QNetworkAccessManager nam_;
    std::unique_ptr<PhotoServiceProcess> hostile_; // one service takes all the hostile requests

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }
    void cleanupTestCase() { hostile_.reset(); }

    void wholeSessionInBothHeaderForms() {
        PhotoServiceProcess service(dbFile(QStringLiteral("session.db")));
        QVERIFY(service.started());
        const QString endpoint = service.endpoint();
        QVERIFY(answersLogin(endpoint));
        const HttpResult denied = postRequest(
            nam_, endpoint,
            request(Soap::Operation::ValidateUserLogin, login(s(kDemoUser), QStringLiteral("x"))));
        QCOMPARE(Soap::ReadUserInfo(denied.body).F_OPERRESULT, QStringLiteral("2003"));

        const TCompanyInfo company = query(endpoint, kDemoCompanyWithPhotos);
        QCOMPARE(company.F_OPERRESULT, QStringLiteral("1110"));
        QCOMPARE(TStrOper::DecodeBase64(company.F_COMPANYNAME), s(kDemoCompanyWithPhotosName));
        QCOMPARE(query(endpoint, kUnknownCompany).F_OPERRESULT, QStringLiteral("1003"));
        QCOMPARE(query(endpoint, kDemoCompanyDisabled).F_OPERRESULT, QStringLiteral("1000"));

        const TPicResultInfo first = list(endpoint, ServiceHeaders::query(s(kDemoCompanyWithPhotos)));
        QCOMPARE(first.F_OPERRESULT, QStringLiteral("1110"));
        QCOMPARE(first.F_PICLIST.size(), kDemoPhotoCount);
        QCOMPARE(first.F_FLAGLIST.size(), kDemoTypeCount);
        QCOMPARE(first.F_MAXNUMBER, kDemoPhotoLimit);
        QCOMPARE(first.F_ZOOMWDITH, kDemoZoomWidth);
        QCOMPARE(first.F_PICLIST.first().F_ISEXISTS, QStringLiteral("1"));
        const TPicResultInfo later = list(endpoint, photos(company));
        QCOMPARE(later.F_PICLIST.size(), kDemoPhotoCount);

        Soap::Request fetch = request(Soap::Operation::GetCompanyPhoto, photos(company));
        fetch.aPhotoId = first.F_PICLIST.first().F_ID;
        fetch.aFlag = TStrOper::EncodeBase64(QStringLiteral("1"));
        const TPicResultInfo source = Soap::ReadPicResult(postRequest(nam_, endpoint, fetch).body);
        QCOMPARE(source.F_OPERRESULT, QStringLiteral("1110"));
        QCOMPARE(source.F_FLAG, 1);
        QVERIFY(source.F_PHOTO.size() > first.F_PICLIST.first().F_SMALLPHOTO.size());

        QCOMPARE(insert(endpoint, company, s(kDemoFreeTypeCode)).F_OPERRESULT, QStringLiteral("1110"));
        QCOMPARE(list(endpoint, photos(company)).F_PICLIST.size(), kDemoPhotoCount + 1); // not the kept list
        const QString newId = QStringLiteral("W") + company.F_CUSTOMERID +
                              QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) +
                              s(kDemoFreeTypeCode);
        Soap::Request edit = request(Soap::Operation::UpdateCompanyPhoto, photos(company));
        edit.aPicInfo = newPhoto(company, s(kDemoFreeTypeCode), s("灭火器已更换"));
        edit.aPicInfo.F_ID = newId;
        edit.aPicInfo.F_PHOTO.clear();
        edit.aPicInfo.F_SMALLPHOTO.clear();
        QCOMPARE(Soap::ReadPicResult(postRequest(nam_, endpoint, edit).body).F_OPERRESULT,
                 QStringLiteral("1110"));
        const TPictureInfo edited = list(endpoint, photos(company)).F_PICLIST.last();
        QCOMPARE(TStrOper::DecodeBase64(edited.F_MEMO), s("灭火器已更换"));
        Soap::Request del = request(Soap::Operation::DeleteCompanyPhoto, photos(company));
        del.aPhotoId = newId;
        QCOMPARE(Soap::ReadPicResult(postRequest(nam_, endpoint, del).body).F_OPERRESULT,
                 QStringLiteral("1110"));
        QCOMPARE(list(endpoint, photos(company)).F_PICLIST.size(), kDemoPhotoCount);
    }

    // Whatever arrives, the answer is a SOAP fault with HTTP 500 and the service keeps serving.
    void hostileRequestsGetFaults_data() {
        QTest::addColumn<QByteArray>("body");
        const QByteArray login = Soap::WriteRequest(request(Soap::Operation::ValidateUserLogin, Header{}));
        QTest::newRow("empty") << QByteArray();
        static constexpr char kGarbage[] = "\x00\xff\xfe garbage <<<";
        QTest::newRow("garbage") << QByteArray(kGarbage, sizeof kGarbage - 1);
        QTest::newRow("cut off") << login.left(login.size() / 2);
        QTest::newRow("not an envelope") << QByteArray("<html><body>hello</body></html>");
        QTest::newRow("unknown operation")
            << QByteArray("<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body>"
                          "<Func_FormatDisk xmlns=\"MORA.PictureService\"/></s:Body></s:Envelope>");
        QTest::newRow("entity expansion") << QByteArray(
            "<?xml version=\"1.0\"?><!DOCTYPE l [<!ENTITY a \"aaaaaaaaaa\">"
            "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
            "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body>"
            "<Func_ValidateUserLogin xmlns=\"MORA.PictureService\">&c;</Func_ValidateUserLogin>"
            "</s:Body></s:Envelope>");
        QTest::newRow("deep nesting")
            << QByteArray("<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body>" +
                          QByteArray("<a>").repeated(50000) + "</s:Body></s:Envelope>");
    }
    void hostileRequestsGetFaults() {
        QFETCH(QByteArray, body);
        if (!hostile_) {
            hostile_ = std::make_unique<PhotoServiceProcess>(dbFile(QStringLiteral("hostile.db")));
        }
        PhotoServiceProcess &service = *hostile_;
        QVERIFY(service.started());
        const HttpResult r = postSoap(nam_, service.endpoint(), body);
        QCOMPARE(r.status, 500);
        QVERIFY(r.contentType.startsWith("text/xml"));
        QVERIFY_THROWS_EXCEPTION(Soap::SoapFault, Soap::ReadUserInfo(r.body));
        QVERIFY(answersLogin(service.endpoint()));
    }

    void oversizedRequestIsRefusedUnread() {
        PhotoServiceProcess service(dbFile(QStringLiteral("big.db")), true,
                                    {QStringLiteral("--max-request-bytes"), QStringLiteral("65536")});
        QVERIFY(service.started());
        const HttpResult r = postSoap(nam_, service.endpoint(), QByteArray(4 * 1024 * 1024, 'x'));
        QVERIFY2(r.status == 413 || (r.status == 0 && r.error != QNetworkReply::NoError),
                 qPrintable(QStringLiteral("status %1").arg(r.status)));
        QVERIFY(answersLogin(service.endpoint()));
    }

    void wsdlAndRouting() {
        PhotoServiceProcess service(dbFile(QStringLiteral("wsdl.db")), false);
        QVERIFY(service.started());
        const HttpResult wsdl =
            finish(nam_.get(QNetworkRequest(QUrl(service.endpoint() + QStringLiteral("?WSDL")))));
        QCOMPARE(wsdl.status, 200);
        QXmlStreamReader xml(wsdl.body);
        QStringList operations;
        QString location;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement) {
                continue;
            }
            if (xml.name() == u"operation" && xml.namespaceUri() == u"http://schemas.xmlsoap.org/wsdl/" &&
                !operations.contains(xml.attributes().value(QLatin1String("name")))) {
                operations.append(xml.attributes().value(QLatin1String("name")).toString());
            } else if (xml.name() == u"address") {
                location = xml.attributes().value(QLatin1String("location")).toString();
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(operations.size(), 7);
        QCOMPARE(location, service.endpoint());

        QCOMPARE(finish(nam_.get(QNetworkRequest(QUrl(service.endpoint())))).status, 405);
        QUrl other(service.endpoint());
        other.setPath(QStringLiteral("/other.asmx"));
        QCOMPARE(finish(nam_.get(QNetworkRequest(other))).status, 404);
        QCOMPARE(finish(nam_.post(soapRequest(other.toString()), QByteArray("<x/>"))).status, 404);

        // Health and metrics: the request above and a refused company query are counted.
        QVERIFY(!answersLogin(service.endpoint())); // no users in this store: 2003
        postRequest(nam_, service.endpoint(),
                    request(Soap::Operation::QueryCompanyInfo, ServiceHeaders::query(s("3101150012345"))));
        const auto get = [&](const char *path) {
            other.setPath(QString::fromLatin1(path));
            return finish(nam_.get(QNetworkRequest(other)));
        };
        QCOMPARE(get("/healthz").body, QByteArray("ok\n"));
        QCOMPARE(get("/readyz").body, QByteArray("ready\n"));
        const HttpResult metrics = get("/metrics");
        QCOMPARE(metrics.status, 200);
        for (const char *line :
             {"photo_service_requests_total{operation=\"Func_ValidateUserLogin\",result=\"2003\"} 1\n",
              "photo_service_requests_total{operation=\"Func_QueryCompanyInfo\",result=\"refused\"} 1\n",
              "photo_service_refusals_total{reason=\"access\"} 1\n",
              "photo_service_request_duration_seconds_count 2\n", "photo_service_open_connections "}) {
            QVERIFY2(metrics.body.contains(line), line);
        }
    }

    // SIGTERM while a request is half sent: no new connections, the request is answered, exit 0.
    void drainsRequestsInFlightOnSigterm() {
        PhotoServiceProcess service(dbFile(QStringLiteral("drain.db")));
        QVERIFY(service.started());
        const QByteArray body = Soap::WriteRequest(
            request(Soap::Operation::ValidateUserLogin, login(s(kDemoUser), s(kDemoPassword))));
        QTcpSocket slow;
        slow.connectToHost(QHostAddress::LocalHost, service.port());
        QVERIFY(slow.waitForConnected(30000));
        slow.write(
            "POST /PictureService.asmx HTTP/1.1\r\nHost: x\r\nContent-Type: text/xml; charset=utf-8\r\n"
            "Content-Length: " +
            QByteArray::number(body.size()) + "\r\n\r\n" + body.left(body.size() / 2));
        QVERIFY(slow.waitForBytesWritten(30000));
        QTcpSocket idle; // keep-alive without a request: closed at once
        idle.connectToHost(QHostAddress::LocalHost, service.port());
        QVERIFY(idle.waitForConnected(30000));

        service.process().terminate();
        QTRY_COMPARE_WITH_TIMEOUT(idle.state(), QAbstractSocket::UnconnectedState, 30000);
        const auto refused = [&] { // every answering thread stops listening soon after the signal
            QTcpSocket late;
            late.connectToHost(QHostAddress::LocalHost, service.port());
            return !late.waitForConnected(30000) && late.error() == QAbstractSocket::ConnectionRefusedError;
        };
        QTRY_VERIFY_WITH_TIMEOUT(refused(), 30000);

        slow.write(body.mid(body.size() / 2));
        QByteArray answer;
        while (slow.state() == QAbstractSocket::ConnectedState && slow.waitForReadyRead(30000)) {
            answer += slow.readAll();
        }
        answer += slow.readAll();
        QVERIFY2(answer.startsWith("HTTP/1.1 200"), answer.constData());
        QVERIFY(answer.contains("1110"));
        QVERIFY(service.process().waitForFinished(30000));
        QCOMPARE(service.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(service.process().exitCode(), 0);
    }

    void keepsDataAcrossRestart() {
        const QString file = dbFile(QStringLiteral("restart.db"));
        TCompanyInfo company;
        {
            PhotoServiceProcess service(file);
            QVERIFY(service.started());
            QVERIFY(answersLogin(service.endpoint()));
            company = query(service.endpoint(), kDemoCompanyEmpty);
            QCOMPARE(insert(service.endpoint(), company, QStringLiteral("03")).F_OPERRESULT,
                     QStringLiteral("1110"));
            QCOMPARE(service.stop(), 0);
            QVERIFY(!QFile::exists(file + QStringLiteral("-wal"))); // closed cleanly, log folded back
        }
        PhotoServiceProcess again(file, false);
        QVERIFY(again.started());
        QVERIFY(answersLogin(again.endpoint()));
        const TPicResultInfo after = list(again.endpoint(), photos(company));
        QCOMPARE(after.F_OPERRESULT, QStringLiteral("1110"));
        QCOMPARE(after.F_PICLIST.size(), 1);
        QCOMPARE(TStrOper::DecodeBase64(after.F_PICLIST.first().F_FLAG), QStringLiteral("03"));
    }

    // Many connections at once: every request is answered, and the photo limit holds.
    void concurrentClients() {
        PhotoServiceProcess service(dbFile(QStringLiteral("busy.db")));
        QVERIFY(service.started());
        const QString endpoint = service.endpoint();
        QVERIFY(answersLogin(endpoint));
        const TCompanyInfo company = query(endpoint, kDemoCompanyEmpty); // limit 3, four types
        QNetworkAccessManager second;
        std::vector<QNetworkReply *> replies;
        for (int i = 0; i < 24; ++i) {
            QNetworkAccessManager &nam = i % 2 ? nam_ : second;
            const Soap::Request login = request(Soap::Operation::ValidateUserLogin,
                                                ServiceHeaders::login(s(kDemoUser), s(kDemoPassword)));
            replies.push_back(nam.post(soapRequest(endpoint), Soap::WriteRequest(login)));
        }
        for (const char *type : {"01", "02", "03", "04"}) {
            Soap::Request r = request(Soap::Operation::InsertCompanyPhoto, photos(company));
            r.aPicInfo = newPhoto(company, QString::fromLatin1(type), QStringLiteral("x"));
            replies.push_back(second.post(soapRequest(endpoint), Soap::WriteRequest(r)));
        }
        int logins = 0;
        int inserted = 0;
        int refused = 0;
        for (std::size_t i = 0; i < replies.size(); ++i) {
            const HttpResult r = finish(replies[i]);
            QCOMPARE(r.status, 200);
            if (i < 24) {
                logins += Soap::ReadUserInfo(r.body).F_OPERRESULT == QLatin1String("1110");
            } else {
                const QString code = Soap::ReadPicResult(r.body).F_OPERRESULT;
                inserted += code == QLatin1String("1110");
                refused += code == QLatin1String("1111");
            }
        }
        QCOMPARE(logins, 24);
        QCOMPARE(inserted, kDemoCompanyEmptyLimit);
        QCOMPARE(refused, 4 - kDemoCompanyEmptyLimit);
    }

    void badCommandLines_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const QString db = dbFile(QStringLiteral("args.db"));
        QTest::newRow("no port") << QStringList{"--listen", "127.0.0.1", "--db", db} << "HOST:PORT";
        QTest::newRow("port too large") << QStringList{"--listen", "127.0.0.1:70000", "--db", db} << "port";
        QTest::newRow("host not an address")
            << QStringList{"--listen", "example:80", "--db", db} << "IP address";
        QTest::newRow("no database") << QStringList{"--listen", "127.0.0.1:0"} << "--db";
        QTest::newRow("unknown argument")
            << QStringList{"--listen", "127.0.0.1:0", "--db", db, "--fast"} << "--fast";
        QTest::newRow("database is a folder")
            << QStringList{"--listen", "127.0.0.1:0", "--db", dir_.path()} << "database";
        QTest::newRow("address not ours")
            << QStringList{"--listen", "203.0.113.7:0", "--db", db} << "cannot listen";
    }
    void badCommandLines() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QProcess process;
        process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/photo-service"), arguments);
        QVERIFY(process.waitForFinished(60000));
        QVERIFY(process.exitStatus() == QProcess::NormalExit);
        QVERIFY(process.exitCode() != 0);
        QVERIFY(process.readAllStandardOutput().isEmpty());
        const QString error = QString::fromLocal8Bit(process.readAllStandardError());
        QVERIFY2(error.contains(message), qPrintable(error));
    }

    void portInUse() {
        PhotoServiceProcess first(dbFile(QStringLiteral("first.db")), false);
        QVERIFY(first.started());
        QProcess second;
        second.start(QCoreApplication::applicationDirPath() + QStringLiteral("/photo-service"),
                     {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(first.port()),
                      QStringLiteral("--db"), dbFile(QStringLiteral("second.db"))});
        QVERIFY(second.waitForFinished(60000));
        QCOMPARE(second.exitCode(), 1);
        QVERIFY(first.started());
        const HttpResult wsdl =
            finish(nam_.get(QNetworkRequest(QUrl(first.endpoint() + QStringLiteral("?wsdl")))));
        QCOMPARE(wsdl.status, 200); // the first one keeps serving
    }

    void stopsWithItsParentWhenAsked() {
        // A shell starts the service in the background, reports its process ID, waits until the service
        // listens (it watches its parent from then on) and ends.
        QProcess shell;
        shell.start(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"),
             QStringLiteral("\"$0\" --listen 127.0.0.1:0 --db \"$1\" --exit-with-parent "
                            ">\"$2\" 2>/dev/null & echo $!; "
                            "for i in $(seq 600); do grep -q listening \"$2\" && break; sleep 0.05; done"),
             QCoreApplication::applicationDirPath() + QStringLiteral("/photo-service"),
             dbFile(QStringLiteral("orphan.db")), dir_.filePath(QStringLiteral("orphan.out"))});
        QVERIFY(shell.waitForFinished(60000));
        const pid_t pid = QString::fromLatin1(shell.readAllStandardOutput()).trimmed().toInt();
        QVERIFY(pid > 0);
        // Gone, or a zombie waiting for whoever adopted it to reap it.
        const auto ended = [pid] {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
            if (!stat.open(QIODevice::ReadOnly)) {
                return true;
            }
            const QByteArray line = stat.readAll();
            const qsizetype close = line.lastIndexOf(')');
            return close < 0 || line.mid(close + 2, 1) == "Z";
        };
        QTRY_VERIFY_WITH_TIMEOUT(ended(), 30000);
    }
};

QTEST_GUILESS_MAIN(TestPhotoServiceHttp)
#include "tst_photoservice_http.moc"
