#include "AddPhoto.h"

#include "ui_AddPhoto.h"

#include "DataNetCommunication.h"
#include "MessageBox.h"
#include "OpenFileDialog.h"
#include "PhotoTypeChoice.h"

#include "core/FileOper.h"
#include "core/Gbk.h"
#include "core/MainDataModule.h"
#include "core/StrOper.h"
#include "imaging/ImgOper.h"
#include "service/PhotoCache.h"

#include <QFileInfo>

#include <exception>

namespace {

// The smallest limits the service's photo list ever leaves in the data module.
constexpr int kMinZoomWidth = 640;
constexpr int kMinZoomHeight = 480;

QString errorText(const std::exception &e) {
    return QString::fromUtf8(e.what());
}

} // namespace

TFrm_AddPhoto::TFrm_AddPhoto(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TFrm_AddPhoto>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    connect(ui->Btn_Load, &QPushButton::clicked, this, &TFrm_AddPhoto::Btn_LoadClick);
    connect(ui->Btn_Save, &QPushButton::clicked, this, &TFrm_AddPhoto::Btn_SaveClick);
    connect(ui->Btn_Close, &QPushButton::clicked, this, &TFrm_AddPhoto::Btn_CloseClick);
    Saved = false;
}

TFrm_AddPhoto::~TFrm_AddPhoto() = default;

void TFrm_AddPhoto::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TFrm_AddPhoto::FormShow() {
    InitPhotoTypeList();
    if (OperMode == ModeEdit) {
        ui->Ed_PhotoNote->setText(PhotoNote);
        ui->Cb_PhotoType->setCurrentIndex(ui->Cb_PhotoType->count() > 0 ? 0 : -1);
        ui->Cb_PhotoType->setEnabled(false); // an existing photo keeps its type
    } else {
        ui->Ed_PhotoNote->clear();
        ui->Ed_PhotoPath->clear();
        ui->Cb_PhotoType->setCurrentIndex(-1);
    }
}

void TFrm_AddPhoto::InitPhotoTypeList() {
    ui->Cb_PhotoType->clear();
    if (DM_Main == nullptr || DM_Main->PhotoTypeList.isEmpty()) {
        return;
    }
    ui->Cb_PhotoType->addItems(
        PhotoTypeChoice::UnusedEntries(DM_Main->PhotoTypeList, DM_Main->PhotoListView));
    if (OperMode == ModeEdit) {
        // The edited photo's own type is in use, so the walk above left it out.
        ui->Cb_PhotoType->insertItem(0, FindPhotoTypeItem());
    }
}

QString TFrm_AddPhoto::FindPhotoTypeItem() const {
    return PhotoTypeChoice::FindItem(DM_Main->PhotoTypeList, PhotoType, PhotoNote);
}

bool TFrm_AddPhoto::IsPhotoTypeUsed(const QString &code) const {
    return PhotoTypeChoice::IsUsed(DM_Main != nullptr ? DM_Main->PhotoListView : nullptr, code);
}

void TFrm_AddPhoto::Btn_LoadClick() {
    const QString chosen = TOpenFileDialog::GetOpenFileName(
        this, QStringLiteral("选择照片"),
        {QStringLiteral("JPEG Image File (*.jpg)"), QStringLiteral("JPEG Image File (*.jpeg)")});
    if (!chosen.isEmpty()) {
        ui->Ed_PhotoPath->setText(chosen);
    }
}

bool TFrm_AddPhoto::Refuse(const QString &text, QWidget *focus) {
    TMessageBox::Warning(this, text, true);
    focus->setFocus();
    return false;
}

