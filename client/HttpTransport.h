#pragma once
// One blocking HTTP POST of a SOAP message. Usable on the GUI thread and on any worker thread: the
// network objects live on the calling thread for one call. User input is held back while it waits,
// unless the caller hands in a TransferControl: then its modal window stays usable so that the user
// can follow the bytes and cancel.
//
// Three rules end a call that would otherwise hold the client: no progress at all for the idle
// time-out (60 s); an answer above the size cap (256 MiB); and a minimum rate, because a server that
// trickles a byte every few seconds resets the idle time-out each time. The rate rule: while the
// request is being sent or the answer is arriving, every window of 30 s must move at least 16 KiB
// (about 550 bytes a second, below the slowest mobile data link a photo is sent over). The first
// window of each phase is the grace period; the wait between the sent request and the first bytes of
// the answer, while the server works, falls under the idle time-out only. There is no total deadline:
// a big photo over a slow but steady link takes as long as it takes. For tests and trials the
// environment variable UPLOADPIC_MIN_RATE=BYTES/SECONDS replaces the rate (e.g. "64/1").

#include "TransferControl.h"
#include "TransportText.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>

// No complete answer arrived. what() is the technical account for the run log; kind() says what
// happened in terms a person can act on (see FailureReason).
class TransportError : public std::runtime_error {
public:
    enum class Kind {
        Unreachable,        // no connection: refused, no such host, no network
        SecureChannel,      // the TLS handshake failed (e.g. plain HTTP and TLS on the two ends)
        CertificateRefused, // the server's certificate did not pass the check
        NoAnswer,           // nothing moved for the idle time-out
        TooSlow,            // below the minimum rate
        TooLarge,           // the answer passed the size cap
        Broken,             // the connection or the protocol broke during the transfer
        HttpStatus,         // an answer other than 200 that is no SOAP fault
        Configuration,      // the client's own TLS set-up is unusable (no OpenSSL, a bad CA file)
        Cancelled,          // the user stopped the call
    };
    TransportError(Kind kind, const QString &message, int number = 0)
        : std::runtime_error(message.toStdString()), kind_(kind), number_(number) {}
    Kind kind() const { return kind_; }
    // NoAnswer: the idle time-out in seconds; HttpStatus: the status.
    int number() const { return number_; }

private:
    Kind kind_;
    int number_;
};

// The user stopped the call through its TransferControl; nothing of the answer was taken.
class TransferCancelled : public TransportError {
public:
    TransferCancelled() : TransportError(Kind::Cancelled, TransportText::Cancelled()) {}
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

// At least `bytes` in every `window` while data should be flowing.
struct MinimumRate {
    qint64 bytes = 0;
    std::chrono::milliseconds window{0};
};
inline constexpr MinimumRate kMinimumRate{qint64(16) * 1024, std::chrono::milliseconds(30'000)};

// kMinimumRate, or UPLOADPIC_MIN_RATE when it holds a valid BYTES/SECONDS.
MinimumRate ConfiguredMinimumRate();

struct PostOptions {
    std::chrono::milliseconds idleTimeout = kIdleTimeout;
    qint64 maxBytes = kMaxAnswerBytes;
    QString caFile; // https: the CAs to check the server against; empty: the system's
    MinimumRate minimumRate = ConfiguredMinimumRate();
    std::shared_ptr<TransferControl> control; // progress and cancel; may be null
    // The request makes a change (insert, change, delete). Once its whole body has been handed to the
    // network the server may hold it complete and act on it, so a cancel is no longer honoured then:
    // the call runs to its answer, which tells what the server did. Before that an abort leaves the
    // server with an incomplete request, which it drops.
    bool changesServer = false;
    // When set, the body of an answer with status 200 is handed here piece by piece as it arrives,
    // so that the caller reads it during the transfer, and HttpAnswer::body stays empty; other
    // answers are kept in body as usual. A piece is valid during the call only (the pieces are read
    // into one buffer, used again). Must not throw. What it was given counts for nothing when Post()
    // throws.
    std::function<void(QByteArrayView)> bodySink;
};

// Posts body as text/xml; charset=utf-8 with the SOAPAction header. Returns the answer whatever its
// HTTP status; throws TransportError when no complete answer arrived (connection failure, idle
// time-out, too slow a transfer, answer larger than maxBytes, an https server whose certificate fails
// verification against caFile or, when it is empty, the system's CAs; the message then names the
// reasons), and TransferCancelled when the control was cancelled before the call returned (for a
// request that changes the server: before its whole body was handed to the network). The progress
// reported for the request counts the bytes handed to the network, which runs at most a few socket
// buffers ahead of what the server has read: the connection's send buffer is bounded (SendBuffer).
HttpAnswer Post(const QUrl &url, const QByteArray &soapAction, const QByteArray &body,
                const PostOptions &options);

inline HttpAnswer Post(const QUrl &url, const QByteArray &soapAction, const QByteArray &body,
                       std::chrono::milliseconds idleTimeout = kIdleTimeout,
                       qint64 maxBytes = kMaxAnswerBytes, const QString &caFile = QString()) {
    PostOptions options;
    options.idleTimeout = idleTimeout;
    options.maxBytes = maxBytes;
    options.caFile = caFile;
    return Post(url, soapAction, body, options);
}

} // namespace HttpTransport
