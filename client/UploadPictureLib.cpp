#include "UploadPictureLib.h"

#include "FailureReason.h"
#include "HttpTransport.h"
#include "SoapPictureService.h"
#include "UploadPictureMessages.h"
#include "contract/ResultCodes.h"

#include "HeaderFields.h"
#include "MainDataModule.h"
#include "core/FileOper.h"
#include "core/StrOper.h"

#include <QUrl>

#include <exception>
#include <stdexcept>

namespace {

Header headerFromDataModule() {
    return DM_Main ? BuildHeaderFields(*DM_Main) : Header();
}

std::unique_ptr<TSoapPictureService> serviceFromDataModule() {
    auto service = std::make_unique<TSoapPictureService>(
        QUrl(DM_Main ? TUploadPicture::EndpointUrl(*DM_Main) : QString()));
    if (DM_Main) {
        service->SetCaFile(DM_Main->ServerCaFile);
    }
    return service;
}

} // namespace

TUploadPicture::TUploadPicture() : TUploadPicture(serviceFromDataModule()) {}

TUploadPicture::TUploadPicture(std::unique_ptr<MORA_PictureServiceSoap> service)
    : FService(std::move(service)), FHeader(headerFromDataModule()) {}

TUploadPicture::~TUploadPicture() = default;

void TUploadPicture::SetTransferControl(std::shared_ptr<TransferControl> control) {
    FControl = control;
    FService->SetTransferControl(std::move(control));
}

QString TUploadPicture::EndpointUrl(const TDM_Main &dm) {
    const QString port = dm.ServerPort.trimmed();
    const QString scheme = dm.ServerScheme == u"https" ? QStringLiteral("https") : QStringLiteral("http");
    return scheme + QStringLiteral("://") + dm.ServerIP.trimmed() +
           (port.isEmpty() ? QString() : u':' + port) + QStringLiteral("/PictureService.asmx");
}

int TUploadPicture::Func_ValidateUserLogin() {
    int result = WM_LOGIN_FAILED;
    FOutcome = {ResultCode::kNoAnswer, {}, false};
    try {
        FService->SetHeader(FHeader);
        const QString code = FService->Func_ValidateUserLogin().F_OPERRESULT;
        FOutcome.code = code;
        if (code == ResultCode::kSuccess) {
            result = WM_LOGIN_SUCCESS;
        } else {
            if (code == ResultCode::kBadHeader) {
                result = WM_LOGIN_BADHEADER;
            } else if (code == ResultCode::kWrongPassword) {
                result = WM_LOGIN_DENIED;
            }
            FOutcome.reason = FailureReason::OfCode(code);
            TFileOper::WriteLog(LoginCodeMessage(code));
        }
    } catch (const TransferCancelled &e) {
        FOutcome = {ResultCode::kNoAnswer, FailureReason::OfException(e), true};
        TFileOper::WriteLog(LoginCancelledText());
    } catch (const std::exception &e) {
        FOutcome = {ResultCode::kNoAnswer, FailureReason::OfException(e), false,
                    FailureReason::IsUnreachable(e)};
        TFileOper::WriteLog(LoginExceptionText() + QString::fromUtf8(e.what()));
    }
    return result;
}

void TUploadPicture::Func_QueryCompanyInfo(QString &Code) {
    Code = ResultCode::kNoAnswer;
    FOutcome = {Code, {}, false};
    try {
        FService->SetHeader(FHeader);
        const TCompanyInfo info = FService->Func_QueryCompanyInfo();
        Code = info.F_OPERRESULT;
        FOutcome.code = Code;
        if (Code != ResultCode::kSuccess) {
            FOutcome.reason = FailureReason::OfCode(Code);
            TFileOper::WriteLog(QueryCodeMessage(Code));
            return;
        }
        if (!DM_Main || !DM_Main->CurrentCompany) {
            throw std::runtime_error("the data module holds no current company");
        }
        TCurrentCompany &company = *DM_Main->CurrentCompany;
        company.CustomerId = info.F_CUSTOMERID;
        company.SoftwareId = info.F_SOFTWAREID;
        company.CompanyType = info.F_COMPANYTYPE;
        company.DeviceId = info.F_DEVICEID;
        company.CompanyName = TStrOper::DecodeBase64(info.F_COMPANYNAME);
    } catch (const TransferCancelled &e) {
        FOutcome = {ResultCode::kNoAnswer, FailureReason::OfException(e), true};
        TFileOper::WriteLog(QueryCancelledText());
    } catch (const std::exception &e) {
        Code = ResultCode::kNoAnswer;
        FOutcome = {Code, FailureReason::OfException(e), false, FailureReason::IsUnreachable(e)};
        TFileOper::WriteLog(QueryExceptionText() + QString::fromUtf8(e.what()));
    }
}
