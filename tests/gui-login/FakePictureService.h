#pragma once
// A photo service without a server: answers every operation with one chosen result code and records
// which operation was called with which inputs. A gate can hold the login check until the test opens it.

#include "client/UploadPictureLib.h"
#include "contract/PictureService.h"

#include <QMutex>
#include <QSemaphore>
#include <QStringList>

#include <atomic>
#include <memory>
#include <stdexcept>

struct FakeServiceLog {
    QMutex mutex;
    QStringList calls; // "Name(arg,arg)"
    std::atomic<int> destroyed{0};

    void add(const QString &call) {
        QMutexLocker lock(&mutex);
        calls.append(call);
    }
    QStringList all() {
        QMutexLocker lock(&mutex);
        return calls;
    }
};

class FakePictureService : public MORA_PictureServiceSoap {
public:
    FakePictureService(std::shared_ptr<FakeServiceLog> log, QString code, QSemaphore *gate = nullptr)
        : log_(std::move(log)), code_(std::move(code)), gate_(gate) {}
    ~FakePictureService() override { ++log_->destroyed; }

    void SetHeader(const Header &) override {}

    TPicResultInfo Func_GetCompanyPhotoList() override {
        return photoAnswer(QStringLiteral("GetCompanyPhotoList()"));
    }
    TPicResultInfo Func_GetCompanyPhoto(const QString &aPhotoId, const QString &aFlag) override {
        return photoAnswer(QStringLiteral("GetCompanyPhoto(%1,%2)").arg(aPhotoId, aFlag));
    }
    TPicResultInfo Func_InsertCompanyPhoto(const TPictureInfo &aPicInfo) override {
        return photoAnswer(QStringLiteral("InsertCompanyPhoto(%1)").arg(aPicInfo.F_ID));
    }
    TPicResultInfo Func_UpdateCompanyPhoto(const TPictureInfo &aPicInfo) override {
        return photoAnswer(QStringLiteral("UpdateCompanyPhoto(%1)").arg(aPicInfo.F_ID));
    }
    TPicResultInfo Func_DeleteCompanyPhoto(const QString &aPhotoId) override {
        return photoAnswer(QStringLiteral("DeleteCompanyPhoto(%1)").arg(aPhotoId));
    }
    TUserInfo Func_ValidateUserLogin() override {
        log_->add(QStringLiteral("ValidateUserLogin()"));
        if (gate_ != nullptr) {
            gate_->acquire();
        }
        TUserInfo answer;
        answer.F_OPERRESULT = code_;
        return answer;
    }
    TCompanyInfo Func_QueryCompanyInfo() override {
        log_->add(QStringLiteral("QueryCompanyInfo()"));
        TCompanyInfo answer;
        answer.F_OPERRESULT = code_;
        return answer;
    }

    // A client over a fresh fake, as the runner dialog and the login thread take it.
    static std::unique_ptr<TUploadPicture> Client(std::shared_ptr<FakeServiceLog> log, const QString &code,
                                                  QSemaphore *gate = nullptr) {
        return std::make_unique<TUploadPicture>(
            std::make_unique<FakePictureService>(std::move(log), code, gate));
    }

private:
    TPicResultInfo photoAnswer(const QString &call) {
        log_->add(call);
        TPicResultInfo answer;
        answer.F_OPERRESULT = code_;
        return answer;
    }

    std::shared_ptr<FakeServiceLog> log_;
    QString code_;
    QSemaphore *gate_;
};
