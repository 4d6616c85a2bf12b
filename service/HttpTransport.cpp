#include "HttpTransport.h"

#include "TlsSettings.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <memory>

namespace HttpTransport {
namespace {

// How much the reply may hold before we take it; keeps Qt from buffering an oversized answer.
constexpr qint64 kReadChunk = qint64{1024} * 1024;

// Network, proxy and protocol failures; the content and server groups only mirror the HTTP status,
// which the caller judges from the answer itself.
bool isBrokenTransfer(QNetworkReply::NetworkError error) {
    const int code = int(error);
    return error != QNetworkReply::NoError && (code < 200 || (code >= 300 && code < 400));
}

} // namespace

HttpAnswer Post(const QUrl &url, const QByteArray &soapAction, const QByteArray &body,
                std::chrono::milliseconds idleTimeout, qint64 maxBytes, const QString &caFile) {
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("text/xml; charset=utf-8"));
    request.setRawHeader(QByteArrayLiteral("SOAPAction"), soapAction);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    const bool tls = url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    if (tls) {
        request.setSslConfiguration(TlsSettings::ClientConfiguration(caFile));
    }

    std::unique_ptr<QNetworkReply> reply(manager.post(request, body));
    reply->setReadBufferSize(kReadChunk);

    QEventLoop loop;
    QTimer idle;
    idle.setSingleShot(true);
    idle.setInterval(idleTimeout);

    QByteArrayList received;
    qint64 receivedBytes = 0;
    bool timedOut = false;
    bool tooLarge = false;
    const auto abortWith = [&](bool &flag) {
        flag = true;
        reply->abort();
    };
    const auto progress = [&] { idle.start(); };
    const auto take = [&] {
        idle.start();
        const qint64 available = reply->bytesAvailable();
        if (receivedBytes + available > maxBytes) {
            abortWith(tooLarge);
            return;
        }
        received.append(reply->read(available));
        receivedBytes += received.constLast().size();
    };
    QObject::connect(&idle, &QTimer::timeout, &loop, [&] { abortWith(timedOut); });
    QObject::connect(reply.get(), &QNetworkReply::uploadProgress, &loop, progress);
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, [&] {
        progress();
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maxBytes) {
            abortWith(tooLarge);
        }
    });
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, take);
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QString certificateProblem; // nobody ignores these errors: the reply fails with them
    if (tls) {
        QObject::connect(reply.get(), &QNetworkReply::sslErrors, &loop, [&](const QList<QSslError> &errors) {
            certificateProblem = TlsSettings::Describe(errors);
        });
    }

    idle.start();
    if (!reply->isFinished()) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    idle.stop();

    if (timedOut) {
        throw TransportError(QStringLiteral("no answer from %1 for %2 s")
                                 .arg(url.toString())
                                 .arg(std::chrono::duration<double>(idleTimeout).count()));
    }
    if (tooLarge) {
        throw TransportError(
            QStringLiteral("the answer from %1 is larger than %2 bytes").arg(url.toString()).arg(maxBytes));
    }
    if (reply->bytesAvailable() > 0) {
        take();
        if (tooLarge) {
            throw TransportError(QStringLiteral("the answer from %1 is larger than %2 bytes")
                                     .arg(url.toString())
                                     .arg(maxBytes));
        }
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!certificateProblem.isEmpty()) {
        throw TransportError(QStringLiteral("the certificate of %1 was refused: %2")
                                 .arg(url.toString(QUrl::RemovePath), certificateProblem));
    }
    if (!status.isValid()) {
        throw TransportError(
            QStringLiteral("HTTP request to %1 failed: %2").arg(url.toString(), reply->errorString()));
    }
    if (isBrokenTransfer(reply->error())) {
        // A status line arrived but the connection or the protocol broke before the whole answer did.
        throw TransportError(
            QStringLiteral("HTTP request to %1 failed: %2").arg(url.toString(), reply->errorString()));
    }
    HttpAnswer answer;
    answer.status = status.toInt();
    answer.reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    answer.body = std::move(received);
    return answer;
}

} // namespace HttpTransport
