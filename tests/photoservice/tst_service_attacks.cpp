// photo-service under attack: a start tag built to keep the XML reader busy, idle and half-sent
// connections, too many connections from one address, HTTP/1.0 clients, and company operations from
// an address that never logged in or keeps guessing companies.
#include "ServiceHeaders.h"
#include "contract/SoapCodec.h"
#include "support/DemoSeed.h"
#include "support/PhotoServiceProcess.h"

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

using namespace ServiceHeaders;

namespace {

QByteArray post(const QByteArray &body, const QByteArray &version = "HTTP/1.1") {
    return "POST /PictureService.asmx " + version +
           "\r\nHost: 127.0.0.1\r\nContent-Type: text/xml; charset=utf-8\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

QByteArray soap(Soap::Operation op, const Header &header) {
    Soap::Request r;
    r.op = op;
    r.header = header;
    return Soap::WriteRequest(r);
}

QByteArray loginRequest() {
    return soap(Soap::Operation::ValidateUserLogin,
                login(QString::fromUtf8(kDemoUser), QString::fromUtf8(kDemoPassword)));
}

QByteArray queryRequest(const char *companyId) {
    return soap(Soap::Operation::QueryCompanyInfo, query(QString::fromUtf8(companyId)));
}

// Sends one request on a new connection and reads the answer until its body is complete or the
// connection ends; the guard bounds a service that never answers.
QByteArray exchange(quint16 port, const QByteArray &request, int guardMs = 20000) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(guardMs)) {
        return {};
    }
    socket.write(request);
    QByteArray answer;
    const QDeadlineTimer deadline(guardMs);
    while (!deadline.hasExpired()) {
        answer += socket.readAll();
        const qsizetype end = answer.indexOf("\r\n\r\n");
        if (end >= 0) {
            const qsizetype at = answer.indexOf("Content-Length: ");
            if (at >= 0 &&
                answer.size() - end - 4 >= answer.mid(at + 16, 12).split('\r').first().toLongLong()) {
                break;
            }
        }
        if (socket.state() == QAbstractSocket::UnconnectedState ||
            !socket.waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())))) {
            answer += socket.readAll();
            if (socket.state() == QAbstractSocket::UnconnectedState || deadline.hasExpired()) {
                break;
            }
        }
    }
    return answer;
}

QString resultCode(const QByteArray &answer) {
    const qsizetype at = answer.indexOf("<F_OPERRESULT>");
    return at < 0 ? QString() : QString::fromLatin1(answer.mid(at + 14, 4));
}

bool closedWithin(QTcpSocket &socket, int ms) {
    const QDeadlineTimer deadline(ms);
    while (socket.state() != QAbstractSocket::UnconnectedState && !deadline.hasExpired()) {
        socket.waitForDisconnected(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
    }
    return socket.state() == QAbstractSocket::UnconnectedState;
}

} // namespace

class TestServiceAttacks : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString db(const char *name) const { return dir_.filePath(QString::fromLatin1(name)); }

