#pragma once
// The photo service interface over SOAP 1.1 and HTTP: each call writes the request with the header
// last set, posts it to the endpoint and reads the answer record. Faults, HTTP error statuses,
// transport failures and unreadable answers are thrown as std::exception whose message names them.

#include "contract/PictureService.h"
#include "contract/SoapCodec.h"

#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <utility>

class TSoapPictureService : public MORA_PictureServiceSoap {
public:
    // idleTimeout: how long a call may go without progress; by default the transport's 60 s.
    explicit TSoapPictureService(const QUrl &endpoint);
    TSoapPictureService(const QUrl &endpoint, std::chrono::milliseconds idleTimeout);

    void SetHeader(const Header &header) override;
    // For an https endpoint: the CA certificates to check the server against instead of the system's.
    void SetCaFile(const QString &caFile) { caFile_ = caFile; }
    void SetTransferControl(std::shared_ptr<TransferControl> control) override {
        control_ = std::move(control);
    }
    void SetPhotoSink(PhotoSink *sink) override { photoSink_ = sink; }

    TPicResultInfo Func_GetCompanyPhotoList() override;
    TPicResultInfo Func_GetCompanyPhoto(const QString &aPhotoId, const QString &aFlag) override;
    TPicResultInfo Func_InsertCompanyPhoto(const TPictureInfo &aPicInfo) override;
    TPicResultInfo Func_UpdateCompanyPhoto(const TPictureInfo &aPicInfo) override;
    TPicResultInfo Func_DeleteCompanyPhoto(const QString &aPhotoId) override;
    TUserInfo Func_ValidateUserLogin() override;
    TCompanyInfo Func_QueryCompanyInfo() override;

private:
    // Posts the request and returns the body of an answer with status 200; anything else ends in
    // the fault it carries or a TransportError. With a bodySink the body of a 200 answer goes there
    // as it arrives and the result is empty.
    QByteArrayList call(Soap::Request request, std::function<void(QByteArrayView)> bodySink = {}) const;
    // A call answered with a TPicResultInfo, read while it arrives.
    TPicResultInfo callForPicResult(Soap::Request request) const;

    QUrl endpoint_;
    std::chrono::milliseconds idleTimeout_;
    Header header_;
    QString caFile_;
    std::shared_ptr<TransferControl> control_;
    PhotoSink *photoSink_ = nullptr;
};
