// The service client on the wire against a scripted HTTP server: the request it sends, and how it
// copes with odd answers, faults, error statuses, silence and oversized answers.

#include "FakeHttpServer.h"

#include "client/HttpTransport.h"
#include "client/SoapPictureService.h"
#include "contract/SoapCodec.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>

using namespace std::chrono_literals;

namespace {

QByteArray envelope(const QByteArray &body) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
           "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>" +
           body + "</soap:Body></soap:Envelope>";
}

// Runs the call and returns the exception's message, or "no exception".
template <typename F> QString failureOf(F call) {
    try {
        call();
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    }
    return QStringLiteral("no exception");
}

} // namespace

class TestTransport : public QObject {
    Q_OBJECT
private slots:
    void requestOnTheWire() {
        FakeHttpServer server;
        server.reply(200, "OK", Soap::WriteResponse(Soap::Operation::GetCompanyPhoto, TPicResultInfo{}));
        TSoapPictureService service(QUrl(server.url()));
        Header header{QStringLiteral("tok1"), QStringLiteral("tok2"), QStringLiteral("tok3"),
                      QStringLiteral("MDE="), QStringLiteral("Mi4wLjAuMA==")};
        service.SetHeader(header);
        service.Func_GetCompanyPhoto(QStringLiteral("VzE="), QStringLiteral("MQ=="));
        QCOMPARE(server.requests.size(), 1);
        const RecordedRequest &sent = server.requests.first();
        QVERIFY(sent.head.startsWith("POST /PictureService.asmx HTTP/1.1"));
        QCOMPARE(sent.header("Content-Type"), QByteArray("text/xml; charset=utf-8"));
        QCOMPARE(sent.header("SOAPAction"), QByteArray("\"MORA.PictureService/Func_GetCompanyPhoto\""));
        const Soap::Request read = Soap::ReadRequest(sent.body);
        QCOMPARE(read.op, Soap::Operation::GetCompanyPhoto);
        QCOMPARE(read.header.F_CUSTOMERID, header.F_CUSTOMERID);
        QCOMPARE(read.header.F_VERSIONNUM, header.F_VERSIONNUM);
        QCOMPARE(read.aPhotoId, QStringLiteral("VzE="));
        QCOMPARE(read.aFlag, QStringLiteral("MQ=="));
    }

