#include "UploadMain.h"

#include "Login.h"
#include "ui_UploadMain.h"

#include "core/FileOper.h"
#include "core/MainDataModule.h"

#include <QCoreApplication>
#include <QThread>

#include <exception>

TFrm_UploadMain::TFrm_UploadMain(QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                              Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TFrm_UploadMain>()) {
    ui->setupUi(this);
    FormCreate();
}

TFrm_UploadMain::~TFrm_UploadMain() = default;

void TFrm_UploadMain::FormCreate() {}

void TFrm_UploadMain::setVisible(bool visible) {
    if (visible && !shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
    if (visible && terminateRequested_) {
        return;
    }
    QMainWindow::setVisible(visible);
}

void TFrm_UploadMain::FormShow() {
    if (!UserLogin()) {
        terminateRequested_ = true;
        // Before the application's loop runs (the first show from the entry) the entry reads
        // TerminateRequested instead: a quit issued then would end every later loop at once.
        if (thread()->loopLevel() > 0) {
            QCoreApplication::quit();
        }
        return;
    }
}

bool TFrm_UploadMain::UserLogin() {
    try {
        TFrm_Login login;
        login.exec();
        return DM_Main->LoginOk;
    } catch (const std::exception &e) {
        TFileOper::WriteLog(QStringLiteral("登录失败,UserLogin中错误:") + QString::fromUtf8(e.what()));
    }
    return false;
}
