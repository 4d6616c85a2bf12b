// The main window's company query and photo list refresh.

#include "UploadMain.h"

#include "DataNetCommunication.h"
#include "MessageBox.h"
#include "ViewPhoto.h"
#include "ui_UploadMain.h"

#include "core/FileOper.h"
#include "client/MainDataModule.h"
#include "client/PhotoListModel.h"
#include "client/PhotoWorkflow.h"

#include <exception>

void TFrm_UploadMain::Btn_QueryInfoClick() {
    const int kindBefore = DM_Main->OperationKind;
    const QString companyBefore = DM_Main->CompanyId;
    DM_Main->OperationKind = 1;
    const QString typed = ui->Ed_CompanyId->text();
    if (const PhotoWorkflow::TInputProblem problem = PhotoWorkflow::CheckCompanyId(typed)) {
        TMessageBox::Warning(this, problem.text, true);
        ui->Ed_CompanyId->setFocus();
        return;
    }
    PhotoWorkflow::BeginCompanyQuery(*DM_Main, typed);
    bool cancelled = false;
    if (QueryCompanyInfo(&cancelled)) {
        PhotoList->clear();
        ClearPreview();
        RefreshPhotoList();
    } else if (cancelled) {
        // The shown company stays, and so do the headers its photo operations send.
        DM_Main->OperationKind = kindBefore;
        DM_Main->CompanyId = companyBefore;
    } else {
        ForgetCompany();
    }
}

void TFrm_UploadMain::ForgetCompany() {
    PhotoWorkflow::ForgetCompany(*DM_Main);
    ClearPreview();
    ShowCompanyInfo();
    ui->Lb_Msg->setText(QStringLiteral("当前照片: 无"));
    ui->Lb_Size->setText(QStringLiteral("照片大小: 0 KB"));
    UpdateButtonStates();
}

bool TFrm_UploadMain::QueryCompanyInfo(bool *cancelled) {
    try {
        const int result = RunOperation(TFrm_DataNetCommunication::OpQueryCompanyInfo,
                                        QStringLiteral("正在查询企业信息,请稍候..."));
        if (result == TFrm_DataNetCommunication::ResultOk) {
            ShowCompanyInfo();
            return true;
        }
        if (cancelled != nullptr) {
            *cancelled = result == TFrm_DataNetCommunication::ResultCancelled;
        }
        if (result == TFrm_DataNetCommunication::ResultCancelled) {
            return false; // the runner told the user
        }
        if (result == TFrm_DataNetCommunication::ResultNoCompany) {
            TMessageBox::Warning(this, QStringLiteral("企业信息不存在,请重新输入查询"));
        } else {
            TMessageBox::Warning(this, QStringLiteral("查询企业信息失败"));
        }
    } catch (const std::exception &e) {
        TFileOper::WriteLog(QStringLiteral("查询企业信息失败,QueryCompanyInfo中错误:") +
                            QString::fromUtf8(e.what()));
    }
    return false;
}

void TFrm_UploadMain::RefreshPhotoList() {
    const int result = RunOperation(TFrm_DataNetCommunication::OpGetCompanyPhotoList,
                                    QStringLiteral("正在获取企业照片列表,请稍候..."));
    if (result == TFrm_DataNetCommunication::ResultCancelled) {
        // The rows and the preview stay as they were; the runner told the user.
    } else if (result != TFrm_DataNetCommunication::ResultOk) {
        TMessageBox::Warning(this, QStringLiteral("获取企业照片列表失败"));
    } else if (PhotoList->rowCount() == 0) {
        // No photo is left (the list answer emptied the list): nothing of the old rows stays shown.
        ClearPreview();
        ui->Lb_Msg->setText(QStringLiteral("当前照片: 无"));
        ui->Lb_Size->setText(QStringLiteral("照片大小: 0 KB"));
    } else {
        SelectRow(0);
        PhotoListView()->setFocus();
    }
    UpdateButtonStates();
}

void TFrm_UploadMain::Ed_CompanyIdKeyDown() {
    Btn_QueryInfoClick();
}

void TFrm_UploadMain::Btn_RefPhotoClick() {
    DM_Main->OperationKind = 2;
    RefreshPhotoList();
}

void TFrm_UploadMain::N_RefPhotoClick() {
    RefreshPhotoList();
}

void TFrm_UploadMain::ClearPreview() {
    Img_Photo.Clear();
    CurrentPhotoFile.clear();
    Frm_ViewPhoto->PhotoImage = QImage();
    Frm_ViewPhoto->update();
    ShowPhotoFacts(QString());
}