private slots:
    void hugeStartTagIsRefusedAtOnce() {
        PhotoServiceProcess service(db("tag.db"));
        QVERIFY(service.started());
        QByteArray tag = "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body><a";
        for (int i = 0; i < 100000; ++i) {
            tag += " a" + QByteArray::number(i) + "=\"\"";
        }
        tag += "/></s:Body></s:Envelope>";
        // Read in quadratic time this took the service many seconds; refused unread it takes none.
        const QByteArray answer = exchange(service.port(), post(tag), 5000);
        QVERIFY2(answer.startsWith("HTTP/1.1 500") && answer.contains("start tag"),
                 answer.left(400).constData());
        QCOMPARE(resultCode(exchange(service.port(), post(loginRequest()), 5000)), QStringLiteral("1110"));
    }

    void idleAndHalfSentConnectionsAreClosed() {
        PhotoServiceProcess service(
            db("idle.db"), true,
            {QStringLiteral("--idle-timeout"), QStringLiteral("2"), QStringLiteral("--request-timeout"),
             QStringLiteral("3"), QStringLiteral("--max-connections-per-address"), QStringLiteral("1000")});
        QVERIFY(service.started());
        std::vector<std::unique_ptr<QTcpSocket>> idle;
        for (int i = 0; i < 500; ++i) {
            idle.push_back(std::make_unique<QTcpSocket>());
            idle.back()->connectToHost(QHostAddress::LocalHost, service.port());
            QVERIFY(idle.back()->waitForConnected(10000));
        }
        // A request that trickles in, a byte at a time, never goes idle but never completes.
        QTcpSocket trickle;
        trickle.connectToHost(QHostAddress::LocalHost, service.port());
        QVERIFY(trickle.waitForConnected(10000));
        QCOMPARE(resultCode(exchange(service.port(), post(loginRequest()))), QStringLiteral("1110"));
        const QByteArray slow = post(loginRequest());
        for (int i = 0; i < 60 && trickle.state() == QAbstractSocket::ConnectedState; ++i) {
            trickle.write(slow.mid(i, 1));
            trickle.waitForBytesWritten(1000);
            trickle.waitForDisconnected(500);
        }
        QVERIFY(closedWithin(trickle, 1));
        for (auto &socket : idle) {
            QVERIFY(closedWithin(*socket, 30000));
        }
        QCOMPARE(resultCode(exchange(service.port(), post(loginRequest()))), QStringLiteral("1110"));
    }

    void connectionsPerAddressAreBounded() {
        PhotoServiceProcess service(db("bound.db"), true,
                                    {QStringLiteral("--max-connections-per-address"), QStringLiteral("3")});
        QVERIFY(service.started());
        std::vector<std::unique_ptr<QTcpSocket>> held;
        for (int i = 0; i < 3; ++i) { // each answered once, so the service surely counts it
            held.push_back(std::make_unique<QTcpSocket>());
            held.back()->connectToHost(QHostAddress::LocalHost, service.port());
            QVERIFY(held.back()->waitForConnected(10000));
            held.back()->write(post(loginRequest()));
            QVERIFY(held.back()->waitForReadyRead(10000));
            QVERIFY(held.back()->readAll().startsWith("HTTP/1.1 200"));
        }
        QVERIFY(exchange(service.port(), post(loginRequest())).startsWith("HTTP/1.1 503"));
        held.clear();
        QTRY_COMPARE_WITH_TIMEOUT(resultCode(exchange(service.port(), post(loginRequest()))),
                                  QStringLiteral("1110"), 10000);
    }

    void http10IsAnsweredAndClosed() {
        PhotoServiceProcess service(db("http10.db"));
        QVERIFY(service.started());
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, service.port());
        QVERIFY(socket.waitForConnected(10000));
        socket.write(post(loginRequest(), "HTTP/1.0"));
        QVERIFY(closedWithin(socket, 10000)); // a 1.0 client reads until the connection ends
        const QByteArray answer = socket.readAll();
        QVERIFY2(answer.contains("Connection: close"), answer.left(300).constData());
        QCOMPARE(resultCode(answer), QStringLiteral("1110"));
    }

    void companyOperationsNeedALoginFromTheAddress_data() {
        QTest::addColumn<bool>("openAccess");
        QTest::newRow("default") << false;
        QTest::newRow("--open-access") << true;
    }
    void companyOperationsNeedALoginFromTheAddress() {
        QFETCH(bool, openAccess);
        PhotoServiceProcess service(db(openAccess ? "open.db" : "closed.db"), true,
                                    openAccess ? QStringList{QStringLiteral("--open-access")}
                                               : QStringList{});
        QVERIFY(service.started());
        const QByteArray before = exchange(service.port(), post(queryRequest(kDemoCompanyWithPhotos)));
        if (openAccess) {
            QCOMPARE(resultCode(before), QStringLiteral("1110"));
            return;
        }
        QVERIFY2(before.startsWith("HTTP/1.1 500") && before.contains("access refused"), before.constData());
        QCOMPARE(resultCode(exchange(service.port(), post(loginRequest()))), QStringLiteral("1110"));
        QCOMPARE(resultCode(exchange(service.port(), post(queryRequest(kDemoCompanyWithPhotos)))),
                 QStringLiteral("1110"));
    }

    void guessingCompaniesIsThrottled() {
        PhotoServiceProcess service(db("guess.db"));
        QVERIFY(service.started());
        QCOMPARE(resultCode(exchange(service.port(), post(loginRequest()))), QStringLiteral("1110"));
        for (int i = 0; i < 20; ++i) {
            QCOMPARE(resultCode(exchange(service.port(), post(queryRequest(kUnknownCompany)))),
                     QStringLiteral("1003"));
        }
        const QByteArray refused = exchange(service.port(), post(queryRequest(kDemoCompanyWithPhotos)));
        QVERIFY2(refused.contains("too many unknown companies"), refused.constData());
    }
};

QTEST_GUILESS_MAIN(TestServiceAttacks)
#include "tst_service_attacks.moc"
