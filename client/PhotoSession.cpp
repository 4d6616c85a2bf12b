#include "PhotoSession.h"

#include "FailureReason.h"
#include "LoginMessages.h"
#include "MainDataModule.h"
#include "OffThread.h"
#include "PhotoListModel.h"
#include "PhotoTypeChoice.h"
#include "TransferControl.h"
#include "UploadPictureLib.h"
#include "contract/ResultCodes.h"

#include "core/FileOper.h"

#include <QDate>

#include <exception>

namespace {

using PhotoWorkflow::EditMode;
using PhotoWorkflow::Input;

// The texts of one operation: the notice while it runs, and what the user is told after.
struct Texts {
    const char16_t *notice;
    const char16_t *success;
    const char16_t *failure;
    const char16_t *cancelled;
};

constexpr Texts kQuery{u"正在查询企业信息,请稍候...", u"查询企业信息成功", u"查询企业信息失败",
                       u"已取消查询企业信息"};
constexpr Texts kList{u"正在获取企业照片列表,请稍候...", u"获取企业照片列表成功", u"获取企业照片列表失败",
                      u"已取消获取企业照片列表"};
constexpr Texts kFetch{u"正在获取企业照片信息,请稍候...", u"获取企业照片信息成功", u"获取企业照片信息失败",
                       u"已取消获取企业照片信息"};
constexpr Texts kInsert{u"正在提交您新增的照片,请稍候...", u"保存照片成功", u"保存照片失败",
                        u"已取消提交新增的照片"};
constexpr Texts kUpdate{u"正在提交您修改的照片,请稍候...", u"保存照片成功", u"保存照片失败",
                        u"已取消提交修改的照片"};
constexpr Texts kDelete{u"正在删除企业照片信息,请稍候...", u"删除照片成功", u"删除企业照片信息失败",
                        u"已取消删除企业照片信息"};

QString text(const char16_t *s) {
    return QString::fromUtf16(s);
}

TOperationResult refused(Input input, const QString &why) {
    return TOperationResult::Refused(input, why);
}

// The result of one service call of TUploadPicture, with the operation's texts.
TOperationResult fromCall(const TUploadPicture &client, const QString &code, const Texts &texts) {
    const TCallOutcome &outcome = client.Outcome();
    TOperationResult result;
    result.code = code;
    result.cancelled = outcome.cancelled;
    result.unreachable = outcome.unreachable;
    if (result.cancelled) {
        result.message = text(texts.cancelled);
        result.reason = outcome.reason;
    } else if (code == ResultCode::kSuccess) {
        result.message = text(texts.success);
    } else {
        result.message = text(texts.failure);
        result.reason = outcome.reason.isEmpty() ? FailureReason::OfCode(code) : outcome.reason;
    }
    return result;
}

// A failure of a step of ours (no exception leaves an operation).
TOperationResult failed(const Texts &texts, const QString &reason) {
    TOperationResult result;
    result.code = ResultCode::kNoAnswer;
    result.message = text(texts.failure);
    result.reason = reason;
    return result;
}

// A preparation's result as the result of the add or edit it was part of.
TOperationResult asPartOf(TOperationResult prepared, const Texts &texts) {
    if (prepared.cancelled) {
        prepared.message = text(texts.cancelled);
    } else if (prepared.input == Input::None) {
        prepared.message = text(texts.failure);
    }
    return prepared;
}

} // namespace

QString TPhotoSession::Notice(Step step) {
    switch (step) {
    case Step::Query:
        return text(kQuery.notice);
    case Step::List:
        return text(kList.notice);
    case Step::Fetch:
        return text(kFetch.notice);
    case Step::Prepare:
        return QStringLiteral("正在处理照片,请稍候...");
    case Step::Insert:
        return text(kInsert.notice);
    case Step::Update:
        return text(kUpdate.notice);
    case Step::Delete:
        break;
    }
    return text(kDelete.notice);
}

TOperationResult TOperationResult::Refused(Input input, const QString &why) {
    TOperationResult result;
    result.code = ResultCode::kNoAnswer;
    result.message = why;
    result.reason = why;
    result.input = input;
    return result;
}

bool TOperationResult::ok() const {
    return code == ResultCode::kSuccess && !cancelled && input == Input::None;
}

