#include "Login.h"

#include "DialogFrame.h"
#include "MessageBox.h"
#include "ui_Login.h"

#include "client/LoginMessages.h"
#include "client/MainDataModule.h"
#include "client/PhotoWorkflow.h"
#include "client/TransferControl.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

namespace {

const QColor kFocusColor(0, 255, 255); // aqua

bool isEnterKey(const QKeyEvent &key) {
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

// The two 24 x 24 marks beside the edits: a person for the user name, a padlock for the password.
QPixmap drawMark(bool person) {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2e, 0x7d, 0x32));
    if (person) {
        painter.drawEllipse(QRectF(7, 2, 10, 10));
        painter.drawRoundedRect(QRectF(3, 13, 18, 10), 5, 5);
    } else {
        painter.setPen(QPen(QColor(0x2e, 0x7d, 0x32), 2.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(7, 2, 10, 12), 5, 5);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x2e, 0x7d, 0x32));
        painter.drawRoundedRect(QRectF(4, 10, 16, 13), 2, 2);
    }
    return pixmap;
}

} // namespace

TFrm_Login::TFrm_Login(QWidget *parent)
    : QDialog(parent, DialogFrame::Flags(DialogFrame::Close::None)), ui(std::make_unique<Ui::TFrm_Login>()),
      Timer(new QTimer(this)), CancelTimer(new QTimer(this)) {
    ui->setupUi(this);
    setFixedSize(size());
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(1000);
    connect(Timer, &QTimer::timeout, this, &TFrm_Login::TimerTimer);
    CancelTimer->setObjectName(QStringLiteral("CancelTimer"));
    CancelTimer->setInterval(2000);
    CancelTimer->setSingleShot(true);
    connect(CancelTimer, &QTimer::timeout, this, &TFrm_Login::CancelTimerTimer);
    connect(ui->Btn_CancelLogin, &QPushButton::clicked, this, &TFrm_Login::Btn_CancelLoginClick);

    ui->Image1->setPixmap(drawMark(true));
    ui->Image2->setPixmap(drawMark(false));

    connect(ui->Btn_Login, &QPushButton::clicked, this, &TFrm_Login::Btn_LoginClick);
    connect(ui->Btn_Close, &QPushButton::clicked, this, &TFrm_Login::Btn_CloseClick);
    ui->Ed_UserName->installEventFilter(this);
    ui->Ed_UserPass->installEventFilter(this);
    ui->Ed_UserName->setFocus();

    FormCreate();
}

TFrm_Login::~TFrm_Login() = default;

void TFrm_Login::FormCreate() {
    DM_Main->OperationKind = TOperationKind::Login;
    DM_Main->LoginOk = false;
}

bool TFrm_Login::CheckInput() {
    const PhotoWorkflow::TInputProblem problem =
        PhotoWorkflow::CheckLogin(ui->Ed_UserName->text(), ui->Ed_UserPass->text());
    if (!problem) {
        return true;
    }
    TMessageBox::Warning(this, problem.text);
    (problem.input == PhotoWorkflow::Input::UserName ? ui->Ed_UserName : ui->Ed_UserPass)->setFocus();
    return false;
}

void TFrm_Login::Btn_LoginClick() {
    if (CheckInput()) {
        StartLogin();
    }
}

void TFrm_Login::SetInputEnabled(bool enabled) {
    ui->ProgressBar->setRange(0, 100);
    ui->ProgressBar->setValue(0);

    if (!enabled) {
        focusBeforeWait_ = focusWidget();
    }
    for (QWidget *input :
         {static_cast<QWidget *>(ui->Btn_Login), static_cast<QWidget *>(ui->Btn_Close),
          static_cast<QWidget *>(ui->Ed_UserName), static_cast<QWidget *>(ui->Ed_UserPass)}) {
        input->setEnabled(enabled);
    }
    // Disabling drops the keyboard focus; give it back so the user can correct the values at once.
    if (enabled && focusBeforeWait_ != nullptr) {
        focusBeforeWait_->setFocus();
    }

    ui->ProgressBar->setVisible(!enabled);
    ui->Lb_Info->setVisible(!enabled);
    if (enabled) {
        check_.reset();
        CancelTimer->stop();
        ui->Btn_CancelLogin->setVisible(false);
        Timer->stop();
    } else {
        Timer->start();
    }
}

void TFrm_Login::StartLogin() {
    SetInputEnabled(false);
    check_ = std::make_shared<TransferControl>();
    TLoginThread::Start(this, ui->Ed_UserName->text(), ui->Ed_UserPass->text(), clientFactory_, check_);
    Timer->start();
    CancelTimer->start();
}

