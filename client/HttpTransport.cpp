#include "HttpTransport.h"

#include "RequestBody.h"
#include "SendBuffer.h"
#include "TlsSettings.h"
#include "TransferWatch.h"
#include "TransportText.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringList>

#include <memory>

namespace HttpTransport {
namespace {

// How much the reply may hold before we take it; keeps Qt from buffering an oversized answer.
constexpr qint64 kReadChunk = qint64{1024} * 1024;
// The slices an answer is handed to PostOptions::bodySink in.
constexpr qint64 kSinkSlice = qint64{256} * 1024;

// Network, proxy and protocol failures; the content and server groups only mirror the HTTP status,
// which the caller judges from the answer itself.
bool isBrokenTransfer(QNetworkReply::NetworkError error) {
    const int code = int(error);
    return error != QNetworkReply::NoError && (code < 200 || (code >= 300 && code < 400));
}

// What a failed reply with no usable answer means for the user.
TransportError::Kind failureKind(QNetworkReply::NetworkError error) {
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
        return TransportError::Kind::Unreachable;
    case QNetworkReply::SslHandshakeFailedError:
        return TransportError::Kind::SecureChannel;
    default:
        return TransportError::Kind::Broken;
    }
}

} // namespace

MinimumRate ConfiguredMinimumRate() {
    // Read once: every call of the process follows the same rule.
    static const MinimumRate rate = [] {
        const QStringList parts = qEnvironmentVariable("UPLOADPIC_MIN_RATE").split(u'/');
        bool bytesOk = false;
        bool secondsOk = false;
        const qint64 bytes = parts.size() == 2 ? parts.at(0).toLongLong(&bytesOk) : 0;
        const double seconds = parts.size() == 2 ? parts.at(1).toDouble(&secondsOk) : 0;
        if (!bytesOk || !secondsOk || bytes <= 0 || seconds <= 0 || seconds > 86400) {
            return kMinimumRate;
        }
        return MinimumRate{bytes, std::chrono::milliseconds(qint64(seconds * 1000))};
    }();
    return rate;
}

HttpAnswer Post(const QUrl &url, const QByteArray &soapAction, const QByteArray &body,
                const PostOptions &options) {
    const auto cancelled = [&options] {
        options.control->MarkHonoured();
        return TransferCancelled();
    };
    if (options.control && options.control->IsCancelled()) {
        throw cancelled();
    }
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("text/xml; charset=utf-8"));
    request.setRawHeader(QByteArrayLiteral("SOAPAction"), soapAction);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    const bool tls = url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    if (tls) {
        request.setSslConfiguration(TlsSettings::ClientConfiguration(options.caFile));
    }

    request.setHeader(QNetworkRequest::ContentLengthHeader, body.size());

    // Declared before the reply, which reads it until it is destroyed.
    RequestBody requestBody(body);
    std::unique_ptr<QNetworkReply> reply;
    TransferWatch watch(options, body.size(), [&reply] { reply->abort(); });
    const quint16 port = quint16(url.port(tls ? 443 : 80));
    if (body.size() > SendBuffer::kBytes) { // a smaller body goes out at once whatever the buffer
        requestBody.OnFirstRead = [port] { SendBuffer::BoundConnectionsTo(port); };
    }
    requestBody.OnTaken = [&](qint64 position) {
        watch.Sent(position, body.size());
        if (options.changesServer && requestBody.HandedOver()) {
            watch.Committed();
        }
    };
    reply.reset(manager.post(request, &requestBody));
    reply->setReadBufferSize(kReadChunk);

    QEventLoop loop;

    QByteArrayList received;
    qint64 receivedBytes = 0;
    bool tooLarge = false;
    bool streaming = false; // the body goes to options.bodySink
    QByteArray sinkBuffer;
    const auto refuseAsTooLarge = [&] {
        tooLarge = true;
        watch.End();
        reply->abort();
    };
    const auto take = [&] {
        const qint64 available = reply->bytesAvailable();
        if (receivedBytes + available > options.maxBytes) {
            refuseAsTooLarge();
            return;
        }
        if (streaming) {
            // In slices through one small buffer: memory that stays in the cache rather than new
            // memory to map for each piece.
            sinkBuffer.resize(kSinkSlice);
            for (qint64 left = available; left > 0;) {
                const qint64 n = reply->read(sinkBuffer.data(), qMin(left, kSinkSlice));
                if (n <= 0) {
                    break;
                }
                left -= n;
                receivedBytes += n;
                options.bodySink(QByteArrayView(sinkBuffer.constData(), n));
            }
        } else {
            received.append(reply->read(available));
            receivedBytes += received.constLast().size();
        }
        watch.Received(receivedBytes);
    };
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid()) {
            // Again, now that the request has started: the limit set before reaches only the part
            // that hands data over, and the part that reads the socket would otherwise read ahead of
            // a slow reader without bound (tens of megabytes of a long list). Not for a body without
            // a length: Qt then hands it over in a trickle.
            reply->setReadBufferSize(kReadChunk);
        }
        watch.AnswerStarted(length.isValid() ? length.toLongLong() : -1);
        if (receivedBytes == 0) { // the whole body takes one way
            streaming =
                options.bodySink && reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200;
        }
        if (length.isValid() && length.toLongLong() > options.maxBytes) {
            refuseAsTooLarge();
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

    watch.Start();
    if (!reply->isFinished()) {
        // With a control the user must reach its cancel button; the modal window that shows it keeps
        // every other window from taking input meanwhile.
        loop.exec(options.control ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    }
    watch.End();

    // A cancel that came in while the answer completed still wins: the caller was told it would stop.
    // Not for a change whose whole request went out: the answer tells what the server did.
    if (watch.stopped() == TransferWatch::Stop::Cancelled ||
        (options.control && options.control->IsCancelled() && !watch.committed())) {
        throw cancelled();
    }
    if (watch.stopped() != TransferWatch::Stop::None) {
        throw TransportError(watch.stopped() == TransferWatch::Stop::TooSlow ? TransportError::Kind::TooSlow
                                                                             : TransportError::Kind::NoAnswer,
                             watch.Reason(url), int(options.idleTimeout.count() / 1000));
    }
    if (tooLarge) {
        throw TransportError(TransportError::Kind::TooLarge, TransportText::TooLarge(url, options.maxBytes));
    }
    if (reply->bytesAvailable() > 0) {
        take();
        if (tooLarge) {
            throw TransportError(TransportError::Kind::TooLarge,
                                 TransportText::TooLarge(url, options.maxBytes));
        }
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!certificateProblem.isEmpty()) {
        throw TransportError(TransportError::Kind::CertificateRefused,
                             TransportText::CertificateRefused(url, certificateProblem));
    }
    if (!status.isValid()) {
        throw TransportError(failureKind(reply->error()),
                             TransportText::RequestFailed(url, reply->errorString()));
    }
    if (isBrokenTransfer(reply->error())) {
        // A status line arrived but the connection or the protocol broke before the whole answer did.
        throw TransportError(TransportError::Kind::Broken,
                             TransportText::RequestFailed(url, reply->errorString()));
    }
    HttpAnswer answer;
    answer.status = status.toInt();
    answer.reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    answer.body = std::move(received);
    return answer;
}

} // namespace HttpTransport
