#pragma once
// One login check off the user-interface thread: runs the session's login with the user name and
// password (its service client's header carries them), and hands the outcome number (WM_LOGIN_SUCCESS
// .. WM_LOGIN_BADHEADER) with the reason of a failure to the login dialog as a synchronous event. The
// thread waits until the dialog has handled it, then ends and deletes itself.

#include <QEvent>
#include <QPointer>
#include <QString>
#include <QThread>

#include <functional>
#include <memory>

class TUploadPicture;
class TransferControl;

// What the dialog receives: the event's type is the outcome number.
class TLoginOutcomeEvent : public QEvent {
public:
    TLoginOutcomeEvent(int message, QString reason)
        : QEvent(static_cast<QEvent::Type>(message)), Reason(std::move(reason)) {}
    QString Reason; // why the login failed, for the user; empty on success
};

class TLoginThread : public QThread {
    Q_OBJECT
public:
    // Builds the service client on the login thread; empty means the configured service.
    using ClientFactory = std::function<std::unique_ptr<TUploadPicture>()>;

    // Starts one check at once; the thread owns itself. dialog receives a QEvent whose type is the
    // outcome number; when the dialog is gone by then, or control was cancelled, the outcome is dropped
    // (a cancel the call did not stop in time is then logged here).
    static void Start(QObject *dialog, const QString &user, const QString &password,
                      ClientFactory factory = {}, std::shared_ptr<TransferControl> control = {});

protected:
    void run() override;

private:
    TLoginThread(QObject *dialog, QString user, QString password, ClientFactory factory,
                 std::shared_ptr<TransferControl> control);

    void Execute();
    void Notify(int code, const QString &reason);

    QPointer<QObject> dialog_;
    QString user_;
    QString password_;
    ClientFactory factory_;
    std::shared_ptr<TransferControl> control_;
};
