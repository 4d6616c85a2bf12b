#pragma once
// An in-process photo service for client tests: answers with scripted records (or throws a scripted
// error) and records each call with the header it carried.

#include "client/UploadPictureLib.h"
#include "contract/PictureService.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <utility>

class FakePictureService : public MORA_PictureServiceSoap {
public:
    TPicResultInfo picResult;
    TUserInfo userInfo;
    TCompanyInfo companyInfo;
    QString failure;                      // when set, every call throws std::runtime_error with this message
    std::function<void()> whileAnswering; // runs as each answer is read, e.g. a user's click

    struct Call {
        QString op;
        Header header;
        QStringList args;
        TPictureInfo picInfo;
    };
    QList<Call> calls;

    void SetHeader(const Header &header) override { header_ = header; }
    // As the SOAP service does while an answer arrives: every photo of the scripted list is handed
    // over before the call returns, or fails.
    void SetPhotoSink(PhotoSink *sink) override { sink_ = sink; }

    TPicResultInfo Func_GetCompanyPhotoList() override { return answer(u"list", {}, picResult); }
    TPicResultInfo Func_GetCompanyPhoto(const QString &aPhotoId, const QString &aFlag) override {
        return answer(u"fetch", {aPhotoId, aFlag}, picResult);
    }
    TPicResultInfo Func_InsertCompanyPhoto(const TPictureInfo &aPicInfo) override {
        return answer(u"insert", {}, picResult, aPicInfo);
    }
    TPicResultInfo Func_UpdateCompanyPhoto(const TPictureInfo &aPicInfo) override {
        return answer(u"update", {}, picResult, aPicInfo);
    }
    TPicResultInfo Func_DeleteCompanyPhoto(const QString &aPhotoId) override {
        return answer(u"delete", {aPhotoId}, picResult);
    }
    TUserInfo Func_ValidateUserLogin() override { return answer(u"login", {}, userInfo); }
    TCompanyInfo Func_QueryCompanyInfo() override { return answer(u"query", {}, companyInfo); }

private:
    template <typename Record>
    Record answer(const char16_t *op, const QStringList &args, const Record &record,
                  const TPictureInfo &pic = {}) {
        calls.append(Call{QString::fromUtf16(op), header_, args, pic});
        Record answered = record;
        if constexpr (std::is_same_v<Record, TPicResultInfo>) {
            for (TPictureInfo &listed : answered.F_PICLIST) {
                if (sink_ && !listed.F_SMALLPHOTO.isEmpty() &&
                    sink_->open(listed.F_ID, PhotoVersion::Small)) {
                    sink_->write(std::exchange(listed.F_SMALLPHOTO, QByteArray()));
                    sink_->close();
                }
            }
        }
        if (whileAnswering) {
            whileAnswering();
        }
        if (!failure.isEmpty()) {
            throw std::runtime_error(failure.toStdString());
        }
        return answered;
    }

    Header header_;
    PhotoSink *sink_ = nullptr;
};

// A client over a fake service; fake() stays valid as long as the client lives.
struct FakeClient {
    FakeClient() {
        auto owned = std::make_unique<FakePictureService>();
        service = owned.get();
        client = std::make_unique<TUploadPicture>(std::move(owned));
    }
    FakePictureService *service = nullptr;
    std::unique_ptr<TUploadPicture> client;
};
