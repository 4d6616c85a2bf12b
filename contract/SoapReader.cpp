// Reading requests (server) and answers (client) with one streaming reader: the message's bytes go
// through expat as they come, each element's content is read by a small object pushed for it, and
// the photos' Base64 is decoded on the way, into their field or into a PhotoSink. Elements are
// matched by local name whatever their prefix; the answer element must be in the service's
// namespace.

#include "SoapCodec.h"
#include "XmlPushParser.h"

#include "core/Base64.h"

#include <functional>
#include <memory>
#include <vector>

namespace Soap {
namespace {

// What one element's content means. Elements for which child() gives nothing are skipped whole,
// text within them included.
class Content {
public:
    virtual ~Content() = default;
    virtual std::unique_ptr<Content> child(QByteArrayView namespaceUri, QByteArrayView name) {
        (void)namespaceUri;
        (void)name;
        return nullptr;
    }
    virtual void characters(QByteArrayView text) { (void)text; }
    virtual void end() {}
};
using ContentPtr = std::unique_ptr<Content>;

// A record or list: each child read by a function; atEnd, if any, runs when the element ends.
class Children : public Content {
public:
    using Child = std::function<ContentPtr(QByteArrayView namespaceUri, QByteArrayView name)>;
    explicit Children(Child child, std::function<void()> atEnd = {})
        : child_(std::move(child)), atEnd_(std::move(atEnd)) {}
    ContentPtr child(QByteArrayView namespaceUri, QByteArrayView name) override {
        return child_(namespaceUri, name);
    }
    void end() override {
        if (atEnd_) {
            atEnd_();
        }
    }

private:
    Child child_;
    std::function<void()> atEnd_;
};

ContentPtr children(Children::Child child, std::function<void()> atEnd = {}) {
    return std::make_unique<Children>(std::move(child), std::move(atEnd));
}

// The element's own text (that of its child elements left out), handed to done at its end.
class Text : public Content {
public:
    explicit Text(std::function<void(QString)> done) : done_(std::move(done)) {}
    void characters(QByteArrayView text) override { utf8_.append(text); }
    void end() override { done_(QString::fromUtf8(utf8_)); }

private:
    QByteArray utf8_;
    std::function<void(QString)> done_;
};

ContentPtr text(QString &field) {
    return std::make_unique<Text>([&field](QString value) { field = std::move(value); });
}

ContentPtr number(int &field, QByteArrayView name) {
    return std::make_unique<Text>([&field, name = QString::fromUtf8(name)](const QString &value) {
        const QString trimmed = value.trimmed();
        bool ok = trimmed.isEmpty();
        field = ok ? 0 : trimmed.toInt(&ok);
        if (!ok) {
            throw SoapError(QStringLiteral("unreadable message: field %1 is not an integer").arg(name));
        }
    });
}

// Base64 content decoded as it comes (characters outside the alphabet are skipped), into the
// field, or handed on to a sink in blocks.
class Bytes : public Content {
public:
    Bytes(QByteArray &field, PhotoSink *sink) : field_(field), sink_(sink) {}
    void characters(QByteArrayView text) override {
        decoder_.feed(text);
        if (sink_ && decoder_.decoded().size() >= kBlock) {
            sink_->write(decoder_.decoded());
            decoder_.dropDecoded();
        }
    }
    void end() override {
        if (!sink_) {
            field_ = decoder_.take();
            return;
        }
        sink_->write(decoder_.take());
        sink_->close();
    }

private:
    static constexpr qsizetype kBlock = 64 * 1024;
    QByteArray &field_;
    PhotoSink *sink_;
    Base64Decoder decoder_;
};

ContentPtr bytes(QByteArray &field) {
    return std::make_unique<Bytes>(field, nullptr);
}

// A photo of a picture: offered to the sink under the picture's ID when it has one by now.
ContentPtr photo(QByteArray &field, PhotoSink *sink, const QString &photoId, PhotoVersion version) {
    if (sink && !photoId.isEmpty() && sink->open(photoId, version)) {
        field.clear();
        return std::make_unique<Bytes>(field, sink);
    }
    return bytes(field);
}

// Field readers: the content of a field of the record, nothing for other elements.
ContentPtr field(TPictureInfo &p, QByteArrayView name, PhotoSink *sink);
ContentPtr field(TPicResultInfo &p, QByteArrayView name, PhotoSink *sink);
ContentPtr field(TUserInfo &u, QByteArrayView name, PhotoSink *);
ContentPtr field(TCompanyInfo &c, QByteArrayView name, PhotoSink *);
ContentPtr field(Header &h, QByteArrayView name, PhotoSink *);

template <typename Record> ContentPtr record(Record &r, PhotoSink *sink = nullptr) {
    return children([&r, sink](QByteArrayView, QByteArrayView name) { return field(r, name, sink); });
}

ContentPtr field(TPictureInfo &p, QByteArrayView name, PhotoSink *sink) {
    if (name == "F_PHOTO") {
        return photo(p.F_PHOTO, sink, p.F_ID, PhotoVersion::Source);
    }
    if (name == "F_SMALLPHOTO") {
        return photo(p.F_SMALLPHOTO, sink, p.F_ID, PhotoVersion::Small);
    }
    QString *target = name == "F_ID"          ? &p.F_ID
                      : name == "F_COMPANYID" ? &p.F_COMPANYID
                      : name == "F_BUSFLAG"   ? &p.F_BUSFLAG
                      : name == "F_FLAG"      ? &p.F_FLAG
                      : name == "F_MEMO"      ? &p.F_MEMO
                      : name == "F_INPUTTIME" ? &p.F_INPUTTIME
                      : name == "F_ISEXISTS"  ? &p.F_ISEXISTS
                                              : nullptr;
    return target ? text(*target) : nullptr;
}

ContentPtr field(TPicResultInfo &p, QByteArrayView name, PhotoSink *sink) {
    if (name == "F_OPERRESULT") {
        return text(p.F_OPERRESULT);
    }
    if (int *target = name == "F_MAXNUMBER"    ? &p.F_MAXNUMBER
                      : name == "F_ZOOMWDITH"  ? &p.F_ZOOMWDITH
                      : name == "F_ZOOMHEIGHT" ? &p.F_ZOOMHEIGHT
                      : name == "F_FLAG"       ? &p.F_FLAG
                                               : nullptr) {
        return number(*target, name);
    }
    if (name == "F_PHOTO") {
        return bytes(p.F_PHOTO);
    }
    if (name == "F_PICLIST") {
        p.F_PICLIST.clear();
        // An entry is complete before the next begins: the reference into the list stays valid.
        return children(
            [&p, sink](QByteArrayView, QByteArrayView) { return record(p.F_PICLIST.emplace_back(), sink); });
    }
    if (name == "F_FLAGLIST") {
        p.F_FLAGLIST.clear();
        return children([&p](QByteArrayView, QByteArrayView) { return text(p.F_FLAGLIST.emplace_back()); });
    }
    return nullptr;
}

ContentPtr field(TUserInfo &u, QByteArrayView name, PhotoSink *) {
    QString *target = name == "F_OPERRESULT"  ? &u.F_OPERRESULT
                      : name == "F_USERID"    ? &u.F_USERID
                      : name == "F_USERNAME"  ? &u.F_USERNAME
                      : name == "F_ORGID"     ? &u.F_ORGID
                      : name == "F_ORGNAME"   ? &u.F_ORGNAME
                      : name == "F_LOGINDATE" ? &u.F_LOGINDATE
                                              : nullptr;
    return target ? text(*target) : nullptr;
}

ContentPtr field(TCompanyInfo &c, QByteArrayView name, PhotoSink *) {
    QString *target = name == "F_OPERRESULT"    ? &c.F_OPERRESULT
                      : name == "F_COMPANYTYPE" ? &c.F_COMPANYTYPE
                      : name == "F_COMPANYNAME" ? &c.F_COMPANYNAME
                      : name == "F_CUSTOMERID"  ? &c.F_CUSTOMERID
                      : name == "F_SOFTWAREID"  ? &c.F_SOFTWAREID
                      : name == "F_DEVICEID"    ? &c.F_DEVICEID
                                                : nullptr;
    return target ? text(*target) : nullptr;
}

ContentPtr field(Header &h, QByteArrayView name, PhotoSink *) {
    QString *target = name == "F_CUSTOMERID"    ? &h.F_CUSTOMERID
                      : name == "F_SOFTWAREID"  ? &h.F_SOFTWAREID
                      : name == "F_DEVICECODE"  ? &h.F_DEVICECODE
                      : name == "F_COMPANYTYPE" ? &h.F_COMPANYTYPE
                      : name == "F_VERSIONNUM"  ? &h.F_VERSIONNUM
                                                : nullptr;
    return target ? text(*target) : nullptr;
}

// Hands each element to the content object of the element it is in.
class Message final : public XmlEvents {
public:
    explicit Message(ContentPtr document) { open_.push_back(std::move(document)); }

