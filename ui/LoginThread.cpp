#include "LoginThread.h"

#include "core/FileOper.h"
#include "client/LoginMessages.h"
#include "client/TransferControl.h"
#include "client/UploadPictureLib.h"
#include "client/UploadPictureMessages.h"

#include <QCoreApplication>
#include <QEvent>

#include <exception>

void TLoginThread::Start(QObject *dialog, ClientFactory factory, std::shared_ptr<TransferControl> control) {
    // Self-owned: nobody waits for a login check, it deletes itself once it has reported.
    auto *thread = new TLoginThread(dialog, std::move(factory), std::move(control));
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

TLoginThread::TLoginThread(QObject *dialog, ClientFactory factory, std::shared_ptr<TransferControl> control)
    : dialog_(dialog), factory_(std::move(factory)), control_(std::move(control)) {}

void TLoginThread::run() {
    Execute();
}

void TLoginThread::Execute() {
    bool sent = false;
    QString error;
    try {
        const std::unique_ptr<TUploadPicture> client =
            factory_ ? factory_() : std::make_unique<TUploadPicture>();
        client->SetTransferControl(control_);
        const int code = client->Func_ValidateUserLogin();
        sent = true; // set before: a failure inside the dialog's handling must not report twice
        Notify(code);
    } catch (const std::exception &e) {
        error = QString::fromUtf8(e.what());
    } catch (...) {
        // An exception escaping run() would end the whole program.
        error = QStringLiteral("未知错误");
    }
    if (!error.isNull()) {
        TFileOper::WriteLog(QStringLiteral("登录线程执行函数错误:") + error);
        if (!sent) {
            Notify(WM_LOGIN_FAILED);
        }
    }
}

void TLoginThread::Notify(int code) {
    // The event is sent on the dialog's thread while this thread waits, as a synchronous window message
    // would. The dialog is looked up there, so it cannot disappear between the check and the send.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [dialog = dialog_, code, control = control_.get()] { // alive: this thread waits for the call
            // The cancel is set on this thread too, so this look decides alone whether the user gets
            // the outcome.
            if (control && control->IsCancelled()) {
                if (!control->Honoured()) {
                    TFileOper::WriteLog(LoginCancelledText()); // the answer came first; it is dropped
                }
                return;
            }
            if (dialog) {
                QEvent event(static_cast<QEvent::Type>(code));
                QCoreApplication::sendEvent(dialog.data(), &event);
            }
        },
        Qt::BlockingQueuedConnection);
}
