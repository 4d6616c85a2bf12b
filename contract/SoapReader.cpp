// Reading requests (server) and answers (client). Elements are matched by local name whatever their
// prefix or namespace declarations; a DTD is refused before anything in it could be expanded.

#include "Base64Runs.h"
#include "ChunkedBytes.h"
#include "SoapCodec.h"
#include "XmlTagGuard.h"

#include "core/Base64.h"

#include <QXmlStreamReader>

#include <memory>

namespace Soap {
namespace {

class Reader {
public:
    // The reader takes the message through a device, a few kilobytes at a time, rather than turning
    // all of it into UTF-16 text at once; the photos' Base64 contents are lifted out before it
    // (see Base64Runs), so that it tokenises a skeleton of the message.
    explicit Reader(const QByteArray &envelope) : Reader(QByteArrayList{envelope}) {}
    // A message in the pieces it arrived in; each piece is freed once scanned.
    explicit Reader(QByteArrayList &&parts) { start(runs_.lift(std::move(parts))); }
    // A message whose runs were lifted while it arrived: text is what Base64Runs::finish() gave.
    Reader(Base64Runs &&runs, QByteArrayList &&text) : runs_(std::move(runs)) { start(std::move(text)); }

    // Moves to the next element child of the current element; false once the current element ends.
    bool nextChild() {
        while (true) {
            switch (xml_.readNext()) {
            case QXmlStreamReader::StartElement:
                return true;
            case QXmlStreamReader::EndElement:
            case QXmlStreamReader::EndDocument:
                return false;
            case QXmlStreamReader::DTD:
                throw SoapError(
                    QStringLiteral("unreadable message: a document type declaration is not allowed"));
            case QXmlStreamReader::EntityReference:
                throw SoapError(QStringLiteral("unreadable message: entity reference '%1'").arg(xml_.name()));
            case QXmlStreamReader::Invalid:
                fail();
            default:
                break; // text between elements, comments, processing instructions
            }
        }
    }

    QStringView name() const { return xml_.name(); }
    QStringView namespaceUri() const { return xml_.namespaceUri(); }

    void skip() {
        xml_.skipCurrentElement();
        check();
    }

    QString text() {
        QString value = xml_.readElementText(QXmlStreamReader::SkipChildElements);
        check();
        return runs_.empty() ? value : runs_.restore(std::move(value));
    }

    int number() {
        const QString value = text().trimmed();
        if (value.isEmpty()) {
            return 0;
        }
        bool ok = false;
        const int n = value.toInt(&ok);
        if (!ok) {
            throw SoapError(QStringLiteral("unreadable message: field %1 is not an integer").arg(fieldName_));
        }
        return n;
    }

    // A Base64 element, decoded from the reader's own text as it comes (characters outside the
    // alphabet are skipped; child elements are skipped whole, as for text()).
    QByteArray bytes() {
        if (!runs_.empty()) {
            // What is left of the contents is short: a marker, or a run too short or too unusual
            // to lift.
            QString value = xml_.readElementText(QXmlStreamReader::SkipChildElements);
            check();
            if (auto lifted = runs_.take(value)) {
                return *std::move(lifted);
            }
            Base64Decoder decoder;
            decoder.feed(runs_.restore(std::move(value)));
            return decoder.take();
        }
        Base64Decoder decoder;
        while (true) {
            switch (xml_.readNext()) {
            case QXmlStreamReader::Characters:
            case QXmlStreamReader::EntityReference:
                decoder.feed(xml_.text());
                break;
            case QXmlStreamReader::StartElement:
                skip();
                break;
            case QXmlStreamReader::EndElement:
                return decoder.take();
            case QXmlStreamReader::EndDocument:
            case QXmlStreamReader::Invalid:
                fail();
            default:
                break; // comments, processing instructions
            }
        }
    }

    // Reads the current element's children with field(reader, localName) for each; the field
    // function either consumes the element or leaves it for skip().
    template <typename Field> void children(Field field) {
        while (nextChild()) {
            fieldName_ = xml_.name().toString();
            if (!field(xml_.name())) {
                skip();
            }
        }
    }

    // Reads to the end of the document so that a cut-off or malformed tail is noticed.
    void finish() {
        while (!xml_.atEnd()) {
            if (xml_.readNext() == QXmlStreamReader::DTD) {
                throw SoapError(
                    QStringLiteral("unreadable message: a document type declaration is not allowed"));
            }
        }
        check();
    }

    void check() {
        if (xml_.hasError()) {
            fail();
        }
    }

private:
    // The tag check reads what the XML reader will read: the skeleton when runs were lifted (a run
    // holds no markup, so it can neither hide a tag from the check nor add one).
    void start(QByteArrayList &&text) {
        if (const auto refused = CheckXmlTags(text)) {
            throw SoapError(*refused);
        }
        input_ = std::make_unique<ChunkDevice>(std::move(text));
        xml_.setDevice(input_.get());
    }

    [[noreturn]] void fail() {
        throw SoapError(QStringLiteral("unreadable message (line %1, column %2): %3")
                            .arg(xml_.lineNumber())
                            .arg(xml_.columnNumber())
                            .arg(xml_.errorString()));
    }

