// The main window's outbox: the count of photos waiting to be sent (Btn_Outbox in the status bar),
// sending them with a line per entry, and the offer to send after a query of a company that has
// photos waiting.

#include "UploadMain.h"

#include "MessageBox.h"
#include "OutboxOffer.h"
#include "ui_UploadMain.h"

#include "client/MainDataModule.h"
#include "contract/ResultCodes.h"

#include <QPushButton>
#include <QStatusBar>

void TFrm_UploadMain::BuildOutboxButton() {
    Btn_Outbox = new QPushButton(ui->StatusBar);
    Btn_Outbox->setObjectName(QStringLiteral("Btn_Outbox"));
    Btn_Outbox->setToolTip(QStringLiteral("因无法连接服务器而保留的照片,点击发送"));
    ui->StatusBar->addPermanentWidget(Btn_Outbox);
    connect(Btn_Outbox, &QPushButton::clicked, this, [this] { Btn_OutboxClick(); });
    UpdateOutboxCount();
}

void TFrm_UploadMain::UpdateOutboxCount() {
    if (Btn_Outbox == nullptr) {
        return;
    }
    const int count = TOutbox().Count();
    Btn_Outbox->setText(QStringLiteral("待发送: %1").arg(count));
    Btn_Outbox->setEnabled(count > 0 && !sendingOutbox_);
}

void TFrm_UploadMain::Btn_OutboxClick() {
    const int count = TOutbox().Count();
    if (count > 0 && TMessageBox::Question(this, QStringLiteral("现在发送%1项待发送的照片吗?").arg(count))) {
        SendOutboxEntries({});
    }
}

void TFrm_UploadMain::OfferOutboxAfterQuery() {
    if (sendingOutbox_ || DM_Main == nullptr) {
        return;
    }
    QStringList ids;
    for (const TOutbox::Listed &listed : TOutbox().List()) {
        if (listed.error.isEmpty() && listed.entry.companyId == DM_Main->CompanyId) {
            ids.append(listed.id);
        }
    }
    if (!ids.isEmpty() &&
        TMessageBox::Question(this, QStringLiteral("该企业有%1项待发送的照片,现在发送吗?").arg(ids.size()))) {
        SendOutboxEntries(ids);
    }
}

void TFrm_UploadMain::SendOutboxEntries(const QStringList &ids) {
    const QString shownBefore = DM_Main->CurrentCompany ? DM_Main->CompanyId : QString();
    QList<TOutboxReport> reports;
    sendingOutbox_ = true;
    UpdateOutboxCount();
    RunOperation(QStringLiteral("正在发送待发送的照片,请稍候..."), true, [&](TPhotoSession &session) {
        TOutbox outbox;
        reports = SendOutbox(session, *DM_Main, outbox, ids);
        TOperationResult result;
        result.code = ResultCode::kSuccess;
        return result;
    });
    // The entries went to their companies: the window shows the company it showed before, as the
    // service has it now.
    if (!shownBefore.isEmpty() && DM_Main->CurrentCompany && DM_Main->CompanyId == shownBefore) {
        RefreshPhotoList(TPhotoSession::Identity::Photo);
    } else if (!shownBefore.isEmpty()) {
        QueryCompanyInfo(shownBefore);
    } else if (DM_Main->CurrentCompany) {
        ShowCompanyInfo();
        ClearPreview();
        TOperationResult shown;
        shown.code = ResultCode::kSuccess;
        ShowListResult(shown);
    }
    sendingOutbox_ = false;
    UpdateOutboxCount();
    if (!reports.isEmpty()) {
        TMessageBox::Information(this, OutboxOffer::ReportText(reports));
    }
}
