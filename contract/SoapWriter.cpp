// Writing the four kinds of message: requests (client), answers and faults (server).

#include "SoapCodec.h"
#include "SoapNames_p.h"

#include "core/Base64.h"

#include <QBuffer>
#include <QXmlStreamWriter>

namespace Soap {
namespace {

using namespace Soap::detail;

// One envelope under construction: the soap: prefix for the frame, the service namespace as the
// default namespace of the header and operation elements, so every descendant inherits it.
class EnvelopeWriter {
public:
    // `reserve`: the bytes the whole message is expected to take, so that it is not reallocated as it grows.
    explicit EnvelopeWriter(qsizetype reserve = 0) {
        bytes_.reserve(reserve);
        buffer_.setBuffer(&bytes_);
        buffer_.open(QIODevice::WriteOnly);
        xml_.setDevice(&buffer_);
        xml_.writeStartDocument();
        xml_.writeNamespace(QString::fromLatin1(kEnvelopeNamespace), QStringLiteral("soap"));
        xml_.writeNamespace(QString::fromLatin1(kXsiNamespace), QStringLiteral("xsi"));
        xml_.writeNamespace(QString::fromLatin1(kXsdNamespace), QStringLiteral("xsd"));
        xml_.writeStartElement(QString::fromLatin1(kEnvelopeNamespace), QStringLiteral("Envelope"));
    }

    void startSoap(const QString &name) {
        xml_.writeStartElement(QString::fromLatin1(kEnvelopeNamespace), name);
    }
    // An element of the contract that declares the service namespace for itself and its children.
    void startService(const QString &name) {
        xml_.writeStartElement(name);
        xml_.writeDefaultNamespace(QString::fromLatin1(kServiceNamespace));
    }
    void start(const QString &name) { xml_.writeStartElement(name); }
    void end() { xml_.writeEndElement(); }

    // A text element. Carriage returns are written as character references: a parser would
    // otherwise turn the CR LF line breaks of Base64 texts into LF, and opaque values must come
    // back exactly as they were sent.
    void text(const QString &name, const QString &value) {
        xml_.writeStartElement(name);
        qsizetype from = 0;
        for (qsizetype at = value.indexOf(u'\r'); at >= 0; at = value.indexOf(u'\r', from)) {
            xml_.writeCharacters(value.mid(from, at - from));
            xml_.writeEntityReference(QStringLiteral("#13"));
            from = at + 1;
        }
        xml_.writeCharacters(from == 0 ? value : value.mid(from));
        xml_.writeEndElement();
    }
    // Base64 needs no escaping, so it is encoded straight into the message.
    void bytes(const QString &name, const QByteArray &value) {
        xml_.writeStartElement(name);
        xml_.writeCharacters(QString()); // closes the start tag
        AppendBase64(bytes_, value);
        buffer_.seek(bytes_.size());
        xml_.writeEndElement();
    }
    void number(const QString &name, int value) { xml_.writeTextElement(name, QString::number(value)); }
    // Bytes already in their final form go in as they are.
    void raw(const QByteArray &value) {
        xml_.writeCharacters(QString()); // closes the start tag
        bytes_.append(value);
        buffer_.seek(bytes_.size());
    }
    // The message so far; what follows starts a new piece, `reserve` bytes long. Open elements stay open.
    QByteArray cut(qsizetype reserve = 0) {
        xml_.writeCharacters(QString());
        QByteArray done = std::move(bytes_);
        bytes_ = QByteArray();
        bytes_.reserve(reserve);
        buffer_.seek(0);
        return done;
    }

