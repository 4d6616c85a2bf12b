#pragma once
// The notice window every service operation of the windows runs behind: the caller sets the notice
// text and the operation, shows it modally and reads the result once it has closed itself. The
// operation starts half a second after the window appears, so the notice is on screen first, and the
// window keeps painting while it waits for the server; each step of the operation replaces the notice.
// A transfer of more than 256 KB shows its bytes; after two seconds the window offers 取消 (Btn_Cancel),
// which stops the operation and leaves everything as it was before (the window then says so). A change
// the server may already hold (the whole request sent for an insert, change or delete) can no longer
// be cancelled.

#include "client/PhotoSession.h"

#include <QDialog>

#include <functional>
#include <memory>

class QLabel;
class QTimer;
class TransferControl;
struct TransferProgress;

namespace Ui {
class TFrm_DataNetCommunication;
}

class TFrm_DataNetCommunication : public QDialog {
    Q_OBJECT
public:
    // One operation of the data module's session.
    using Operation = std::function<TOperationResult(TPhotoSession &)>;
    // How long a call runs before the window offers to cancel it.
    static constexpr int kCancelOfferMs = 2000;

    explicit TFrm_DataNetCommunication(QWidget *parent = nullptr);
    ~TFrm_DataNetCommunication() override;

    // Shows a runner with the notice over parent, runs the operation in it and returns its result.
    static TOperationResult Run(QWidget *parent, const QString &notice, bool changesServer,
                                const Operation &operation);

    QLabel *Lb_Tip;             // the notice; set its text before showing
    Operation Operate;          // set before showing
    bool ChangesServer = false; // an insert, change or delete: set before showing
    TOperationResult Result;    // once the window has closed

public slots:
    // The window closes only by itself, when its operation has ended.
    void reject() override {}

protected:
    void showEvent(QShowEvent *e) override;

private:
    void FormCreate();
    void TimerTimer();
    void CancelTimerTimer();
    void Btn_CancelClick();
    void ShowProgress(const TransferProgress &progress);
    void ShowProgressRow();

    std::unique_ptr<Ui::TFrm_DataNetCommunication> ui;
    QTimer *Timer;
    QTimer *CancelTimer; // offers Btn_Cancel once the call has run for kCancelOfferMs
    std::shared_ptr<TransferControl> control_;
    bool requestSent_ = false; // the server has the whole request
    bool operationStarted_ = false;
};
