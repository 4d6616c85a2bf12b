#pragma once
// The photo service interface over SOAP 1.1 and HTTP: each call writes the request with the header
// last set, posts it to the endpoint and reads the answer record. Faults, HTTP error statuses,
// transport failures and unreadable answers are thrown as std::exception whose message names them.

#include "PictureService.h"
#include "SoapCodec.h"

#include <QUrl>

#include <chrono>
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

    TPicResultInfo Func_GetCompanyPhotoList() override;
    TPicResultInfo Func_GetCompanyPhoto(const QString &aPhotoId, const QString &aFlag) override;
    TPicResultInfo Func_InsertCompanyPhoto(const TPictureInfo &aPicInfo) override;
    TPicResultInfo Func_UpdateCompanyPhoto(const TPictureInfo &aPicInfo) override;
    TPicResultInfo Func_DeleteCompanyPhoto(const QString &aPhotoId) override;
    TUserInfo Func_ValidateUserLogin() override;
    TCompanyInfo Func_QueryCompanyInfo() override;

private:
    // Posts the request for op and returns the body of a successful answer.
    QByteArrayList call(Soap::Request request) const;

    QUrl endpoint_;
    std::chrono::milliseconds idleTimeout_;
    Header header_;
    QString caFile_;
    std::shared_ptr<TransferControl> control_;
};
