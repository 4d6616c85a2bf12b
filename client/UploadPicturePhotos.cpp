// The photo operations of TUploadPicture with the photo cache and the rows of the photo list.

#include "UploadPictureLib.h"

#include "CacheFileStage.h"
#include "FailureReason.h"
#include "HttpTransport.h"
#include "PhotoListModel.h"
#include "PhotoWorkflow.h"
#include "TransferControl.h"
#include "UploadPictureMessages.h"
#include "contract/ResultCodes.h"

#include "MainDataModule.h"
#include "PhotoCache.h"
#include "contract/JpegSignature.h"
#include "core/FileOper.h"
#include "core/StrOper.h"
#include "imaging/ImgOper.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QThread>

#include <exception>
#include <stdexcept>

namespace {

TDM_Main &dataModule() {
    if (!DM_Main) {
        throw std::runtime_error("the data module does not exist");
    }
    return *DM_Main;
}

TPhotoListModel &photoList() {
    TPhotoListModel *list = dataModule().PhotoListView;
    if (!list) {
        throw std::runtime_error("there is no photo list");
    }
    return *list;
}

// A cancel the user gave while the answer was being read wins over the answer of a list or a fetch:
// nothing of it is taken (an insert, change or delete the server has made is never called cancelled,
// so those pass no control). The click may still wait in the event queue of the windows' thread.
void throwIfCancelled(TransferControl *control) {
    if (control == nullptr) {
        return;
    }
    if (QCoreApplication::instance() != nullptr &&
        QThread::currentThread() == QCoreApplication::instance()->thread()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    if (control->IsCancelled()) {
        control->MarkHonoured();
        throw TransferCancelled();
    }
}

// The common frame of the photo operations: send the header, call, then the success steps or the
// code's log line; a failure is logged with the operation's exception text. True when the user
// cancelled the call.
// code. outcome receives the code, the reason of a failure and whether it was cancelled.
template <typename Call, typename OnSuccess>
bool runPhotoOperation(MORA_PictureServiceSoap &service, const Header &header, TransferControl *control,
                       PhotoOperation op, QString &Code, TCallOutcome &outcome, Call call,
                       OnSuccess onSuccess) {
    Code = ResultCode::kNoAnswer;
    outcome = {Code, {}, false};
    try {
        service.SetHeader(header);
        const TPicResultInfo result = call();
        throwIfCancelled(control);
        Code = result.F_OPERRESULT;
        if (Code == ResultCode::kSuccess) {
            onSuccess(result);
        } else {
            outcome.reason = FailureReason::OfCode(Code);
            TFileOper::WriteLog(PhotoCodeMessage(op, Code));
        }
    } catch (const TransferCancelled &e) {
        outcome = {ResultCode::kNoAnswer, FailureReason::OfException(e), true};
        TFileOper::WriteLog(PhotoCancelledText(op));
        return true;
    } catch (const std::exception &e) {
        Code = ResultCode::kNoAnswer; // a failed success step is no success
        if (outcome.reason.isEmpty()) {
            outcome.reason = FailureReason::OfException(e);
        }
        outcome.unreachable = FailureReason::IsUnreachable(e);
        TFileOper::WriteLog(PhotoExceptionText(op) + QString::fromUtf8(e.what()));
    }
    outcome.code = Code;
    return false;
}

void noSuccessSteps(const TPicResultInfo &) {}

// Files a small version from a list as a fetch files a photo: JPEG bytes only, and true only when
// the file is whole on the disk.
bool fileSmallVersion(const QString &file, const QString &photoId, const QByteArray &bytes) {
    QString error;
    if (bytes.isEmpty()) {
        error = QStringLiteral("the answer carries no photo bytes");
    } else if (!HasJpegSignature(bytes)) {
        error = QStringLiteral("the photo in the answer is not a JPEG");
    } else if (TImgOper::SaveImgInfo(file, bytes, &error, WholeFileSync::Unsynced)) {
        return true;
    }
    PhotoCache::LogNotFiled(photoId, error);
    return false;
}

} // namespace

void TUploadPicture::Func_GetCompanyPhotoList(QString &Code) {
    // The small versions go to an unnamed file in the cache folder while the answer is still
    // arriving; the success steps file them. Whatever the stage holds for a list that fails is dropped.
    CacheFileStage stage(PhotoCache::Folder());
    FService->SetPhotoSink(&stage);
    const auto sinkEnds = qScopeGuard([this] { FService->SetPhotoSink(nullptr); });
    runPhotoOperation(
        *FService, FHeader, FControl.get(), PhotoOperation::List, Code, FOutcome,
        [&] { return FService->Func_GetCompanyPhotoList(); },
        [&](const TPicResultInfo &result) {
            TDM_Main &dm = dataModule();
            dm.MaxPhotoNumber = result.F_MAXNUMBER;
            dm.ZoomWidth = qMax(result.F_ZOOMWDITH, PhotoWorkflow::kMinSmallWidth);
            dm.ZoomHeight = qMax(result.F_ZOOMHEIGHT, PhotoWorkflow::kMinSmallHeight);
            FillPhotoList(result.F_PICLIST, &stage);
            FillFlagList(result.F_FLAGLIST);
        });
}

TCacheWrite TUploadPicture::Func_GetCompanyPhoto(const QString &PhotoId, const QString &PhotoFlag,
                                                 QString &Code) {
    const QString folder = PhotoCache::Folder();
    TCacheWrite written;
    const bool cancelled = runPhotoOperation(
        *FService, FHeader, FControl.get(), PhotoOperation::Fetch, Code, FOutcome,
        [&] {
            return FService->Func_GetCompanyPhoto(TStrOper::EncodeBase64(PhotoId),
                                                  TStrOper::EncodeBase64(PhotoFlag));
        },
        [&](const TPicResultInfo &result) {
            TPhotoListModel &list = photoList();
            if (!PhotoCache::IsPlainFileName(PhotoId)) {
                // Nothing was cached, so the row must not claim a version is there.
                PhotoCache::LogUnsafePhotoId(PhotoId);
                written.error = QStringLiteral("the photo ID cannot name a cache file");
                FOutcome.reason = FailureReason::UnsafePhotoId();
                Code = ResultCode::kNoAnswer; // and the caller must not be told it was
                FOutcome.code = Code;
                return;
            }
            // The answer's flag, not the requested one, says which version arrived.
            const bool small = result.F_FLAG == 0;
            const QString file =
                small ? PhotoCache::SmallFile(folder, PhotoId) : PhotoCache::SourceFile(folder, PhotoId);
            // An answer without bytes marks the row only (there is nothing to write); bytes that are
            // no JPEG or cannot be written are a failed fetch, not a cached photo.
            if (result.F_PHOTO.isEmpty()) {
                written.error = QStringLiteral("the answer carries no photo bytes");
            } else if (!HasJpegSignature(result.F_PHOTO)) {
                FOutcome.reason = QStringLiteral("服务器发来的照片不是 JPEG 文件");
                throw std::runtime_error("the photo in the answer is not a JPEG");
            } else if (!TImgOper::SaveImgInfo(file, result.F_PHOTO, &written.error,
                                              WholeFileSync::Unsynced)) {
                FOutcome.reason = FailureReason::CacheNotWritten(written.error);
                throw std::runtime_error("the photo was not written to the cache: " +
                                         written.error.toStdString());
            } else {
                written.file = file;
            }
            const int row = list.findRow(PhotoId);
            if (row < 0) {
                throw std::runtime_error("the photo list holds no row of this photo");
            }
            list.setState(row, small ? TPhotoListModel::SmallCached : TPhotoListModel::SourceCached);
        });
    if (Code != ResultCode::kSuccess && !cancelled && DM_Main && DM_Main->PhotoListView) {
        // A cancelled fetch leaves the row as it was. A failed fetch shows the "not downloaded" icon; the
        // state text stays as it was.
        DM_Main->PhotoListView->setImageIndex(DM_Main->PhotoListView->findRow(PhotoId),
                                              TPhotoListModel::NotDownloaded);
    }
    return written;
}

void TUploadPicture::Func_InsertCompanyPhoto(const TPictureInfo &PicInfo, QString &Code) {
    runPhotoOperation(
        *FService, FHeader, nullptr, PhotoOperation::Insert, Code, FOutcome,
        [&] { return FService->Func_InsertCompanyPhoto(PicInfo); }, noSuccessSteps);
}

void TUploadPicture::Func_UpdateCompanyPhoto(const TPictureInfo &PicInfo, QString &Code) {
    runPhotoOperation(
        *FService, FHeader, nullptr, PhotoOperation::Update, Code, FOutcome,
        [&] { return FService->Func_UpdateCompanyPhoto(PicInfo); }, noSuccessSteps);
}

void TUploadPicture::Func_DeleteCompanyPhoto(const QString &PhotoId, QString &Code) {
    runPhotoOperation(
        *FService, FHeader, nullptr, PhotoOperation::Delete, Code, FOutcome,
        [&] { return FService->Func_DeleteCompanyPhoto(PhotoId); }, noSuccessSteps);
}

void TUploadPicture::FillPhotoList(const ArrayOfTPictureInfo &list, CacheFileStage *stage) {
    try {
        const QString folder = PhotoCache::Folder();
        // An answer without photos empties the list: the company has none left, and rows kept from
        // before would stand for photos that no longer exist.
        TPhotoListModel &rows = photoList();
        rows.clear();
        for (const TPictureInfo &info : list) {
            const int row = rows.appendRow();
            const QString id = TStrOper::DecodeBase64(info.F_ID);
            rows.addSubItem(row, TStrOper::DecodeBase64(info.F_MEMO));
            rows.addSubItem(row, id);
            rows.addSubItem(row, TStrOper::DecodeBase64(info.F_FLAG));
            TPhotoListModel::PhotoState state = TPhotoListModel::NotDownloaded;
            if (!PhotoCache::IsPlainFileName(id)) {
                PhotoCache::LogUnsafePhotoId(id);
            } else if (info.F_ISEXISTS == u"1" &&
                       fileSmallVersion(
                           PhotoCache::SmallFile(folder, id), id,
                           (stage ? stage->take(info.F_ID) : std::nullopt).value_or(info.F_SMALLPHOTO))) {
                state = PhotoCache::Exists(PhotoCache::SourceFile(folder, id)) ? TPhotoListModel::SourceCached
                                                                               : TPhotoListModel::SmallCached;
            } else if (PhotoCache::Exists(PhotoCache::SourceFile(folder, id))) {
                state = TPhotoListModel::SourceCached;
            } else if (PhotoCache::Exists(PhotoCache::SmallFile(folder, id))) {
                state = TPhotoListModel::SmallCached;
            }
            rows.addSubItem(row, TPhotoListModel::StateText(state));
            rows.setImageIndex(row, state);
        }
    } catch (const std::exception &e) {
        TFileOper::WriteLog(FillListExceptionText() + QString::fromUtf8(e.what()));
    }
}

void TUploadPicture::FillFlagList(const ArrayOfString &list) {
    try {
        QStringList &types = dataModule().PhotoTypeList;
        types.clear();
        for (const QString &entry : list) {
            types.append(TStrOper::DecodeBase64(entry));
        }
    } catch (const std::exception &e) {
        TFileOper::WriteLog(FillListExceptionText() + QString::fromUtf8(e.what()));
    }
}