TPhotoSession::TPhotoSession(TDM_Main &dm) : dm_(dm) {}

TPhotoSession::~TPhotoSession() = default;

void TPhotoSession::SetClientFactory(ClientFactory factory) {
    factory_ = std::move(factory);
}

void TPhotoSession::SetControl(std::shared_ptr<TransferControl> control) {
    control_ = std::move(control);
}

std::unique_ptr<TUploadPicture> TPhotoSession::client() const {
    // Built now: its request header follows the identity just chosen.
    std::unique_ptr<TUploadPicture> client = factory_ ? factory_() : std::make_unique<TUploadPicture>();
    client->SetTransferControl(control_);
    return client;
}

void TPhotoSession::stage(const QString &notice) const {
    if (control_ && control_->OnStage) {
        control_->OnStage(notice);
    }
}

bool TPhotoSession::cancelled() const {
    return control_ && control_->IsCancelled();
}

TOperationResult TPhotoSession::Login(const QString &user, const QString &password) {
    if (const PhotoWorkflow::TInputProblem problem = PhotoWorkflow::CheckLogin(user, password)) {
        return refused(problem.input, problem.text);
    }
    PhotoWorkflow::BeginLogin(dm_, user, password);
    const std::unique_ptr<TUploadPicture> service = client();
    TOperationResult result;
    result.loginMessage = service->Func_ValidateUserLogin();
    const TCallOutcome &outcome = service->Outcome();
    result.code = outcome.code;
    result.reason = outcome.reason;
    result.unreachable = outcome.unreachable;
    result.cancelled = outcome.cancelled;
    if (result.cancelled) {
        result.message = QStringLiteral("已取消登录验证");
    } else if (result.loginMessage == WM_LOGIN_SUCCESS) {
        result.message = QStringLiteral("登录成功");
    } else if (result.loginMessage == WM_LOGIN_DENIED) {
        result.message = QStringLiteral("用户名或密码错误,无法登录系统!");
    } else {
        result.message = QStringLiteral("登录系统失败");
    }
    return result;
}

TOperationResult TPhotoSession::Query(const QString &typedId) {
    TOperationResult result = QueryCompany(typedId);
    if (!result.ok()) {
        return result;
    }
    // The rows of the company worked on before go at once, whatever becomes of its list.
    if (dm_.PhotoListView != nullptr) {
        dm_.PhotoListView->clear();
    }
    result = Refresh(Identity::Kept); // the first list goes with the query's identity
    result.companyFound = true;
    return result;
}

TOperationResult TPhotoSession::QueryCompany(const QString &typedId) {
    const TOperationKind kindBefore = dm_.OperationKind;
    const QString companyBefore = dm_.CompanyId;
    // The next request is a company query from here on, even when the typed ID is refused.
    dm_.OperationKind = TOperationKind::CompanyQuery;
    if (const PhotoWorkflow::TInputProblem problem = PhotoWorkflow::CheckCompanyId(typedId)) {
        return refused(problem.input, problem.text);
    }
    PhotoWorkflow::BeginCompanyQuery(dm_, typedId);
    stage(text(kQuery.notice));
    QString code;
    TOperationResult result;
    {
        const std::unique_ptr<TUploadPicture> service = client();
        service->Func_QueryCompanyInfo(code);
        result = fromCall(*service, code, kQuery);
    }
    if (result.cancelled) {
        // The shown company stays, and so do the headers its photo operations send.
        dm_.OperationKind = kindBefore;
        dm_.CompanyId = companyBefore;
        return result;
    }
    if (!result.ok()) {
        if (code == ResultCode::kCompanyNotFound) {
            result.message = QStringLiteral("企业信息不存在,请重新输入查询");
        }
        PhotoWorkflow::ForgetCompany(dm_);
        return result;
    }
    result.companyFound = true;
    return result;
}

TOperationResult TPhotoSession::Refresh(Identity identity) {
    if (identity == Identity::Photo) {
        dm_.OperationKind = TOperationKind::Photo;
    }
    stage(text(kList.notice));
    const std::unique_ptr<TUploadPicture> service = client();
    QString code;
    service->Func_GetCompanyPhotoList(code);
    return fromCall(*service, code, kList);
}