    void startElement(QByteArrayView namespaceUri, QByteArrayView name) override {
        ContentPtr content = skipped_ > 0 ? nullptr : open_.back()->child(namespaceUri, name);
        if (content) {
            open_.push_back(std::move(content));
        } else {
            ++skipped_;
        }
    }
    void endElement() override {
        if (skipped_ > 0) {
            --skipped_;
            return;
        }
        const ContentPtr ended = std::move(open_.back());
        open_.pop_back();
        ended->end();
    }
    void characters(QByteArrayView text) override {
        if (skipped_ == 0) {
            open_.back()->characters(text);
        }
    }

private:
    std::vector<ContentPtr> open_; // the document, then each element open and read
    int skipped_ = 0;              // depth within an element skipped whole
};

// The SOAP envelope: the content of its first Header and of the first element child of its first
// Body, the rest skipped. The envelope and its body are required.
class Envelope {
public:
    using Part = Children::Child;
    Envelope(Part header, Part body)
        : message_(children([this, header = std::move(header), body = std::move(body)](QByteArrayView,
                                                                                       QByteArrayView name) {
              if (name != "Envelope") {
                  throw SoapError(
                      QStringLiteral("unreadable message: root element '%1' is not a SOAP envelope")
                          .arg(QString::fromUtf8(name)));
              }
              return children([this, header, body](QByteArrayView, QByteArrayView part) -> ContentPtr {
                  if (sawBody_) {
                      return nullptr;
                  }
                  if (part == "Header") {
                      return children(header);
                  }
                  if (part != "Body") {
                      return nullptr;
                  }
                  sawBody_ = true;
                  auto first = std::make_shared<bool>(false);
                  return children(
                      [body, first](QByteArrayView ns, QByteArrayView name) {
                          return std::exchange(*first, true) ? nullptr : body(ns, name);
                      },
                      [first] {
                          if (!*first) {
                              throw SoapError(QStringLiteral("unreadable message: empty SOAP body"));
                          }
                      });
              });
          })),
          parser_(message_) {}

