#include "LoginThread.h"

#include "client/LoginMessages.h"
#include "client/MainDataModule.h"
#include "client/PhotoSession.h"
#include "client/TransferControl.h"
#include "client/UploadPictureLib.h"
#include "client/UploadPictureMessages.h"
#include "core/FileOper.h"

#include <QCoreApplication>
#include <QEvent>

#include <exception>
#include <stdexcept>

void TLoginThread::Start(QObject *dialog, const QString &user, const QString &password, ClientFactory factory,
                         std::shared_ptr<TransferControl> control) {
    // Self-owned: nobody waits for a login check, it deletes itself once it has reported.
    auto *thread = new TLoginThread(dialog, user, password, std::move(factory), std::move(control));
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

TLoginThread::TLoginThread(QObject *dialog, QString user, QString password, ClientFactory factory,
                           std::shared_ptr<TransferControl> control)
    : dialog_(dialog), user_(std::move(user)), password_(std::move(password)), factory_(std::move(factory)),
      control_(std::move(control)) {}

void TLoginThread::run() {
    Execute();
}

void TLoginThread::Execute() {
    bool sent = false;
    QString error;
    try {
        if (DM_Main == nullptr) {
            throw std::runtime_error("the data module does not exist");
        }
        // A session of this thread's own: the window's session and its control stay untouched.
        TPhotoSession session(*DM_Main);
        session.SetClientFactory(factory_);
        session.SetControl(control_);
        const TOperationResult result = session.Login(user_, password_);
        sent = true; // set before: a failure inside the dialog's handling must not report twice
        Notify(result.loginMessage, result.reason);
    } catch (const std::exception &e) {
        error = QString::fromUtf8(e.what());
    } catch (...) {
        // An exception escaping run() would end the whole program.
        error = QStringLiteral("未知错误");
    }
    if (!error.isNull()) {
        TFileOper::WriteLog(QStringLiteral("登录线程执行函数错误:") + error);
        if (!sent) {
            Notify(WM_LOGIN_FAILED, error);
        }
    }
}

void TLoginThread::Notify(int code, const QString &reason) {
    // The event is sent on the dialog's thread while this thread waits, as a synchronous window message
    // would. The dialog is looked up there, so it cannot disappear between the check and the send.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [dialog = dialog_, code, reason, control = control_.get()] { // alive: this thread waits for the call
            // The cancel is set on this thread too, so this look decides alone whether the user gets
            // the outcome.
            if (control && control->IsCancelled()) {
                if (!control->Honoured()) {
                    TFileOper::WriteLog(LoginCancelledText()); // the answer came first; it is dropped
                }
                return;
            }
            if (dialog) {
                TLoginOutcomeEvent event(code, reason);
                QCoreApplication::sendEvent(dialog.data(), &event);
            }
        },
        Qt::BlockingQueuedConnection);
}