    QByteArray finish() {
        xml_.writeEndDocument(); // closes every open element
        buffer_.close();
        return std::move(bytes_);
    }

private:
    QByteArray bytes_;
    QBuffer buffer_;
    QXmlStreamWriter xml_;
};

void writePictureInfo(EnvelopeWriter &w, const QString &name, const TPictureInfo &info) {
    w.start(name);
    w.text(QStringLiteral("F_ID"), info.F_ID);
    w.text(QStringLiteral("F_COMPANYID"), info.F_COMPANYID);
    w.bytes(QStringLiteral("F_PHOTO"), info.F_PHOTO);
    w.bytes(QStringLiteral("F_SMALLPHOTO"), info.F_SMALLPHOTO);
    w.text(QStringLiteral("F_BUSFLAG"), info.F_BUSFLAG);
    w.text(QStringLiteral("F_FLAG"), info.F_FLAG);
    w.text(QStringLiteral("F_MEMO"), info.F_MEMO);
    w.text(QStringLiteral("F_INPUTTIME"), info.F_INPUTTIME);
    w.text(QStringLiteral("F_ISEXISTS"), info.F_ISEXISTS);
    w.end();
}

void writeHeader(EnvelopeWriter &w, const Header &header) {
    w.startSoap(QStringLiteral("Header"));
    w.startService(QStringLiteral("Header"));
    w.text(QStringLiteral("F_CUSTOMERID"), header.F_CUSTOMERID);
    w.text(QStringLiteral("F_SOFTWAREID"), header.F_SOFTWAREID);
    w.text(QStringLiteral("F_DEVICECODE"), header.F_DEVICECODE);
    w.text(QStringLiteral("F_COMPANYTYPE"), header.F_COMPANYTYPE);
    w.text(QStringLiteral("F_VERSIONNUM"), header.F_VERSIONNUM);
    w.end();
    w.end();
}

// Opens Body, the "<op>Response" element and its "<op>Result" element; finish() closes them.
void startAnswer(EnvelopeWriter &w, Operation op) {
    const QString name = OperationName(op);
    w.startSoap(QStringLiteral("Body"));
    w.startService(name + QStringLiteral("Response"));
    w.start(name + QStringLiteral("Result"));
}

} // namespace

QByteArray WriteRequest(const Request &request) {
    EnvelopeWriter w;
    writeHeader(w, request.header);
    w.startSoap(QStringLiteral("Body"));
    w.startService(OperationName(request.op));
    switch (request.op) {
    case Operation::GetCompanyPhoto:
        w.text(QStringLiteral("aPhotoId"), request.aPhotoId);
        w.text(QStringLiteral("aFlag"), request.aFlag);
        break;
    case Operation::DeleteCompanyPhoto:
        w.text(QStringLiteral("aPhotoId"), request.aPhotoId);
        break;
    case Operation::InsertCompanyPhoto:
    case Operation::UpdateCompanyPhoto:
        writePictureInfo(w, QStringLiteral("aPicInfo"), request.aPicInfo);
        break;
    case Operation::GetCompanyPhotoList:
    case Operation::ValidateUserLogin:
    case Operation::QueryCompanyInfo:
        break;
    }
    return w.finish();
}

namespace {

// The bytes the entries of a list take: Base64 takes 4 bytes for 3, each entry's fields about 400 more.
qsizetype entriesSize(const QList<TPictureInfo> &entries) {
    qsizetype size = 0;
    for (const TPictureInfo &info : entries) {
        size += (info.F_PHOTO.size() + info.F_SMALLPHOTO.size()) / 3 * 4 + 400;
    }
    return size;
}

void writeEntries(EnvelopeWriter &w, const QList<TPictureInfo> &entries) {
    for (const TPictureInfo &info : entries) {
        writePictureInfo(w, QStringLiteral("TPictureInfo"), info);
    }
}

// A picture result in pieces: without `entries`, the message up to the contents of F_PICLIST and
// the message after them; with them, one piece holding the whole message.
QByteArrayList writePicResult(Operation op, const TPicResultInfo &result,
                              const QList<TPictureInfo> *entries) {
    const qsizetype listSize = entries ? entriesSize(*entries) : 0;
    EnvelopeWriter w(listSize + result.F_PHOTO.size() / 3 * 4 + 2000);
    QByteArrayList pieces;
    startAnswer(w, op);
    w.text(QStringLiteral("F_OPERRESULT"), result.F_OPERRESULT);
    w.number(QStringLiteral("F_MAXNUMBER"), result.F_MAXNUMBER);
    w.number(QStringLiteral("F_ZOOMWDITH"), result.F_ZOOMWDITH);
    w.number(QStringLiteral("F_ZOOMHEIGHT"), result.F_ZOOMHEIGHT);
    w.start(QStringLiteral("F_PICLIST"));
    if (entries) {
        w.raw({}); // "<F_PICLIST></F_PICLIST>" when empty, as in the pieces
        writeEntries(w, *entries);
    } else {
        pieces.append(w.cut(result.F_PHOTO.size() / 3 * 4 + 2000));
    }
    w.end();
    w.start(QStringLiteral("F_FLAGLIST"));
    for (const QString &entry : result.F_FLAGLIST) {
        w.text(QStringLiteral("string"), entry);
    }
    w.end();
    w.bytes(QStringLiteral("F_PHOTO"), result.F_PHOTO);
    w.number(QStringLiteral("F_FLAG"), result.F_FLAG);
    pieces.append(w.finish());
    return pieces;
}

} // namespace

QByteArray WriteResponse(Operation op, const TPicResultInfo &result) {
    return writePicResult(op, result, &result.F_PICLIST).constFirst();
}

QByteArray WritePictureEntries(const QList<TPictureInfo> &entries) {
    EnvelopeWriter w;
    w.start(QStringLiteral("F_PICLIST"));
    w.cut(entriesSize(entries)); // the envelope around it is not part of the entries
    writeEntries(w, entries);
    return w.cut();
}

QByteArrayList WriteResponse(Operation op, const TPicResultInfo &result, const QByteArray &entries) {
    QByteArrayList pieces = writePicResult(op, result, nullptr);
    pieces.insert(1, entries);
    return pieces;
}

QByteArray WriteResponse(Operation op, const TUserInfo &result) {
    EnvelopeWriter w;
    startAnswer(w, op);
    w.text(QStringLiteral("F_OPERRESULT"), result.F_OPERRESULT);
    w.text(QStringLiteral("F_USERID"), result.F_USERID);
    w.text(QStringLiteral("F_USERNAME"), result.F_USERNAME);
    w.text(QStringLiteral("F_ORGID"), result.F_ORGID);
    w.text(QStringLiteral("F_ORGNAME"), result.F_ORGNAME);
    w.text(QStringLiteral("F_LOGINDATE"), result.F_LOGINDATE);
    return w.finish();
}

QByteArray WriteResponse(Operation op, const TCompanyInfo &result) {
    EnvelopeWriter w;
    startAnswer(w, op);
    w.text(QStringLiteral("F_OPERRESULT"), result.F_OPERRESULT);
    w.text(QStringLiteral("F_COMPANYTYPE"), result.F_COMPANYTYPE);
    w.text(QStringLiteral("F_COMPANYNAME"), result.F_COMPANYNAME);
    w.text(QStringLiteral("F_CUSTOMERID"), result.F_CUSTOMERID);
    w.text(QStringLiteral("F_SOFTWAREID"), result.F_SOFTWAREID);
    w.text(QStringLiteral("F_DEVICEID"), result.F_DEVICEID);
    return w.finish();
}

QByteArray WriteFault(const QString &faultCode, const QString &faultString) {
    EnvelopeWriter w;
    w.startSoap(QStringLiteral("Body"));
    w.startSoap(QStringLiteral("Fault"));
    // SOAP 1.1 keeps the fault's own children unqualified.
    w.text(QStringLiteral("faultcode"), faultCode);
    w.text(QStringLiteral("faultstring"), faultString);
    return w.finish();
}

} // namespace Soap
