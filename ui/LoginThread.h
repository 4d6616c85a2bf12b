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

class TLoginThread : public QThread {
    Q_OBJECT
public:
    // Builds the service client on the login thread; empty means the configured service.
    using ClientFactory = std::function<std::unique_ptr<TUploadPicture>()>;

    // Starts one check at once; the thread owns itself. dialog receives a QEvent whose type is the
    // outcome number; when the dialog is gone by then, the outcome is dropped.
    static void Start(QObject *dialog, ClientFactory factory = {});

protected:
    void run() override;

private:
    TLoginThread(QObject *dialog, ClientFactory factory);

    void Execute();
    void Notify(int code);

    QPointer<QObject> dialog_;
    ClientFactory factory_;
};
