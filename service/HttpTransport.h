#pragma once
// One blocking HTTP POST of a SOAP message. Usable on the GUI thread (user input is held back while it
// waits) and on any worker thread: the network objects live on the calling thread for one call.
// A server that stops making progress for the idle time-out, or an answer above the size cap, ends the
// call with an exception instead of a frozen client or exhausted memory.

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QUrl>

#include <chrono>
#include <stdexcept>

class TransportError : public std::runtime_error {
public:
    explicit TransportError(const QString &message) : std::runtime_error(message.toStdString()) {}
};

struct HttpAnswer {
    int status = 0; // HTTP status code
    QString reason; // its reason phrase
    // The body in the pieces it arrived in, not joined: a large answer is read piece by piece and
    // each piece freed once read (QByteArrayList::join() gives one array).
    QByteArrayList body;
};

namespace HttpTransport {

inline constexpr std::chrono::milliseconds kIdleTimeout{60'000};
inline constexpr qint64 kMaxAnswerBytes = qint64(256) * 1024 * 1024;

// Posts body as text/xml; charset=utf-8 with the SOAPAction header. Returns the answer whatever its
// HTTP status; throws TransportError when no complete answer arrived (connection failure, idle
// time-out, answer larger than maxBytes, an https server whose certificate fails verification against
// caFile or, when it is empty, the system's CAs; the message then names the reasons).
HttpAnswer Post(const QUrl &url, const QByteArray &soapAction, const QByteArray &body,
                std::chrono::milliseconds idleTimeout = kIdleTimeout, qint64 maxBytes = kMaxAnswerBytes,
                const QString &caFile = QString());

} // namespace HttpTransport