    void oddButReadableAnswers_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("width");
        QTest::newRow("child named after the operation")
            << envelope("<Func_GetCompanyPhotoListResponse "
                        "xmlns=\"MORA.PictureService\"><Func_GetCompanyPhotoListResult>"
                        "<F_OPERRESULT>1110</F_OPERRESULT><F_ZOOMWDITH>700</F_ZOOMWDITH></"
                        "Func_GetCompanyPhotoListResult>"
                        "</Func_GetCompanyPhotoListResponse>")
            << 700;
        QTest::newRow("several children, one named return")
            << envelope(
                   "<m:Func_GetCompanyPhotoListResponse xmlns:m=\"MORA.PictureService\"><m:info/><m:return>"
                   "<m:F_OPERRESULT>1110</m:F_OPERRESULT><m:F_ZOOMWDITH>700</m:F_ZOOMWDITH></m:return>"
                   "<m:more><m:F_OPERRESULT>0001</m:F_OPERRESULT></m:more></"
                   "m:Func_GetCompanyPhotoListResponse>")
            << 700;
        QTest::newRow("width under the other spelling")
            << envelope("<Func_GetCompanyPhotoListResponse xmlns=\"MORA.PictureService\"><Result>"
                        "<F_OPERRESULT>1110</F_OPERRESULT><F_ZOOMWIDTH>700</F_ZOOMWIDTH></Result>"
                        "</Func_GetCompanyPhotoListResponse>")
            << 0;
    }
    void oddButReadableAnswers() {
        QFETCH(QByteArray, body);
        QFETCH(int, width);
        FakeHttpServer server;
        server.reply(200, "OK", body);
        const TPicResultInfo result = TSoapPictureService(QUrl(server.url())).Func_GetCompanyPhotoList();
        QCOMPARE(result.F_OPERRESULT, QStringLiteral("1110"));
        QCOMPARE(result.F_ZOOMWDITH, width);
    }

    // A sink takes the body of a 200 answer as it arrives; any other answer is kept for its fault.
    // A cancel given once the whole request has been handed over: a read is still cancelled, a change
    // is not (the server may hold it whole), and its answer is returned.
    void cancelAfterTheWholeRequest_data() {
        QTest::addColumn<bool>("changesServer");
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("read") << false << true;
        QTest::newRow("change") << true << false;
    }
    void cancelAfterTheWholeRequest() {
        QFETCH(bool, changesServer);
        QFETCH(bool, cancelled);
        FakeHttpServer server;
        server.reply(200, "OK", "<a/>");
        HttpTransport::PostOptions options;
        options.changesServer = changesServer;
        options.control = std::make_shared<TransferControl>();
        options.control->OnProgress = [control = options.control.get()](const TransferProgress &p) {
            if (p.sent == p.sendTotal) {
                control->Cancel();
            }
        };
        const QByteArray request(512 * 1024, 'r');
        const QString what =
            failureOf([&] { HttpTransport::Post(QUrl(server.url()), "\"x\"", request, options); });
        QCOMPARE(what, cancelled ? QStringLiteral("已被用户取消") : QStringLiteral("no exception"));
        QCOMPARE(options.control->Honoured(), cancelled);
    }

    void bodySinkTakesSuccessfulAnswersOnly_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("sunk");
        QTest::newRow("200") << 200 << true;
        QTest::newRow("500") << 500 << false;
    }
    void bodySinkTakesSuccessfulAnswersOnly() {
        QFETCH(int, status);
        QFETCH(bool, sunk);
        const QByteArray body = QByteArray("<a>") + QByteArray(3 << 20, 'x') + "</a>";
        FakeHttpServer server;
        server.reply(status, "Any", body);
        QByteArray received;
        HttpTransport::PostOptions options;
        options.bodySink = [&received](QByteArrayView piece) { received.append(piece); };
        const HttpAnswer answer = HttpTransport::Post(QUrl(server.url()), "\"x\"", "<a/>", options);
        QCOMPARE(answer.status, status);
        QCOMPARE(received, sunk ? body : QByteArray());
        QCOMPARE(answer.body.join(), sunk ? QByteArray() : body);
    }

    void failures_data() {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QString>("message");
        const auto http = [](int status, const QByteArray &reason, const QByteArray &body) {
            return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
                   "\r\nContent-Type: text/xml\r\nContent-Length: " + QByteArray::number(body.size()) +
                   "\r\nConnection: close\r\n\r\n" + body;
        };
        QTest::newRow("fault with status 500")
            << http(500, "Internal Server Error", Soap::WriteFault("soap:Server", "数据库不可用"))
            << QStringLiteral("数据库不可用");
        QTest::newRow("fault with status 200")
            << http(200, "OK", Soap::WriteFault("soap:Client", "bad header")) << QStringLiteral("bad header");
        QTest::newRow("status 500 without fault") << http(500, "Internal Server Error", "<html>oops</html>")
                                                  << QStringLiteral("HTTP 状态 500 Internal Server Error");
        QTest::newRow("status 404") << http(404, "Not Found", "")
                                    << QStringLiteral("HTTP 状态 404 Not Found");
        QTest::newRow("garbage") << http(200, "OK", "\x89PNG garbage")
                                 << QStringLiteral("unreadable message");
        QTest::newRow("empty answer") << http(200, "OK", "") << QStringLiteral("unreadable message");
        QTest::newRow("no result record")
            << http(200, "OK", envelope("<Func_QueryCompanyInfoResponse xmlns=\"MORA.PictureService\"/>"))
            << QStringLiteral("no result record");
        QTest::newRow("not HTTP") << QByteArray("SSH-2.0-OpenSSH\r\n\r\n") << QStringLiteral("HTTP 请求失败");
    }
    void failures() {
        QFETCH(QByteArray, raw);
        QFETCH(QString, message);
        FakeHttpServer server;
        server.replyRaw(raw);
        const QString what =
            failureOf([&] { TSoapPictureService(QUrl(server.url()), 10s).Func_QueryCompanyInfo(); });
        QVERIFY2(what.contains(message), qPrintable(what));
    }

    void silentServerTimesOut() {
        FakeHttpServer server;
        server.staySilent();
        TSoapPictureService service(QUrl(server.url()), 300ms);
        const QString what = failureOf([&] { service.Func_ValidateUserLogin(); });
        QVERIFY2(what.endsWith(QStringLiteral("在 0.3 秒内没有应答")), qPrintable(what));
        QCOMPARE(server.requests.size(), 1);
    }

    void refusedConnection() {
        quint16 port = 0;
        {
            QTcpServer probe;
            probe.listen(QHostAddress::LocalHost, 0);
            port = probe.serverPort();
        }
        TSoapPictureService service(
            QUrl(QStringLiteral("http://127.0.0.1:%1/PictureService.asmx").arg(port)));
        QVERIFY(failureOf([&] { service.Func_QueryCompanyInfo(); }).contains(QStringLiteral("refused")));
    }

    void oversizedAnswerIsRefused_data() {
        QTest::addColumn<bool>("announced");
        QTest::newRow("announced length") << true;
        QTest::newRow("streamed until close") << false;
    }
    void oversizedAnswerIsRefused() {
        QFETCH(bool, announced);
        FakeHttpServer server;
        const QByteArray body(64 * 1024, 'x');
        server.replyRaw(
            "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n" +
            (announced ? "Content-Length: " + QByteArray::number(body.size()) + "\r\n" : QByteArray()) +
            "Connection: close\r\n\r\n" + body);
        const QString what = failureOf([&] {
            HttpTransport::Post(QUrl(server.url()), "\"x\"", "<a/>", HttpTransport::kIdleTimeout, 16 * 1024);
        });
        QVERIFY2(what.contains(QStringLiteral("的应答大于 16384 字节")), qPrintable(what));
    }

    // The login check runs on a worker thread with its own network objects.
    void callFromWorkerThread() {
        FakeHttpServer server;
        TUserInfo user;
        user.F_OPERRESULT = QStringLiteral("1110");
        server.reply(200, "OK", Soap::WriteResponse(Soap::Operation::ValidateUserLogin, user));
        QString code;
        std::unique_ptr<QThread> worker(QThread::create(
            [&] { code = TSoapPictureService(QUrl(server.url())).Func_ValidateUserLogin().F_OPERRESULT; }));
        QSignalSpy finished(worker.get(), &QThread::finished);
        worker->start();
        QVERIFY(finished.wait(30'000));
        QCOMPARE(code, QStringLiteral("1110"));
    }
};

QTEST_GUILESS_MAIN(TestTransport)
#include "tst_transport.moc"
