// The input checks, the photo limit and the photo record of the photo work.

#include "PhotoWorkflow.h"

#include "PhotoListModel.h"
#include "PhotoTypeChoice.h"

#include "MainDataModule.h"
#include "core/Gbk.h"
#include "core/StrOper.h"
#include "imaging/ImageCheck.h"

#include <QFileInfo>

#include <exception>

namespace PhotoWorkflow {

namespace {

TInputProblem refuse(Input input, const QString &text) {
    return {input, text};
}

} // namespace

TInputProblem CheckLogin(const QString &user, const QString &password) {
    if (user.trimmed().isEmpty()) {
        return refuse(Input::UserName, QStringLiteral("【用户名】不能为空"));
    }
    if (password.trimmed().isEmpty()) {
        return refuse(Input::Password, QStringLiteral("【密码】不能为空"));
    }
    return {};
}

void BeginLogin(TDM_Main &dm, const QString &user, const QString &password) {
    dm.UserName = user.trimmed();
    dm.UserPass = password.trimmed();
    dm.OperationKind = TOperationKind::Login;
    dm.LoginOk = false;
}

TInputProblem CheckCompanyId(const QString &typed) {
    if (typed.trimmed().isEmpty()) {
        return refuse(Input::CompanyId, QStringLiteral("企业编号不能为空"));
    }
    // Counted as typed: surrounding spaces count, although the query sends the ID trimmed.
    if (typed.size() != 13) {
        return refuse(Input::CompanyId, QStringLiteral("企业编号必须为13位"));
    }
    return {};
}

void BeginCompanyQuery(TDM_Main &dm, const QString &typed) {
    dm.CompanyId = typed.trimmed();
    dm.OperationKind = TOperationKind::CompanyQuery;
}

void ForgetCompany(TDM_Main &dm) {
    if (dm.CurrentCompany) {
        *dm.CurrentCompany = TCurrentCompany();
    }
    dm.MaxPhotoNumber = 0;
    dm.ZoomWidth = 0;
    dm.ZoomHeight = 0;
    dm.PhotoTypeList.clear();
    if (dm.PhotoListView != nullptr) {
        dm.PhotoListView->clear();
    }
}

bool MayAddPhoto(const TDM_Main &dm) {
    const int photos = dm.PhotoListView != nullptr ? dm.PhotoListView->rowCount() : 0;
    return photos < dm.MaxPhotoNumber;
}

QString PhotoLimitProblem(const TDM_Main &dm, int adding) {
    const int photos = dm.PhotoListView != nullptr ? dm.PhotoListView->rowCount() : 0;
    if (photos + qMax(adding, 1) > dm.MaxPhotoNumber) {
        return QStringLiteral("您最多能添加【%1】张照片").arg(dm.MaxPhotoNumber);
    }
    // Each new photo needs a type of its own: the editor would offer none to choose from.
    if (!dm.PhotoTypeList.isEmpty() &&
        PhotoTypeChoice::UnusedEntries(dm.PhotoTypeList, dm.PhotoListView).size() < qMax(adding, 1)) {
        return adding <= 1
                   ? QStringLiteral("每种照片类型都已有照片,不能再新增照片;请修改或删除已有的照片")
                   : QStringLiteral("未使用的照片类型只剩【%1】种,不能一次新增【%2】张照片")
                         .arg(PhotoTypeChoice::UnusedEntries(dm.PhotoTypeList, dm.PhotoListView).size())
                         .arg(adding);
    }
    return {};
}

TInputProblem CheckPhotoFile(const QString &path) {
    const QString file = path.trimmed();
    if (file.isEmpty()) {
        return refuse(Input::PhotoPath, QStringLiteral("请选择【照片路径】"));
    }
    if (!QFileInfo(file).isFile()) {
        return refuse(Input::PhotoPath, QStringLiteral("您选择的【照片路径】不存在文件,请重新选择"));
    }
    // Every photo is sent as a JPEG: other kinds are turned into one when they are prepared.
    const TImageCheck image = CheckImageFile(file);
    if (image.kind == ImageKind::NotImage) {
        return refuse(Input::PhotoPath,
                      QStringLiteral("您选择的【照片路径】不是可读取的照片(可用 JPEG、HEIC/HEIF、"
                                     "PNG、WebP、TIFF 或 BMP),请重新选择"));
    }
    if (!image.usable()) {
        return refuse(Input::PhotoPath, UnusablePhotoText(file, image.error));
    }
    return {};
}

TInputProblem CheckPhotoInput(EditMode mode, const QString &path, bool typeChosen, const QString &note) {
    if (mode == EditMode::Add || !path.trimmed().isEmpty()) {
        if (TInputProblem problem = CheckPhotoFile(path)) {
            return problem;
        }
    }
    return CheckPhotoDetails(typeChosen, note);
}

TInputProblem CheckPhotoDetails(bool typeChosen, const QString &note) {
    if (!typeChosen) {
        return refuse(Input::PhotoType, QStringLiteral("您选择的【照片类型】不正确,请重新选择"));
    }
    const QString trimmedNote = note.trimmed();
    if (trimmedNote.isEmpty()) {
        return refuse(Input::Note, QStringLiteral("请填写【照片描述】"));
    }
    // The service keeps notes in GBK: a character outside it would be stored silently altered.
    if (!Gbk::canEncode(trimmedNote)) {
        return refuse(Input::Note, QStringLiteral("【照片描述】中含有无法保存的字符,请修改"));
    }
    return {};
}

QString UnusablePhotoText(const QString &path, const QString &reason) {
    return QStringLiteral("无法使用照片文件【%1】:%2").arg(path, reason);
}

TPictureInfo PhotoRecord(const TCurrentCompany &company, const QString &photoId, const QString &typeCode,
                         const QString &note, const TPreparedPhoto &photo) {
    TPictureInfo info;
    info.F_ID = photoId; // plain text, unlike the other text fields; empty for a new photo
    if (photo.hasImage()) {
        info.F_PHOTO = photo.source;
        info.F_SMALLPHOTO = photo.small;
    }
    info.F_COMPANYID = TStrOper::EncodeBase64(company.CustomerId);
    info.F_BUSFLAG = TStrOper::EncodeBase64(company.CompanyType);
    info.F_FLAG = TStrOper::EncodeBase64(typeCode);
    info.F_MEMO = TStrOper::EncodeBase64(note.trimmed());
    return info;
}

} // namespace PhotoWorkflow