    Base64Runs runs_;
    std::unique_ptr<QIODevice> input_;
    QXmlStreamReader xml_;
    QString fieldName_;
};

// Field readers: true when the element was a field of the record and has been consumed.
bool readField(Reader &r, QStringView name, TPictureInfo &p) {
    if (name == u"F_ID") {
        p.F_ID = r.text();
    } else if (name == u"F_COMPANYID") {
        p.F_COMPANYID = r.text();
    } else if (name == u"F_PHOTO") {
        p.F_PHOTO = r.bytes();
    } else if (name == u"F_SMALLPHOTO") {
        p.F_SMALLPHOTO = r.bytes();
    } else if (name == u"F_BUSFLAG") {
        p.F_BUSFLAG = r.text();
    } else if (name == u"F_FLAG") {
        p.F_FLAG = r.text();
    } else if (name == u"F_MEMO") {
        p.F_MEMO = r.text();
    } else if (name == u"F_INPUTTIME") {
        p.F_INPUTTIME = r.text();
    } else if (name == u"F_ISEXISTS") {
        p.F_ISEXISTS = r.text();
    } else {
        return false;
    }
    return true;
}

bool readField(Reader &r, QStringView name, TPicResultInfo &p) {
    if (name == u"F_OPERRESULT") {
        p.F_OPERRESULT = r.text();
    } else if (name == u"F_MAXNUMBER") {
        p.F_MAXNUMBER = r.number();
    } else if (name == u"F_ZOOMWDITH") {
        p.F_ZOOMWDITH = r.number();
    } else if (name == u"F_ZOOMHEIGHT") {
        p.F_ZOOMHEIGHT = r.number();
    } else if (name == u"F_PICLIST") {
        p.F_PICLIST.clear();
        while (r.nextChild()) {
            TPictureInfo &entry = p.F_PICLIST.emplace_back();
            r.children([&](QStringView field) { return readField(r, field, entry); });
        }
    } else if (name == u"F_FLAGLIST") {
        p.F_FLAGLIST.clear();
        while (r.nextChild()) {
            p.F_FLAGLIST.append(r.text());
        }
    } else if (name == u"F_PHOTO") {
        p.F_PHOTO = r.bytes();
    } else if (name == u"F_FLAG") {
        p.F_FLAG = r.number();
    } else {
        return false;
    }
    return true;
}

bool readField(Reader &r, QStringView name, TUserInfo &u) {
    QString *target = name == u"F_OPERRESULT"  ? &u.F_OPERRESULT
                      : name == u"F_USERID"    ? &u.F_USERID
                      : name == u"F_USERNAME"  ? &u.F_USERNAME
                      : name == u"F_ORGID"     ? &u.F_ORGID
                      : name == u"F_ORGNAME"   ? &u.F_ORGNAME
                      : name == u"F_LOGINDATE" ? &u.F_LOGINDATE
                                               : nullptr;
    if (target) {
        *target = r.text();
    }
    return target;
}

bool readField(Reader &r, QStringView name, TCompanyInfo &c) {
    QString *target = name == u"F_OPERRESULT"    ? &c.F_OPERRESULT
                      : name == u"F_COMPANYTYPE" ? &c.F_COMPANYTYPE
                      : name == u"F_COMPANYNAME" ? &c.F_COMPANYNAME
                      : name == u"F_CUSTOMERID"  ? &c.F_CUSTOMERID
                      : name == u"F_SOFTWAREID"  ? &c.F_SOFTWAREID
                      : name == u"F_DEVICEID"    ? &c.F_DEVICEID
                                                 : nullptr;
    if (target) {
        *target = r.text();
    }
    return target;
}

bool readField(Reader &r, QStringView name, Header &h) {
    QString *target = name == u"F_CUSTOMERID"    ? &h.F_CUSTOMERID
                      : name == u"F_SOFTWAREID"  ? &h.F_SOFTWAREID
                      : name == u"F_DEVICECODE"  ? &h.F_DEVICECODE
                      : name == u"F_COMPANYTYPE" ? &h.F_COMPANYTYPE
                      : name == u"F_VERSIONNUM"  ? &h.F_VERSIONNUM
                                                 : nullptr;
    if (target) {
        *target = r.text();
    }
    return target;
}

template <typename Record> Record readRecord(Reader &r) {
    Record record;
    r.children([&](QStringView field) { return readField(r, field, record); });
    return record;
}

bool isResultName(QStringView name) {
    return name.compare(u"Result", Qt::CaseInsensitive) == 0 ||
           name.compare(u"Return", Qt::CaseInsensitive) == 0;
}

// Walks Envelope; calls onHeader for the SOAP Header element (if any) and onBody for the first
// element child of Body, each positioned on that element and expected to consume it.
template <typename OnHeader, typename OnBody> void readEnvelope(Reader &r, OnHeader onHeader, OnBody onBody) {
    if (!r.nextChild()) {
        r.check();
        throw SoapError(QStringLiteral("unreadable message: no XML element"));
    }
    if (r.name() != u"Envelope") {
        throw SoapError(
            QStringLiteral("unreadable message: root element '%1' is not a SOAP envelope").arg(r.name()));
    }
    bool sawBody = false;
    while (r.nextChild()) {
        if (r.name() == u"Header" && !sawBody) {
            onHeader();
        } else if (r.name() == u"Body" && !sawBody) {
            sawBody = true;
            if (!r.nextChild()) {
                throw SoapError(QStringLiteral("unreadable message: empty SOAP body"));
            }
            onBody();
            while (r.nextChild()) {
                r.skip();
            }
        } else {
            r.skip();
        }
    }
    r.finish();
    if (!sawBody) {
        throw SoapError(QStringLiteral("unreadable message: no SOAP body"));
    }
}

// The result record of an answer: the only element child of the response element, or among
// several the one named Result or Return.
template <typename Record> Record readAnswer(Reader &r) {
    Record result;
    std::optional<SoapFault> fault;
    QString problem;
    readEnvelope(
        r, [&] { r.skip(); },
        [&] {
            if (r.name() == u"Fault") {
                QString code;
                QString string;
                r.children([&](QStringView field) {
                    if (field == u"faultcode") {
                        code = r.text();
                    } else if (field == u"faultstring") {
                        string = r.text();
                    } else {
                        return false;
                    }
                    return true;
                });
                fault.emplace(code.trimmed(), string);
                return;
            }
            const QString response = r.name().toString();
            // Prefixes vary among peers; the namespace of the answer element may not.
            if (r.namespaceUri() != QLatin1String(kServiceNamespace)) {
                throw SoapError(QStringLiteral("unreadable message: '%1' is in namespace '%2', not '%3'")
                                    .arg(response, r.namespaceUri(), QLatin1String(kServiceNamespace)));
            }
            int count = 0;
            std::optional<Record> first;
            std::optional<Record> named;
            while (r.nextChild()) {
                ++count;
                const bool isNamed = !named && isResultName(r.name());
                Record record = readRecord<Record>(r);
                if (isNamed) {
                    named = std::move(record);
                } else if (!first) {
                    first = std::move(record);
                }
            }
            if (count == 1) {
                result = std::move(named ? *named : *first);
            } else if (named) {
                result = std::move(*named);
            } else if (count == 0) {
                problem = QStringLiteral("unreadable answer: '%1' holds no result record").arg(response);
            } else {
                problem = QStringLiteral(
                              "unreadable answer: '%1' holds %2 elements and none is named Result or Return")
                              .arg(response)
                              .arg(count);
            }
        });
    if (fault) {
        throw *fault;
    }
    if (!problem.isEmpty()) {
        throw SoapError(problem);
    }
    return result;
}

} // namespace

Request ReadRequest(const QByteArray &envelope) {
    Reader r(envelope);
    Request request;
    readEnvelope(
        r,
        [&] {
            while (r.nextChild()) {
                if (r.name() == u"Header") {
                    request.header = readRecord<Header>(r);
                } else {
                    r.skip();
                }
            }
        },
        [&] {
            const std::optional<Operation> op = OperationFromName(r.name());
            if (!op) {
                throw SoapError(QStringLiteral("unknown operation '%1'").arg(r.name()));
            }
            request.op = *op;
            r.children([&](QStringView field) {
                if (field == u"aPhotoId") {
                    request.aPhotoId = r.text();
                } else if (field == u"aFlag") {
                    request.aFlag = r.text();
                } else if (field == u"aPicInfo") {
                    request.aPicInfo = readRecord<TPictureInfo>(r);
                } else {
                    return false;
                }
                return true;
            });
        });
    return request;
}

TPicResultInfo ReadPicResult(const QByteArray &envelope) {
    Reader r(envelope);
    return readAnswer<TPicResultInfo>(r);
}
TPicResultInfo ReadPicResult(QByteArrayList &&parts) {
    PicResultStream stream;
    while (!parts.isEmpty()) {
        stream.feed(parts.takeFirst()); // each piece is freed once scanned
    }
    return stream.finish();
}
TUserInfo ReadUserInfo(const QByteArray &envelope) {
    Reader r(envelope);
    return readAnswer<TUserInfo>(r);
}
TCompanyInfo ReadCompanyInfo(const QByteArray &envelope) {
    Reader r(envelope);
    return readAnswer<TCompanyInfo>(r);
}

PicResultStream::PicResultStream() : runs_(std::make_unique<Base64Runs>()) {}
PicResultStream::~PicResultStream() = default;

void PicResultStream::feed(QByteArrayView piece) {
    runs_->feed(piece);
}

void PicResultStream::setPhotoObserver(std::function<void(const QByteArray &)> observer) {
    runs_->setRunObserver(std::move(observer));
}

TPicResultInfo PicResultStream::finish() {
    QByteArrayList text = runs_->finish();
    Reader r(std::move(*runs_), std::move(text));
    return readAnswer<TPicResultInfo>(r);
}

} // namespace Soap
