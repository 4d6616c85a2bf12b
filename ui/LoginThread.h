#pragma once
// One login check off the user-interface thread: builds its own service client (whose header carries
// the user name and password of the data module), asks the service, and hands the outcome number
// (WM_LOGIN_SUCCESS .. WM_LOGIN_BADHEADER) to the login dialog as a synchronous event. The thread waits
// until the dialog has handled it, then ends and deletes itself.

#include <QPointer>
#include <QThread>

#include <functional>
#include <memory>

class TUploadPicture;
class TransferControl;

class TLoginThread : public QThread {
    Q_OBJECT
public:
    // Builds the service client on the login thread; empty means the configured service.
    using ClientFactory = std::function<std::unique_ptr<TUploadPicture>()>;

    // Starts one check at once; the thread owns itself. dialog receives a QEvent whose type is the
    // outcome number; when the dialog is gone by then, or control was cancelled, the outcome is dropped
    // (a cancel the call did not stop in time is then logged here).
    static void Start(QObject *dialog, ClientFactory factory = {},
                      std::shared_ptr<TransferControl> control = {});

protected:
    void run() override;

private:
    TLoginThread(QObject *dialog, ClientFactory factory, std::shared_ptr<TransferControl> control);

    void Execute();
    void Notify(int code);

    QPointer<QObject> dialog_;
    ClientFactory factory_;
    std::shared_ptr<TransferControl> control_;
};
