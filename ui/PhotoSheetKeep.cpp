// The sheet of several photos: rows that could not reach the service kept in the outbox, with the
// photo as it was prepared, to be sent from the main window once the service answers again.

#include "PhotoSheet.h"

#include "MessageBox.h"

#include "client/MainDataModule.h"
#include "client/Outbox.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <exception>

void TFrm_PhotoSheet::OfferToKeep(const std::vector<Row *> &rows) {
    if (rows.empty() || DM_Main == nullptr ||
        !TMessageBox::Question(this, QStringLiteral("%1 张照片因无法连接服务器未能发送。\n\n"
                                                    "是否保留到待发送箱,等网络恢复后再发送?")
                                         .arg(rows.size()))) {
        return;
    }
    int kept = 0;
    for (Row *row : rows) {
        TOutboxEntry work;
        work.companyId = DM_Main->CompanyId;
        work.kind = TOutboxEntry::Kind::Add;
        work.typeEntry = row->type->currentText();
        work.note = row->note->text();
        work.reason = row->reason;
        work.photo = row->photo;
        try {
            TOutbox().Keep(work);
        } catch (const std::exception &e) {
            // The row stays failed, so it can be sent again or kept later.
            TMessageBox::Failure(this, QStringLiteral("保留照片失败"), QString::fromUtf8(e.what()));
            break;
        }
        ShowRow(*row, RowState::Kept, QStringLiteral("已保留到待发送箱"));
        ++kept;
    }
    UpdateButtons();
    if (kept > 0) {
        Lb_Status->setText(Lb_Status->text() + QStringLiteral(";%1 张已保留到待发送箱").arg(kept));
    }
}