bool TFrm_AddPhoto::CheckInput() {
    try {
        const QString path = ui->Ed_PhotoPath->text().trimmed();
        const bool fileMissing = !QFileInfo(path).isFile();
        if (OperMode == ModeAdd) {
            if (path.isEmpty()) {
                return Refuse(QStringLiteral("请选择【照片路径】"), ui->Btn_Load);
            }
            if (fileMissing) {
                return Refuse(QStringLiteral("您选择的【照片路径】不存在文件,请重新选择"), ui->Btn_Load);
            }
        } else if (!path.isEmpty() && fileMissing) {
            return Refuse(QStringLiteral("您选择的【照片路径】不存在文件,请重新选择"), ui->Btn_Load);
        }
        if (ui->Cb_PhotoType->currentIndex() < 0) {
            return Refuse(QStringLiteral("您选择的【照片类型】不正确,请重新选择"), ui->Cb_PhotoType);
        }
        const QString note = ui->Ed_PhotoNote->text().trimmed();
        if (note.isEmpty()) {
            return Refuse(QStringLiteral("请填写【照片描述】"), ui->Ed_PhotoNote);
        }
        // The service keeps notes in GBK: a character outside it would be stored silently altered.
        if (!Gbk::canEncode(note)) {
            return Refuse(QStringLiteral("【照片描述】中含有无法保存的字符,请修改"), ui->Ed_PhotoNote);
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool TFrm_AddPhoto::CreatePhotoInfo(TPictureInfo &info) {
    try {
        const QString path = ui->Ed_PhotoPath->text().trimmed();
        SourceFile.clear();
        SmallFile.clear();
        if (!path.isEmpty()) {
            TImgOper::ZipImage(path, SourceFile);
        }
        if (OperMode == ModeEdit) {
            info.F_ID = PhotoId; // plain text, unlike the other text fields
        }
        if (OperMode == ModeAdd || !SourceFile.trimmed().isEmpty()) {
            info.F_PHOTO = TImgOper::ImgPathToByte(SourceFile);
            TImgOper::ZipImageSize(SourceFile, qMax(DM_Main->ZoomWidth, kMinZoomWidth),
                                   qMax(DM_Main->ZoomHeight, kMinZoomHeight), SmallFile);
            info.F_SMALLPHOTO = TImgOper::ImgPathToByte(SmallFile);
        }
        info.F_COMPANYID = TStrOper::EncodeBase64(DM_Main->CurrentCompany->CustomerId);
        info.F_BUSFLAG = TStrOper::EncodeBase64(DM_Main->CurrentCompany->CompanyType);
        info.F_FLAG =
            TStrOper::EncodeBase64(PhotoTypeChoice::CodeOf(ui->Cb_PhotoType->currentText().trimmed()));
        info.F_MEMO = TStrOper::EncodeBase64(ui->Ed_PhotoNote->text().trimmed());
        return true;
    } catch (const std::exception &e) {
        TFileOper::WriteLog(QStringLiteral("生成照片信息类失败,CreatePhotoInfo中错误:") + errorText(e));
    }
    return false;
}

bool TFrm_AddPhoto::SavePhotoInfo(const TPictureInfo &info) {
    try {
        TFrm_DataNetCommunication runner(parentWidget() != nullptr ? parentWidget() : this);
        if (OperMode == ModeAdd) {
            runner.Lb_Tip->setText(QStringLiteral("正在提交您新增的照片,请稍候..."));
            runner.OperType = TFrm_DataNetCommunication::OpInsertCompanyPhoto;
        } else {
            runner.Lb_Tip->setText(QStringLiteral("正在提交您修改的照片,请稍候..."));
            runner.OperType = TFrm_DataNetCommunication::OpUpdateCompanyPhoto;
        }
        runner.PicInfo = &info;
        runner.exec();
        return runner.OperResult == TFrm_DataNetCommunication::ResultOk;
    } catch (const std::exception &e) {
        TFileOper::WriteLog(QStringLiteral("保存照片信息失败,SavePhotoInfo中错误:") + errorText(e));
    }
    return false;
}

bool TFrm_AddPhoto::GetPhotoInfo() {
    try {
        TPictureInfo info;
        return CreatePhotoInfo(info) && SavePhotoInfo(info);
    } catch (const std::exception &e) {
        TFileOper::WriteLog(QStringLiteral("获取照片信息失败,GetPhotoInfo中错误:") + errorText(e));
    }
    return false;
}

void TFrm_AddPhoto::FilePreparedImages() {
    if (OperMode == ModeAdd) {
        PhotoId = PhotoTypeChoice::NewPhotoId(DM_Main->CurrentCompany->CustomerId, QDate::currentDate(),
                                              ui->Cb_PhotoType->currentText());
    }
    if (!QFileInfo(SourceFile).isFile()) {
        return; // an edit without a new image leaves the cache as it is
    }
    // The customer ID comes from the server: an ID that is no plain file name stays out of the cache.
    if (!PhotoCache::IsPlainFileName(PhotoId)) {
        PhotoCache::LogUnsafePhotoId(PhotoId);
        return;
    }
    const QString folder = PhotoCache::Folder();
    // Each copy replaces its file whole; a failed copy is logged and otherwise goes unnoticed.
    TImgOper::SaveImgInfo(PhotoCache::SourceFile(folder, PhotoId), TImgOper::ImgPathToByte(SourceFile));
    TImgOper::SaveImgInfo(PhotoCache::SmallFile(folder, PhotoId), TImgOper::ImgPathToByte(SmallFile));
}

void TFrm_AddPhoto::Btn_SaveClick() {
    if (!CheckInput()) {
        return;
    }
    if (!GetPhotoInfo()) {
        TMessageBox::Warning(this, QStringLiteral("保存照片失败"));
        return;
    }
    Saved = true;
    PhotoType = PhotoTypeChoice::CodeOf(ui->Cb_PhotoType->currentText().trimmed());
    PhotoNote = ui->Ed_PhotoNote->text().trimmed();
    FilePreparedImages();
    TMessageBox::Information(this, QStringLiteral("保存照片成功"));
    accept();
}

void TFrm_AddPhoto::Btn_CloseClick() {
    reject();
}
