#pragma once
// The login dialog: collects user name and password, stores them in the data module and lets a login
// thread check them with the service while the dialog waits with its inputs disabled. It closes with
// LoginOk set once the service accepted the user; after a refusal or failure the user may try again.
// A check that runs for two seconds can be cancelled (Btn_CancelLogin): the dialog is usable at once
// and the check's outcome, should it still come, is dropped.

#include "LoginThread.h"

#include <QDialog>

#include <memory>

class QKeyEvent;
class TransferControl;
class QLineEdit;
class QTimer;

namespace Ui {
class TFrm_Login;
}

class TFrm_Login : public QDialog {
    Q_OBJECT
public:
    explicit TFrm_Login(QWidget *parent = nullptr);
    ~TFrm_Login() override;

    // Tests: the service client every verification of this dialog uses.
    void SetClientFactory(TLoginThread::ClientFactory factory) { clientFactory_ = std::move(factory); }

public slots:
    // Esc and the window's close both arrive here; they cancel only while the cancel button is usable.
    void reject() override;

protected:
    bool event(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void FormCreate();
    void Btn_LoginClick();
    void Btn_CloseClick();
    void TimerTimer();
    void CancelTimerTimer();
    void Btn_CancelLoginClick();
    void Ed_UserNameEnter();
    void Ed_UserPassEnter();
    void Ed_UserNameExit();
    void Ed_UserPassExit();
    void Ed_UserNameKeyDown(const QKeyEvent &key);
    void Ed_UserPassKeyDown(const QKeyEvent &key);
    bool WndProc(QEvent *e);

    bool CheckInput();
    void SetInputEnabled(bool enabled);
    void StartLogin();

    static void SetEditColor(QLineEdit *edit, const QColor &color);

    std::unique_ptr<Ui::TFrm_Login> ui;
    QTimer *Timer;
    QTimer *CancelTimer;                     // offers Btn_CancelLogin once a check has run for two seconds
    std::shared_ptr<TransferControl> check_; // of the running check; null when none runs
    QWidget *focusBeforeWait_ = nullptr;
    TLoginThread::ClientFactory clientFactory_;
};