TOperationResult TPhotoSession::Fetch(const QString &photoId, const QString &flag) {
    if (dm_.PhotoListView == nullptr || dm_.PhotoListView->findRow(photoId) < 0) {
        return failed(kFetch, FailureReason::NotInList(photoId));
    }
    stage(text(kFetch.notice));
    const std::unique_ptr<TUploadPicture> service = client();
    QString code;
    const TCacheWrite written = service->Func_GetCompanyPhoto(photoId, flag, code);
    TOperationResult result = fromCall(*service, code, kFetch);
    result.file = written.file;
    if (result.ok() && written.file.isEmpty()) {
        result.warning = written.error;
    }
    return result;
}

TOperationResult TPhotoSession::Add(const QString &file, const QString &typeEntry, const QString &note) {
    // The type and note are checked before the preparation, so that a slip is told at once.
    if (TOperationResult refusal = checkAdd(typeEntry, note, &file); !refusal.code.isEmpty()) {
        return refusal;
    }
    PhotoWorkflow::TPreparedPhoto photo;
    if (TOperationResult prepared = Prepare(file, photo); !prepared.ok()) {
        return asPartOf(std::move(prepared), kInsert);
    }
    return AddPrepared(photo, typeEntry, note);
}

TOperationResult TPhotoSession::Edit(const QString &photoId, const QString &note, const QString &file) {
    if (dm_.PhotoListView == nullptr || dm_.PhotoListView->findRow(photoId) < 0) {
        return failed(kUpdate, FailureReason::NotInList(photoId));
    }
    if (const auto problem = PhotoWorkflow::CheckPhotoInput(EditMode::Edit, file, true, note)) {
        return refused(problem.input, problem.text);
    }
    PhotoWorkflow::TPreparedPhoto photo;
    if (!file.trimmed().isEmpty()) {
        if (TOperationResult prepared = Prepare(file, photo); !prepared.ok()) {
            return asPartOf(std::move(prepared), kUpdate);
        }
    }
    return EditPrepared(photoId, note, photo);
}