    void feed(QByteArrayView piece) { parser_.feed(piece); }
    void finish() {
        parser_.finish();
        if (!sawBody_) {
            throw SoapError(QStringLiteral("unreadable message: no SOAP body"));
        }
    }

private:
    bool sawBody_ = false;
    Message message_;
    XmlPushParser parser_;
};

bool isResultName(QByteArrayView name) {
    return name.compare("Result", Qt::CaseInsensitive) == 0 ||
           name.compare("Return", Qt::CaseInsensitive) == 0;
}

// An answer: a fault, or the response element whose result record is its only element child, or
// among several the one named Result or Return.
template <typename Record> class Answer {
public:
    explicit Answer(PhotoSink *sink = nullptr)
        : envelope_([](QByteArrayView, QByteArrayView) { return nullptr; },
                    [this, sink](QByteArrayView ns, QByteArrayView name) { return body(ns, name, sink); }) {}

    void feed(QByteArrayView piece) { envelope_.feed(piece); }
    Record finish() {
        envelope_.finish();
        if (fault_) {
            throw *fault_;
        }
        if (!problem_.isEmpty()) {
            throw SoapError(problem_);
        }
        return std::move(result_);
    }

private:
    ContentPtr body(QByteArrayView ns, QByteArrayView name, PhotoSink *sink) {
        if (name == "Fault") {
            return children(
                [this](QByteArrayView, QByteArrayView field) {
                    return field == "faultcode"     ? text(faultCode_)
                           : field == "faultstring" ? text(faultString_)
                                                    : nullptr;
                },
                [this] { fault_.emplace(faultCode_.trimmed(), faultString_); });
        }
        const QString response = QString::fromUtf8(name);
        // Prefixes vary among peers; the namespace of the answer element may not.
        if (ns != kServiceNamespace) {
            throw SoapError(QStringLiteral("unreadable message: '%1' is in namespace '%2', not '%3'")
                                .arg(response, QString::fromUtf8(ns), QLatin1String(kServiceNamespace)));
        }
        return children(
            [this, sink](QByteArrayView, QByteArrayView child) -> ContentPtr {
                ++count_;
                if (!named_ && isResultName(child)) {
                    return record(named_.emplace(), sink);
                }
                return first_ ? nullptr : record(first_.emplace(), sink);
            },
            [this, response] { pick(response); });
    }

    void pick(const QString &response) {
        if (named_ || count_ == 1) {
            result_ = std::move(named_ ? *named_ : *first_);
        } else if (count_ == 0) {
            problem_ = QStringLiteral("unreadable answer: '%1' holds no result record").arg(response);
        } else {
            problem_ =
                QStringLiteral("unreadable answer: '%1' holds %2 elements and none is named Result or Return")
                    .arg(response)
                    .arg(count_);
        }
    }

    Record result_;
    std::optional<Record> first_;
    std::optional<Record> named_;
    int count_ = 0;
    QString faultCode_;
    QString faultString_;
    std::optional<SoapFault> fault_;
    QString problem_;
    Envelope envelope_; // last: its reading refers to the members above
};

template <typename Record> Record readAnswer(QByteArrayView message) {
    Answer<Record> answer;
    answer.feed(message);
    return answer.finish();
}

} // namespace

Request ReadRequest(const QByteArray &message) {
    Request request;
    Envelope envelope(
        [&request](QByteArrayView, QByteArrayView name) {
            return name == "Header" ? record(request.header) : nullptr;
        },
        [&request](QByteArrayView, QByteArrayView name) {
            const std::optional<Operation> op = OperationFromName(QString::fromUtf8(name));
            if (!op) {
                throw SoapError(QStringLiteral("unknown operation '%1'").arg(QString::fromUtf8(name)));
            }
            request.op = *op;
            return children([&request](QByteArrayView, QByteArrayView field) {
                return field == "aPhotoId"   ? text(request.aPhotoId)
                       : field == "aFlag"    ? text(request.aFlag)
                       : field == "aPicInfo" ? record(request.aPicInfo)
                                             : nullptr;
            });
        });
    envelope.feed(message);
    envelope.finish();
    return request;
}

TPicResultInfo ReadPicResult(const QByteArray &message) {
    return readAnswer<TPicResultInfo>(message);
}
TPicResultInfo ReadPicResult(QByteArrayList &&parts) {
    PicResultStream stream;
    while (!parts.isEmpty()) {
        stream.feed(parts.takeFirst()); // each piece is freed once read
    }
    return stream.finish();
}
TUserInfo ReadUserInfo(const QByteArray &message) {
    return readAnswer<TUserInfo>(message);
}
TCompanyInfo ReadCompanyInfo(const QByteArray &message) {
    return readAnswer<TCompanyInfo>(message);
}

class PicResultStream::State {
public:
    explicit State(PhotoSink *sink) : answer(sink) {}
    Answer<TPicResultInfo> answer;
    std::exception_ptr error; // the first, kept for finish()
};

PicResultStream::PicResultStream(PhotoSink *sink) : state_(std::make_unique<State>(sink)) {}
PicResultStream::~PicResultStream() = default;

void PicResultStream::feed(QByteArrayView piece) {
    if (state_->error) {
        return;
    }
    try {
        state_->answer.feed(piece);
    } catch (...) {
        state_->error = std::current_exception();
    }
}

TPicResultInfo PicResultStream::finish() {
    if (state_->error) {
        std::rethrow_exception(state_->error);
    }
    return state_->answer.finish();
}

} // namespace Soap
