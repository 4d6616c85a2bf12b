// Feeds arbitrary bytes to every SOAP reader: each must return a record or throw its own error.
// An answer read whole and read in pieces (their size taken from the input) with a sink taking the
// small versions must agree: both fail, or both give the same record, each photo the sink took
// being the one the whole reading left in its field.

#include "contract/SoapCodec.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace {

struct Sink : PhotoSink {
    QList<QByteArray> closed;
    QByteArray current;
    bool open(const QString &, PhotoVersion version) override {
        current.clear();
        return version == PhotoVersion::Small;
    }
    void write(QByteArrayView bytes) override { current.append(bytes); }
    void close() override { closed.append(current); }
};

template <typename Read> auto attempt(Read read) -> std::optional<decltype(read())> {
    try {
        return read();
    } catch (const Soap::SoapError &) {
    } catch (const Soap::SoapFault &) {
    }
    return std::nullopt;
}

bool sameExceptSmallPhoto(const TPictureInfo &a, const TPictureInfo &b) {
    return a.F_ID == b.F_ID && a.F_COMPANYID == b.F_COMPANYID && a.F_PHOTO == b.F_PHOTO &&
           a.F_BUSFLAG == b.F_BUSFLAG && a.F_FLAG == b.F_FLAG && a.F_MEMO == b.F_MEMO &&
           a.F_INPUTTIME == b.F_INPUTTIME && a.F_ISEXISTS == b.F_ISEXISTS;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const qsizetype piece = size > 0 ? 1 + data[0] % 97 : 1;
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    const auto whole = attempt([&] { return Soap::ReadPicResult(bytes); });
    Sink sink;
    const auto streamed = attempt([&] {
        Soap::PicResultStream stream(&sink);
        for (qsizetype at = 0; at < bytes.size(); at += piece) {
            stream.feed(QByteArrayView(bytes).sliced(at, qMin(piece, bytes.size() - at)));
        }
        return stream.finish();
    });
    if (whole.has_value() != streamed.has_value()) {
        __builtin_trap();
    }
    if (whole) {
        const TPicResultInfo &a = *whole;
        const TPicResultInfo &b = *streamed;
        if (a.F_OPERRESULT != b.F_OPERRESULT || a.F_MAXNUMBER != b.F_MAXNUMBER || a.F_PHOTO != b.F_PHOTO ||
            a.F_FLAGLIST != b.F_FLAGLIST || a.F_PICLIST.size() != b.F_PICLIST.size()) {
            __builtin_trap();
        }
        for (qsizetype i = 0; i < a.F_PICLIST.size(); ++i) {
            const TPictureInfo &p = a.F_PICLIST[i];
            const TPictureInfo &q = b.F_PICLIST[i];
            if (!sameExceptSmallPhoto(p, q) ||
                (q.F_SMALLPHOTO != p.F_SMALLPHOTO &&
                 (!q.F_SMALLPHOTO.isEmpty() || !sink.closed.contains(p.F_SMALLPHOTO)))) {
                __builtin_trap();
            }
        }
    }
    attempt([&] { return Soap::ReadUserInfo(bytes); });
    attempt([&] { return Soap::ReadCompanyInfo(bytes); });
    attempt([&] { return Soap::ReadRequest(bytes); });
    return 0;
}
