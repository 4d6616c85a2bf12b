// The sheet of several photos: preparing every photo once when it opens, and sending the rows one after
// another.

#include "PhotoSheet.h"

#include "MessageBox.h"
#include "PreparedSizes.h"

#include "client/MainDataModule.h"
#include "client/PhotoListModel.h"
#include "client/PhotoTypeChoice.h"
#include "client/TransferControl.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>

void TFrm_PhotoSheet::RunBusy(const std::function<void()> &work) {
    busy_ = true;
    stopRequested_ = false;
    UpdateButtons();
    // A control of the sheet's own lets the user's clicks through while the session works.
    control_ = std::make_shared<TransferControl>();
    TPhotoSession &session = DM_Main->Session();
    session.SetControl(control_);
    const auto done = qScopeGuard([this, &session] {
        session.SetControl(nullptr);
        busy_ = false;
        Pb_Progress->setVisible(false);
        UpdateButtons();
    });
    Pb_Progress->setValue(0);
    Pb_Progress->setVisible(true);
    work();
}

void TFrm_PhotoSheet::PrepareAll() {
    if (DM_Main == nullptr) {
        return;
    }
    Pb_Progress->setRange(0, RowCount());
    RunBusy([this] {
        for (size_t i = 0; i < rows_.size() && !stopRequested_; ++i) {
            Lb_Status->setText(QStringLiteral("正在处理照片 %1/%2...").arg(i + 1).arg(rows_.size()));
            PrepareRow(*rows_[i]);
            Pb_Progress->setValue(int(i + 1));
            emit RowDone(int(i));
        }
    });
    if (stopRequested_) {
        QDialog::reject(); // nothing was sent
        return;
    }
    RefreshTypeOffers();
    Lb_Status->setText(QStringLiteral("照片已处理,请选择类型、填写描述后保存"));
}

void TFrm_PhotoSheet::PrepareRow(Row &row) {
    ShowRow(row, RowState::Preparing);
    const TOperationResult result = DM_Main->Session().Prepare(row.file, row.photo);
    if (!result.ok()) {
        row.photo = {};
        ShowRow(row, RowState::Unusable, result.message);
        RefreshTypeOffers();
        return;
    }
    row.sizes->setText(PreparedSizes::SourceText(row.photo) + u'\n' +
                       PreparedSizes::SmallText(row.photo, DM_Main->ZoomWidth, DM_Main->ZoomHeight));
    QImage thumb;
    if (thumb.loadFromData(row.photo.small)) {
        row.thumb->setPixmap(
            QPixmap::fromImage(thumb.scaled(QSize(96, 72), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    }
    ShowRow(row, RowState::Ready);
}

void TFrm_PhotoSheet::Btn_SaveClick() {
    std::vector<Row *> sending;
    for (const std::unique_ptr<Row> &row : rows_) {
        if (row->state == RowState::Ready || row->state == RowState::Refused ||
            row->state == RowState::Failed) {
            sending.push_back(row.get());
        }
    }
    SendRows(sending);
}

void TFrm_PhotoSheet::SendRows(const std::vector<Row *> &rows) {
    if (busy_ || rows.empty() || DM_Main == nullptr) {
        return;
    }
    // Every row's input is checked, and the limit counts them all, before the first is sent.
    for (Row *row : rows) {
        const int at = IndexOf(row) + 1;
        if (row->type->currentIndex() < 0) {
            TMessageBox::Warning(this, QStringLiteral("第 %1 张照片没有可选的【照片类型】").arg(at), true);
            row->type->setFocus();
            return;
        }
        const PhotoWorkflow::TInputProblem problem =
            PhotoWorkflow::CheckPhotoInput(PhotoWorkflow::EditMode::Edit, QString(), true, row->note->text());
        if (problem) {
            TMessageBox::Warning(this, QStringLiteral("第 %1 张照片:").arg(at) + problem.text, true);
            row->note->setFocus();
            return;
        }
    }
    if (const QString refusal = PhotoWorkflow::PhotoLimitProblem(*DM_Main, int(rows.size()));
        !refusal.isEmpty()) {
        TMessageBox::Information(this, refusal);
        return;
    }
    Pb_Progress->setRange(0, int(rows.size()));
    int sent = 0;
    int done = 0;
    RunBusy([&] {
        for (Row *row : rows) {
            if (stopRequested_) {
                break;
            }
            Lb_Status->setText(QStringLiteral("正在发送照片 %1/%2...").arg(done + 1).arg(rows.size()));
            SendRow(*row);
            sent += row->state == RowState::Sent ? 1 : 0;
            Pb_Progress->setValue(++done);
            emit RowDone(IndexOf(row));
        }
    });
    QString summary = QStringLiteral("已保存 %1 张,未成功 %2 张").arg(sent).arg(done - sent);
    if (done < int(rows.size())) {
        summary += QStringLiteral(",已停止,%1 张未发送").arg(int(rows.size()) - done);
    }
    Lb_Status->setText(summary);
    std::vector<Row *> failed;
    for (Row *row : rows) {
        if (row->state == RowState::Failed) {
            failed.push_back(row);
        }
    }
    OfferToKeep(failed);
}

void TFrm_PhotoSheet::SendRow(Row &row) {
    const QString entry = row.type->currentText();
    const QString note = row.note->text();
    ShowRow(row, RowState::Sending);
    attempted_ = true;
    const TOperationResult result = DM_Main->Session().AddPrepared(row.photo, entry, note);
    if (result.ok()) {
        row.photoId = result.photoId;
        SentIds.append(result.photoId);
        if (DM_Main->PhotoListView != nullptr) {
            // Listed at once, so the limit and the types of the next rows count it.
            DM_Main->PhotoListView->appendRow(note.trimmed(), result.photoId,
                                              PhotoTypeChoice::CodeOf(entry.trimmed()),
                                              TPhotoListModel::SourceCached);
        }
        ShowRow(row, RowState::Sent,
                result.warning.isEmpty() ? result.message : result.message + u':' + result.warning);
        RefreshTypeOffers();
        return;
    }
    const QString why = result.reason.isEmpty() ? result.message : result.reason;
    row.reason = why;
    // The service could not be reached or the transfer was cut: worth sending again as it is; otherwise
    // the input or the service refused it.
    if (!result.unreachable) {
        ShowRow(row, RowState::Refused, QStringLiteral("被拒绝:") + why);
    } else {
        ShowRow(row, RowState::Failed, QStringLiteral("发送失败:") + why);
    }
}
