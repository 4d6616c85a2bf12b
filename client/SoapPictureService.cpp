#include "SoapPictureService.h"

#include "HttpTransport.h"
#include "TransportText.h"

namespace {

Soap::Request requestFor(Soap::Operation op) {
    Soap::Request request;
    request.op = op;
    return request;
}

} // namespace

TSoapPictureService::TSoapPictureService(const QUrl &endpoint)
    : TSoapPictureService(endpoint, HttpTransport::kIdleTimeout) {}

TSoapPictureService::TSoapPictureService(const QUrl &endpoint, std::chrono::milliseconds idleTimeout)
    : endpoint_(endpoint), idleTimeout_(idleTimeout) {}

void TSoapPictureService::SetHeader(const Header &header) {
    header_ = header;
}

QByteArrayList TSoapPictureService::call(Soap::Request request,
                                         std::function<void(QByteArrayView)> bodySink) const {
    request.header = header_;
    HttpTransport::PostOptions options;
    options.idleTimeout = idleTimeout_;
    options.caFile = caFile_;
    options.control = control_;
    options.changesServer = request.op == Soap::Operation::InsertCompanyPhoto ||
                            request.op == Soap::Operation::UpdateCompanyPhoto ||
                            request.op == Soap::Operation::DeleteCompanyPhoto;
    options.bodySink = std::move(bodySink);
    HttpAnswer answer =
        HttpTransport::Post(endpoint_, Soap::SoapAction(request.op), Soap::WriteRequest(request), options);
    if (answer.status == 200) {
        return std::move(answer.body);
    }
    // A SOAP fault usually travels with status 500: its fault string says more than the status.
    try {
        Soap::ReadUserInfo(answer.body.join());
    } catch (const Soap::SoapFault &) {
        throw;
    } catch (const std::exception &) {
        // not a fault; the status is all there is to report
    }
    throw TransportError(TransportError::Kind::HttpStatus,
                         TransportText::HttpStatus(answer.status, answer.reason), answer.status);
}

TPicResultInfo TSoapPictureService::callForPicResult(Soap::Request request) const {
    // The photos are decoded while the rest of the answer is still on its way.
    Soap::PicResultStream stream(photoSink_);
    QByteArrayList rest = call(std::move(request), [&stream](QByteArrayView piece) { stream.feed(piece); });
    while (!rest.isEmpty()) {
        stream.feed(rest.takeFirst());
    }
    return stream.finish();
}

TPicResultInfo TSoapPictureService::Func_GetCompanyPhotoList() {
    return callForPicResult(requestFor(Soap::Operation::GetCompanyPhotoList));
}

TPicResultInfo TSoapPictureService::Func_GetCompanyPhoto(const QString &aPhotoId, const QString &aFlag) {
    Soap::Request request = requestFor(Soap::Operation::GetCompanyPhoto);
    request.aPhotoId = aPhotoId;
    request.aFlag = aFlag;
    return callForPicResult(std::move(request));
}

TPicResultInfo TSoapPictureService::Func_InsertCompanyPhoto(const TPictureInfo &aPicInfo) {
    Soap::Request request = requestFor(Soap::Operation::InsertCompanyPhoto);
    request.aPicInfo = aPicInfo;
    return callForPicResult(std::move(request));
}

TPicResultInfo TSoapPictureService::Func_UpdateCompanyPhoto(const TPictureInfo &aPicInfo) {
    Soap::Request request = requestFor(Soap::Operation::UpdateCompanyPhoto);
    request.aPicInfo = aPicInfo;
    return callForPicResult(std::move(request));
}

TPicResultInfo TSoapPictureService::Func_DeleteCompanyPhoto(const QString &aPhotoId) {
    Soap::Request request = requestFor(Soap::Operation::DeleteCompanyPhoto);
    request.aPhotoId = aPhotoId;
    return callForPicResult(std::move(request));
}

TUserInfo TSoapPictureService::Func_ValidateUserLogin() {
    return Soap::ReadUserInfo(call(requestFor(Soap::Operation::ValidateUserLogin)).join());
}

TCompanyInfo TSoapPictureService::Func_QueryCompanyInfo() {
    return Soap::ReadCompanyInfo(call(requestFor(Soap::Operation::QueryCompanyInfo)).join());
}
