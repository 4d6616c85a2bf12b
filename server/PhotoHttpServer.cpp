#include "PhotoHttpServer.h"

#include "ConnectionGuard.h"
#include "RequestLog.h"
#include "ServiceLogic.h"
#include "ServiceMetrics.h"
#include "SoapEndpoint.h"
#include "contract/Wsdl.h"

#include <QElapsedTimer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QSslSocket>
#include <QTcpSocket>
#include <QUrlQuery>

namespace {

using Status = QHttpServerResponder::StatusCode;

const QString kEndpointPath = QStringLiteral("/PictureService.asmx");
const QByteArray kXml = QByteArrayLiteral("text/xml; charset=utf-8");
const QByteArray kText = QByteArrayLiteral("text/plain; charset=utf-8");

bool asksForWsdl(const QHttpServerRequest &request) {
    const auto items = QUrlQuery(request.url()).queryItems();
    return std::any_of(items.begin(), items.end(), [](const auto &item) {
        return item.first.compare(QLatin1String("wsdl"), Qt::CaseInsensitive) == 0;
    });
}

// The address clients used to reach us, so that the WSDL points back at the same place.
QString endpointUrl(const QHttpServerRequest &request, const QTcpSocket *socket) {
    QString host = QString::fromLatin1(request.value(QByteArrayLiteral("Host")));
    if (host.isEmpty() || host.contains(QLatin1Char('"')) || host.contains(QLatin1Char('/'))) {
        const QHostAddress local = socket->localAddress();
        const QString address = local.protocol() == QAbstractSocket::IPv6Protocol
                                    ? QLatin1Char('[') + local.toString() + QLatin1Char(']')
                                    : local.toString();
        host = address + QLatin1Char(':') + QString::number(socket->localPort());
    }
    const bool tls = qobject_cast<const QSslSocket *>(socket) != nullptr;
    return (tls ? QStringLiteral("https://") : QStringLiteral("http://")) + host + kEndpointPath;
}

// Writes the answer, with "Connection: close" when the connection ends after it. The body's pieces go
// to the socket as they are: a large piece is queued without a copy (the socket holds a reference to
// it until it is sent), so a kept list costs no copy of its own.
struct Responder {
    QHttpServerResponder responder;
    QTcpSocket *socket;
    bool close;

    void write(const QByteArrayList &body, const QByteArray &mimeType, Status status) {
        qsizetype length = 0;
        for (const QByteArray &piece : body) {
            length += piece.size();
        }
        responder.writeStatusLine(status);
        responder.writeHeader(QByteArrayLiteral("Content-Type"), mimeType);
        if (close) {
            responder.writeHeader(QByteArrayLiteral("Connection"), QByteArrayLiteral("close"));
        }
        responder.writeHeader(QByteArrayLiteral("Content-Length"), QByteArray::number(length));
        responder.writeBody("", 0); // ends the header
        for (const QByteArray &piece : body) {
            socket->write(piece);
        }
    }
    void write(const QByteArray &body, const QByteArray &mimeType, Status status) {
        write(QByteArrayList{body}, mimeType, status);
    }
};

} // namespace

PhotoHttpServer::PhotoHttpServer(ServiceLogic &logic, AccessControl *access, QObject *parent)
    : QAbstractHttpServer(parent), logic_(logic), access_(access) {}

bool PhotoHttpServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) {
    const bool close = ConnectionGuard::wantsClose(socket);
    const bool answered = answer(request, socket, close);
    if (close) {
        socket->disconnectFromHost(); // an HTTP/1.0 client waits for the end of the connection
    }
    return answered;
}

bool PhotoHttpServer::answer(const QHttpServerRequest &request, QTcpSocket *socket, bool close) {
    Responder responder{makeResponder(request, socket), socket, close};
    const QString path = request.url().path();
    // For balancers and monitoring: the process answers; this thread's database answers; the counts.
    // Not logged, since they are asked every few seconds.
    if (request.method() == QHttpServerRequest::Method::Get) {
        if (path == QLatin1String("/healthz")) {
            responder.write(QByteArrayLiteral("ok\n"), kText, Status::Ok);
            return true;
        }
        if (path == QLatin1String("/readyz")) {
            const bool ready = logic_.database().answers();
            responder.write(ready ? QByteArrayLiteral("ready\n")
                                  : QByteArrayLiteral("database unavailable\n"),
                            kText, ready ? Status::Ok : Status::ServiceUnavailable);
            return true;
        }
        if (path == QLatin1String("/metrics")) {
            responder.write(Metrics().text(), QByteArrayLiteral("text/plain; version=0.0.4; charset=utf-8"),
                            Status::Ok);
            return true;
        }
    }
    if (path.compare(kEndpointPath, Qt::CaseInsensitive) != 0) {
        LogRequest(QStringLiteral("%1: not found").arg(path));
        responder.write(QByteArrayLiteral("not found\n"), kText, Status::NotFound);
        return true;
    }
    switch (request.method()) {
    case QHttpServerRequest::Method::Post: {
        QElapsedTimer timer;
        timer.start();
        const SoapReply reply = AnswerSoapRequest(logic_, request.body(), access_, request.remoteAddress());
        Metrics().countRequest(reply.operation, reply.outcome, double(timer.nsecsElapsed()) / 1e9);
        LogRequest(reply.logLine);
        responder.write(reply.body, kXml, static_cast<Status>(reply.httpStatus));
        return true;
    }
    case QHttpServerRequest::Method::Get:
        if (asksForWsdl(request)) {
            LogRequest(QStringLiteral("WSDL"));
            responder.write(BuildWsdl(endpointUrl(request, socket)), kXml, Status::Ok);
            return true;
        }
        break;
    default:
        break;
    }
    LogRequest(QStringLiteral("%1: method not allowed").arg(path));
    responder.write(QByteArrayLiteral("POST a SOAP request, or GET ?wsdl\n"), kText,
                    Status::MethodNotAllowed);
    return true;
}

void PhotoHttpServer::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) {
    makeResponder(request, socket).write(Status::NotFound);
}
