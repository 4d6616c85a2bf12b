// The main window's company query and photo list refresh.

#include "UploadMain.h"

#include "DataNetCommunication.h"
#include "MessageBox.h"
#include "ViewPhoto.h"
#include "ui_UploadMain.h"

#include "client/MainDataModule.h"
#include "client/PhotoListModel.h"
#include "client/PhotoWorkflow.h"

void TFrm_UploadMain::Btn_QueryInfoClick() {
    const QString typed = ui->Ed_CompanyId->text();
    if (PhotoWorkflow::CheckCompanyId(typed)) {
        // The session refuses the ID without asking the server, so no runner is needed for it.
        TMessageBox::Warning(this, DM_Main->Session().QueryCompany(typed).message, true);
        ui->Ed_CompanyId->setFocus();
        return;
    }
    QueryCompanyInfo(typed);
}

void TFrm_UploadMain::ForgetCompany() {
    ClearPreview();
    ShowCompanyInfo();
    ui->Lb_Msg->setText(QStringLiteral("当前照片: 无"));
    ui->Lb_Size->setText(QStringLiteral("照片大小: 0 KB"));
    UpdateButtonStates();
}

bool TFrm_UploadMain::QueryCompanyInfo(const QString &typed) {
    const TOperationResult result =
        RunOperation(TPhotoSession::Notice(TPhotoSession::Step::Query), false,
                     [typed](TPhotoSession &session) { return session.Query(typed); });
    if (result.cancelled && !result.companyFound) {
        return false; // the shown company stays; the runner told the user
    }
    if (!result.companyFound) {
        TMessageBox::Failure(this, result.message, result.reason);
        ForgetCompany(); // the session forgot it already: nothing of it stays on screen either
        return false;
    }
    ShowCompanyInfo();
    ClearPreview();
    ShowListResult(result);
    if (result.ok()) {
        OfferOutboxAfterQuery();
    }
    return true;
}

void TFrm_UploadMain::RefreshPhotoList(TPhotoSession::Identity identity) {
    ShowListResult(RunOperation(TPhotoSession::Notice(TPhotoSession::Step::List), false,
                                [identity](TPhotoSession &session) { return session.Refresh(identity); }));
}

void TFrm_UploadMain::ShowListResult(const TOperationResult &result) {
    if (result.cancelled) {
        // The rows and the preview stay as they were; the runner told the user.
    } else if (!result.ok()) {
        TMessageBox::Failure(this, result.message, result.reason);
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
    RefreshPhotoList(TPhotoSession::Identity::Photo);
}

void TFrm_UploadMain::N_RefPhotoClick() {
    RefreshPhotoList(TPhotoSession::Identity::Kept);
}

void TFrm_UploadMain::ClearPreview() {
    Img_Photo.Clear();
    CurrentPhotoFile.clear();
    Frm_ViewPhoto->PhotoImage = QImage();
    Frm_ViewPhoto->update();
    ShowPhotoFacts(QString());
}
