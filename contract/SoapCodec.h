#pragma once
// SOAP 1.1 messages of the photo service, both directions: the client writes requests and reads
// answers, the reference server reads requests and writes answers. Document/literal wrapped, every
// contract element in the namespace "MORA.PictureService". Reading accepts any prefix style, never
// expands entities (a DTD is refused) and throws SoapError naming what it could not read.

#include "PhotoSink.h"
#include "PictureService.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>
#include <stdexcept>

namespace Soap {

enum class Operation {
    GetCompanyPhotoList,
    GetCompanyPhoto,
    InsertCompanyPhoto,
    UpdateCompanyPhoto,
    DeleteCompanyPhoto,
    ValidateUserLogin,
    QueryCompanyInfo
};

// "Func_GetCompanyPhotoList", ...
QString OperationName(Operation op);
// The operation of an exact name, nothing for any other text.
std::optional<Operation> OperationFromName(QStringView name);

// A message that cannot be read; what() names the problem.
class SoapError : public std::runtime_error {
public:
    explicit SoapError(const QString &message) : std::runtime_error(message.toStdString()) {}
};

// A SOAP fault received instead of an answer; what() is the fault string (or the code when the
// string is empty).
class SoapFault : public std::runtime_error {
public:
    SoapFault(const QString &code, const QString &string);
    QString faultCode;
    QString faultString;
};

// What a client sends and a server reads.
struct Request {
    Operation op = Operation::GetCompanyPhotoList;
    Header header;
    QString aPhotoId;      // GetCompanyPhoto, DeleteCompanyPhoto
    QString aFlag;         // GetCompanyPhoto
    TPictureInfo aPicInfo; // InsertCompanyPhoto, UpdateCompanyPhoto
};

// UTF-8 SOAP 1.1 envelope with the header and the operation element holding its parameters.
QByteArray WriteRequest(const Request &request);
// Server side; throws SoapError.
Request ReadRequest(const QByteArray &envelope);
// The SOAPAction header value, double quotes included: "\"MORA.PictureService/Func_...\"".
QByteArray SoapAction(Operation op);

// Server side: the answer element "<op>Response" holding the record as "<op>Result".
QByteArray WriteResponse(Operation op, const TPicResultInfo &result);
// The same answer in three pieces to be sent one after the other: the message up to the contents of
// F_PICLIST, `entries` (written by WritePictureEntries; result.F_PICLIST is not written) and the rest.
// A list kept in its written form is sent without being written or copied again.
QByteArrayList WriteResponse(Operation op, const TPicResultInfo &result, const QByteArray &entries);
// The contents of F_PICLIST: the TPictureInfo elements of `entries`.
QByteArray WritePictureEntries(const QList<TPictureInfo> &entries);
QByteArray WriteResponse(Operation op, const TUserInfo &result);
QByteArray WriteResponse(Operation op, const TCompanyInfo &result);
// A SOAP 1.1 fault; faultCode is a qualified name such as "soap:Client" or "soap:Server".
QByteArray WriteFault(const QString &faultCode, const QString &faultString);

// Client side: the result record of an answer. Throw SoapFault for a fault, SoapError for anything
// unreadable (including an answer without a result record). Fields the answer leaves out stay empty.
TPicResultInfo ReadPicResult(const QByteArray &envelope);
// The same for an answer kept in the pieces it arrived in, each freed once read, so that a large
// list does not hold the message and its photos at once.
TPicResultInfo ReadPicResult(QByteArrayList &&parts);
// An answer read while it arrives: feed() each piece as it comes (the photos' Base64 is decoded on
// the way and no piece is kept), then finish() reads the end of the message and gives, or throws,
// what ReadPicResult does for the whole of it. feed() never throws.
class PicResultStream {
public:
    // sink, when given, is offered every photo of a list entry whose F_ID came before it.
    explicit PicResultStream(PhotoSink *sink = nullptr);
    ~PicResultStream();
    PicResultStream(const PicResultStream &) = delete;
    PicResultStream &operator=(const PicResultStream &) = delete;

    void feed(QByteArrayView piece);
    TPicResultInfo finish();

private:
    class State;
    std::unique_ptr<State> state_;
};
TUserInfo ReadUserInfo(const QByteArray &envelope);
TCompanyInfo ReadCompanyInfo(const QByteArray &envelope);

} // namespace Soap
