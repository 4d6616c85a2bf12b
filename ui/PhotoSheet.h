#pragma once
// The sheet of several photos added at once (chosen together, dropped or pasted together): a row per
// photo with its thumbnail, a type (only the company's unused types, each at most once across the rows),
// a note, and the size it will be sent at against the company's limits. Every photo is prepared once,
// when the sheet opens, before anything is sent; 保存 sends the rows one after another (the photo limit
// counts them all first) and each row shows its result; a failed or refused row can be sent again alone;
// 取消 stops after the photo being sent; rows that found no service may be kept in the outbox. The
// members live in PhotoSheet.cpp (rows, types, layout), PhotoSheetSend.cpp (preparing and sending) and
// PhotoSheetKeep.cpp (the outbox).

#include "client/PhotoSession.h"
#include "client/PhotoWorkflow.h"

#include <QDialog>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class TransferControl;

class TFrm_PhotoSheet : public QDialog {
    Q_OBJECT
public:
    // The sheet of files, one row each, in the order given.
    explicit TFrm_PhotoSheet(const QStringList &files, QWidget *parent = nullptr);
    ~TFrm_PhotoSheet() override;

    // What became of a row.
    enum class RowState { Waiting, Preparing, Ready, Unusable, Sending, Sent, Refused, Failed, Kept };

    int RowCount() const { return int(rows_.size()); }
    RowState StateOf(int row) const { return rows_.at(size_t(row))->state; }
    // Whether any row was sent (whatever came of it): the list may have changed.
    bool Attempted() const { return attempted_; }
    // The IDs of the photos the service took while the sheet was open, in the order sent.
    QStringList SentIds;

signals:
    // A row's preparation or send has ended and its result shows; the next one has not started.
    void RowDone(int row);

public slots:
    // Closing the window while photos are prepared or sent asks them to stop after the current one.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct Row {
        QString file;
        PhotoWorkflow::TPreparedPhoto photo;
        RowState state = RowState::Waiting;
        QString photoId;
        QString reason; // why the last send failed
        QLabel *thumb = nullptr;
        QComboBox *type = nullptr;
        QLineEdit *note = nullptr;
        QLabel *sizes = nullptr;
        QLabel *result = nullptr;
        QPushButton *action =
            nullptr; // 移除 before a send, 重新发送 after a failed or refused one, none after
    };

    void BuildLayout();
    // The company's limit, the photos it has, and the limits the small versions are reduced by.
    void ShowLimits();
    void AddRow(const QString &file);
    int IndexOf(const Row *row) const;
    // Every unsent row offers the unused types that no other unsent row has chosen.
    void RefreshTypeOffers();
    void ShowRow(Row &row, RowState state, const QString &text = QString());
    void UpdateButtons();
    void RowActionClick(Row *row);

    // Preparing every row once (PhotoSheetSend.cpp).
    void PrepareAll();
    void PrepareRow(Row &row);
    // Sending (PhotoSheetSend.cpp): the rows given, one after another, after the limit counted them all.
    void Btn_SaveClick();
    void Btn_CancelClick();
    void SendRows(const std::vector<Row *> &rows);
    void SendRow(Row &row);
    // After a send that could not reach the service: offers to keep the failed rows in the outbox, to be
    // sent from the main window later (PhotoSheetKeep.cpp).
    void OfferToKeep(const std::vector<Row *> &rows);
    // The session runs with the sheet's control while it prepares or sends; busy_ meanwhile.
    void RunBusy(const std::function<void()> &work);

    std::vector<std::unique_ptr<Row>> rows_;
    QTableWidget *Tbl_Photos = nullptr;
    QLabel *Lb_Limits = nullptr;
    QLabel *Lb_Status = nullptr;
    QProgressBar *Pb_Progress = nullptr;
    QPushButton *Btn_Save = nullptr;
    QPushButton *Btn_Cancel = nullptr;
    std::shared_ptr<TransferControl> control_;
    bool shown_ = false;
    bool busy_ = false;
    bool stopRequested_ = false;
    bool attempted_ = false;
};
