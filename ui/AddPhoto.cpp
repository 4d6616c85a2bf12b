#include "AddPhoto.h"

#include "ui_AddPhoto.h"

#include "BusyWork.h"
#include "DataNetCommunication.h"
#include "MessageBox.h"
#include "OpenFileDialog.h"

#include "core/FileOper.h"
#include "client/MainDataModule.h"
#include "client/PhotoTypeChoice.h"
#include "client/PhotoWorkflow.h"

#include <exception>

namespace {

PhotoWorkflow::EditMode editMode(int operMode) {
    return operMode == TFrm_AddPhoto::ModeAdd ? PhotoWorkflow::EditMode::Add : PhotoWorkflow::EditMode::Edit;
}

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
    setAcceptDrops(true);
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
        ui->Ed_PhotoPath->setText(PhotoPath);
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
        {QStringLiteral("照片 (*.jpg *.jpeg *.heic *.heif *.png *.webp *.tif *.tiff *.bmp)"),
         QStringLiteral("JPEG Image File (*.jpg)"), QStringLiteral("JPEG Image File (*.jpeg)"),
         QStringLiteral("HEIC/HEIF (*.heic *.heif)"), QStringLiteral("PNG (*.png)"),
         QStringLiteral("WebP (*.webp)"), QStringLiteral("TIFF (*.tif *.tiff)"),
         QStringLiteral("BMP (*.bmp)")});
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
        const PhotoWorkflow::TInputProblem problem =
            PhotoWorkflow::CheckPhotoInput(editMode(OperMode), ui->Ed_PhotoPath->text(),
                                           ui->Cb_PhotoType->currentIndex() >= 0, ui->Ed_PhotoNote->text());
        switch (problem.input) {
        case PhotoWorkflow::Input::None:
            return true;
        case PhotoWorkflow::Input::PhotoType:
            return Refuse(problem.text, ui->Cb_PhotoType);
        case PhotoWorkflow::Input::Note:
            return Refuse(problem.text, ui->Ed_PhotoNote);
        default:
            return Refuse(problem.text, ui->Btn_Load);
        }
    } catch (...) {
        return false;
    }
}

bool TFrm_AddPhoto::CreatePhotoInfo(TPictureInfo &info) {
    try {
        const QString path = ui->Ed_PhotoPath->text().trimmed();
        prepared_ = {};
        if (!path.isEmpty()) {
            const int width = DM_Main->ZoomWidth;
            const int height = DM_Main->ZoomHeight;
            PhotoWorkflow::TPreparedPhoto photo;
            RunBusyWork(this, QStringLiteral("正在处理照片,请稍候..."),
                        [&] { photo = PhotoWorkflow::PreparePhoto(path, width, height); });
            prepared_ = std::move(photo);
            if (!prepared_.hasImage()) {
                // A file that passed the header check but cannot be decoded: nothing is sent.
                return Refuse(PhotoWorkflow::UnusablePhotoText(path, prepared_.failedSteps.join(u"; ")),
                              ui->Btn_Load);
            }
        }
        SourceFile = prepared_.sourceFile;
        SmallFile = prepared_.smallFile;
        info =
            PhotoWorkflow::PhotoRecord(*DM_Main->CurrentCompany, OperMode == ModeEdit ? PhotoId : QString(),
                                       PhotoTypeChoice::CodeOf(ui->Cb_PhotoType->currentText().trimmed()),
                                       ui->Ed_PhotoNote->text(), prepared_);
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
        saveCancelled_ = runner.OperResult == TFrm_DataNetCommunication::ResultCancelled;
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
    if (!prepared_.hasImage()) {
        return; // an edit without a new image leaves the cache as it is
    }
    // A failed filing is logged; the photo is saved all the same, and the preview offers to download it.
    PhotoWorkflow::FilePreparedPhoto(PhotoId, prepared_);
}

void TFrm_AddPhoto::Btn_SaveClick() {
    if (!CheckInput()) {
        return;
    }
    saveCancelled_ = false;
    if (!GetPhotoInfo()) {
        if (!saveCancelled_) {
            TMessageBox::Warning(this, QStringLiteral("保存照片失败"));
        }
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