TOperationResult TPhotoSession::Prepare(const QString &file, PhotoWorkflow::TPreparedPhoto &photo) {
    photo = {};
    const QString path = file.trimmed();
    if (const auto problem = PhotoWorkflow::CheckPhotoFile(path)) {
        return refused(problem.input, problem.text);
    }
    stage(Notice(Step::Prepare));
    const int width = dm_.ZoomWidth;
    const int height = dm_.ZoomHeight;
    try {
        PhotoWorkflow::TPreparedPhoto prepared;
        RunOffThread([&] { prepared = PhotoWorkflow::PreparePhoto(path, width, height); },
                     control_ ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
        if (!prepared.hasImage()) {
            // A file that passed the header check but cannot be decoded: nothing may be sent.
            return refused(Input::PhotoPath,
                           PhotoWorkflow::UnusablePhotoText(path, prepared.failedSteps.join(u"; ")));
        }
        photo = std::move(prepared);
    } catch (const std::exception &e) {
        // A step of ours failed (a full disk, no memory): no input to blame.
        TFileOper::WriteLog(QStringLiteral("处理照片失败,TPhotoSession中错误:") +
                            QString::fromUtf8(e.what()));
        TOperationResult result;
        result.code = ResultCode::kNoAnswer;
        result.message = QStringLiteral("处理照片失败");
        result.reason = FailureReason::OfException(e);
        return result;
    }
    TOperationResult result;
    if (cancelled()) {
        result.code = ResultCode::kNoAnswer;
        result.cancelled = true;
        result.message = QStringLiteral("已取消处理照片");
        result.reason = QStringLiteral("已被用户取消");
        return result;
    }
    result.code = ResultCode::kSuccess;
    result.message = QStringLiteral("处理照片成功");
    return result;
}

TOperationResult TPhotoSession::AddPrepared(const PhotoWorkflow::TPreparedPhoto &photo,
                                            const QString &typeEntry, const QString &note) {
    if (TOperationResult refusal = checkAdd(typeEntry, note, nullptr); !refusal.code.isEmpty()) {
        return refusal;
    }
    if (!photo.hasImage()) {
        return refused(Input::PhotoPath, QStringLiteral("请选择【照片路径】"));
    }
    return send(EditMode::Add, QString(), photo, typeEntry, PhotoTypeChoice::CodeOf(typeEntry.trimmed()),
                note);
}

TOperationResult TPhotoSession::EditPrepared(const QString &photoId, const QString &note,
                                             const PhotoWorkflow::TPreparedPhoto &photo) {
    const TPhotoListModel *rows = dm_.PhotoListView;
    const int row = rows != nullptr ? rows->findRow(photoId) : -1;
    if (row < 0) {
        return failed(kUpdate, FailureReason::NotInList(photoId));
    }
    if (const auto problem = PhotoWorkflow::CheckPhotoDetails(true, note)) {
        return refused(problem.input, problem.text);
    }
    const QString typeCode =
        PhotoTypeChoice::KeptCode(dm_.PhotoTypeList, rows->subItem(row, TPhotoListModel::TypeCodeColumn),
                                  rows->subItem(row, TPhotoListModel::NoteColumn));
    return send(EditMode::Edit, photoId, photo, QString(), typeCode, note);
}

TOperationResult TPhotoSession::checkAdd(const QString &typeEntry, const QString &note,
                                         const QString *file) const {
    if (const QString refusal = PhotoWorkflow::PhotoLimitProblem(dm_); !refusal.isEmpty()) {
        return refused(Input::None, refusal);
    }
    const bool typeChosen =
        PhotoTypeChoice::UnusedEntries(dm_.PhotoTypeList, dm_.PhotoListView).contains(typeEntry);
    // With a file, its checks come first, as the editor's fields stand.
    const auto problem = file == nullptr
                             ? PhotoWorkflow::CheckPhotoDetails(typeChosen, note)
                             : PhotoWorkflow::CheckPhotoInput(EditMode::Add, *file, typeChosen, note);
    if (problem) {
        return refused(problem.input, problem.text);
    }
    return {};
}

TOperationResult TPhotoSession::send(EditMode mode, const QString &photoId,
                                     const PhotoWorkflow::TPreparedPhoto &photo, const QString &typeEntry,
                                     const QString &typeCode, const QString &note) {
    const Texts &texts = mode == EditMode::Add ? kInsert : kUpdate;
    try {
        TOperationResult result;
        if (cancelled()) {
            result.code = ResultCode::kNoAnswer;
            result.cancelled = true;
            result.message = text(texts.cancelled);
            result.reason = QStringLiteral("已被用户取消");
            return result;
        }
        const TPictureInfo record =
            PhotoWorkflow::PhotoRecord(*dm_.CurrentCompany, photoId, typeCode, note, photo);
        dm_.OperationKind = TOperationKind::Photo;
        stage(text(texts.notice));
        {
            const std::unique_ptr<TUploadPicture> service = client();
            QString code;
            if (mode == EditMode::Add) {
                service->Func_InsertCompanyPhoto(record, code);
            } else {
                service->Func_UpdateCompanyPhoto(record, code);
            }
            result = fromCall(*service, code, texts);
        }
        if (!result.ok()) {
            return result;
        }
        result.photoId = mode == EditMode::Add ? PhotoTypeChoice::NewPhotoId(dm_.CurrentCompany->CustomerId,
                                                                             QDate::currentDate(), typeEntry)
                                               : photoId;
        result.imageSent = photo.hasImage();
        if (result.imageSent) {
            // The photo is saved either way; a failed filing is told, and the preview offers to download.
            const QString error = PhotoWorkflow::FilePreparedPhoto(result.photoId, photo);
            if (!error.isEmpty()) {
                result.warning = FailureReason::CacheNotWritten(error);
            }
        }
        return result;
    } catch (const std::exception &e) {
        TFileOper::WriteLog(QStringLiteral("保存照片信息失败,TPhotoSession中错误:") +
                            QString::fromUtf8(e.what()));
        return failed(texts, FailureReason::OfException(e));
    }
}

TOperationResult TPhotoSession::Delete(const QString &photoId, Identity identity) {
    if (identity == Identity::Photo) {
        dm_.OperationKind = TOperationKind::Photo;
    }
    stage(text(kDelete.notice));
    const std::unique_ptr<TUploadPicture> service = client();
    QString code;
    service->Func_DeleteCompanyPhoto(photoId, code);
    return fromCall(*service, code, kDelete);
}
