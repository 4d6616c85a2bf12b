#pragma once
// Blocking HTTP calls for the photo service tests: waits on the reply's own finished signal.

#include "contract/SoapCodec.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>

#include <memory>

struct HttpResult {
    int status = 0; // 0 when no HTTP answer came
    QByteArray body;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray contentType;
};

inline HttpResult finish(QNetworkReply *raw) {
    std::unique_ptr<QNetworkReply> reply(raw);
    if (!reply->isFinished()) {
        QSignalSpy finished(reply.get(), &QNetworkReply::finished);
        finished.wait(60000);
    }
    HttpResult r;
    r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    r.body = reply->readAll();
    r.error = reply->error();
    r.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    return r;
}

inline QNetworkRequest soapRequest(const QString &endpoint, const QByteArray &action = {}) {
    QNetworkRequest request{QUrl(endpoint)};
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("text/xml; charset=utf-8"));
    if (!action.isEmpty()) {
        request.setRawHeader("SOAPAction", action);
    }
    return request;
}

inline HttpResult postSoap(QNetworkAccessManager &nam, const QString &endpoint, const QByteArray &body) {
    return finish(nam.post(soapRequest(endpoint), body));
}

inline HttpResult postRequest(QNetworkAccessManager &nam, const QString &endpoint,
                              const Soap::Request &request) {
    return finish(nam.post(soapRequest(endpoint, Soap::SoapAction(request.op)), Soap::WriteRequest(request)));
}
