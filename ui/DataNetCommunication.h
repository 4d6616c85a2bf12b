#pragma once
// The notice window every service call of the windows runs behind: the caller sets the notice text, the
// operation and its inputs, shows it modally and reads OperResult once it has closed itself. The call
// starts half a second after the window appears, so the notice is on screen first, and the window
// keeps painting while the call waits for the server. A transfer of more than 1 MB shows its bytes;
// after two seconds the window offers 取消 (Btn_Cancel), which stops the call and leaves everything as
// it was before (OperResult 3). A change the server may already hold (the whole request sent for an
// insert, change or delete) can no longer be cancelled.

#include "contract/PictureService.h"

#include <QDialog>

#include <memory>

class QLabel;
class QTimer;
class TUploadPicture;
class TransferControl;
struct TransferProgress;

namespace Ui {
class TFrm_DataNetCommunication;
}

class TFrm_DataNetCommunication : public QDialog {
    Q_OBJECT
public:
    // The operations, by OperType.
    enum : int {
        OpGetCompanyPhotoList = 0,
        OpGetCompanyPhotoInfo = 1,
        OpInsertCompanyPhoto = 2,
        OpUpdateCompanyPhoto = 3,
        OpDeleteCompanyPhoto = 4,
        OpQueryCompanyInfo = 5,
    };
    // OperResult values.
    enum : int { ResultFailed = 0, ResultOk = 1, ResultNoCompany = 2, ResultCancelled = 3 };
    // How long a call runs before the window offers to cancel it.
    static constexpr int kCancelOfferMs = 2000;

    // The service client is built now, so its request header follows the data module's OperationKind
    // at this moment.
    explicit TFrm_DataNetCommunication(QWidget *parent = nullptr);
    // Tests: runs against the given client.
    TFrm_DataNetCommunication(std::unique_ptr<TUploadPicture> client, QWidget *parent);
    ~TFrm_DataNetCommunication() override;

    QLabel *Lb_Tip; // the notice; set its text before showing
    std::unique_ptr<TUploadPicture> UploadPicture;
    int OperResult = ResultFailed;
    int OperType = OpGetCompanyPhotoList;
    QString PhotoFlag;                     // "0" small, "1" source (operation 1)
    QString PhotoId;                       // operations 1 and 4
    const TPictureInfo *PicInfo = nullptr; // operations 2 and 3; not owned

public slots:
    // The window closes only by itself, when its call has ended.
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
    bool ChangesServer() const;
    QString CancelledNotice() const;

    void GetCompanyPhotoList();
    void GetCompanyPhotoInfo();
    void InsertCompanyPhoto();
    void UpdateCompanyPhoto();
    void DeleteCompanyPhoto();
    void QueryCompanyInfo();

    // Runs one client call; OperResult becomes 1 for "1110" (and 2 for "1003" when noCompanyCode).
    template <typename Call> void RunOperation(const QString &failureText, bool noCompanyCode, Call call);

    std::unique_ptr<Ui::TFrm_DataNetCommunication> ui;
    QTimer *Timer;
    QTimer *CancelTimer; // offers Btn_Cancel once the call has run for kCancelOfferMs
    std::shared_ptr<TransferControl> control_;
    bool requestSent_ = false; // the server has the whole request
    bool operationStarted_ = false;
};