void TFrm_Login::CancelTimerTimer() {
    if (check_) {
        ui->Btn_CancelLogin->setVisible(true);
        ui->Btn_CancelLogin->setFocus();
    }
}

void TFrm_Login::Btn_CancelLoginClick() {
    if (!check_) {
        return;
    }
    // The check stops on its thread; its log line says the login check was cancelled.
    check_->Cancel();
    SetInputEnabled(true);
    TMessageBox::Information(this, QStringLiteral("已取消登录验证"), true);
}

void TFrm_Login::TimerTimer() {
    // One step a second; after the end the bar starts again from empty, however long the check takes.
    QProgressBar *bar = ui->ProgressBar;
    bar->setValue(bar->value() >= bar->maximum() ? bar->minimum() : bar->value() + 1);
}

void TFrm_Login::Btn_CloseClick() {
    DM_Main->LoginOk = false;
    QDialog::reject();
}

void TFrm_Login::reject() {
    if (ui->Btn_Close->isEnabled()) {
        Btn_CloseClick();
    }
}

bool TFrm_Login::WndProc(QEvent *e) {
    switch (static_cast<int>(e->type())) {
    case WM_LOGIN_SUCCESS:
        DM_Main->LoginOk = true;
        Timer->stop();
        CancelTimer->stop();
        accept();
        return true;
    case WM_LOGIN_DENIED:
        SetInputEnabled(true);
        TMessageBox::Information(this, QStringLiteral("用户名或密码错误,无法登录系统!"), true);
        return true;
    case WM_LOGIN_FAILED:
    case WM_LOGIN_BADHEADER: {
        SetInputEnabled(true);
        const auto *outcome = dynamic_cast<const TLoginOutcomeEvent *>(e);
        TMessageBox::Show(this, QStringLiteral("登录系统失败"), TMsgIcon::Information, QMessageBox::Ok, true,
                          outcome != nullptr ? outcome->Reason : QString());
        return true;
    }
    default:
        return false;
    }
}

bool TFrm_Login::event(QEvent *e) {
    return WndProc(e) || QDialog::event(e);
}

void TFrm_Login::SetEditColor(QLineEdit *edit, const QColor &color) {
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, color);
    edit->setPalette(palette);
}

void TFrm_Login::Ed_UserNameEnter() {
    SetEditColor(ui->Ed_UserName, kFocusColor);
}
void TFrm_Login::Ed_UserPassEnter() {
    SetEditColor(ui->Ed_UserPass, kFocusColor);
}
void TFrm_Login::Ed_UserNameExit() {
    SetEditColor(ui->Ed_UserName, QApplication::palette().color(QPalette::Base));
}
void TFrm_Login::Ed_UserPassExit() {
    SetEditColor(ui->Ed_UserPass, QApplication::palette().color(QPalette::Base));
}

void TFrm_Login::Ed_UserNameKeyDown(const QKeyEvent &key) {
    if (isEnterKey(key) && !ui->Ed_UserName->text().trimmed().isEmpty()) {
        ui->Ed_UserPass->setFocus();
    }
}

void TFrm_Login::Ed_UserPassKeyDown(const QKeyEvent &key) {
    if (isEnterKey(key) && !ui->Ed_UserPass->text().trimmed().isEmpty()) {
        Btn_LoginClick();
    }
}

bool TFrm_Login::eventFilter(QObject *watched, QEvent *e) {
    const bool isName = watched == ui->Ed_UserName;
    if (!isName && watched != ui->Ed_UserPass) {
        return QDialog::eventFilter(watched, e);
    }
    switch (e->type()) {
    case QEvent::KeyPress: {
        const auto &key = static_cast<const QKeyEvent &>(*e);
        isName ? Ed_UserNameKeyDown(key) : Ed_UserPassKeyDown(key);
        // Enter never reaches the dialog: it would press the default button behind the user's back.
        return isEnterKey(key);
    }
    case QEvent::FocusIn:
        isName ? Ed_UserNameEnter() : Ed_UserPassEnter();
        break;
    case QEvent::FocusOut:
        // Another window taking the focus (a message box) does not leave the edit.
        if (static_cast<QFocusEvent *>(e)->reason() != Qt::ActiveWindowFocusReason &&
            static_cast<QFocusEvent *>(e)->reason() != Qt::PopupFocusReason) {
            isName ? Ed_UserNameExit() : Ed_UserPassExit();
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, e);
}
