#pragma once
// Keeps a second copy of the client from running. The guard is an exclusive lock on a file in the
// user's runtime folder: the kernel drops it when the holding process ends in any way, so a copy that
// crashed never blocks a later start. The holder also listens on a local socket through which a second
// start asks it to come to the front.

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QWidget;

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    // key names the guard; the client uses DefaultKey(), tests their own.
    explicit TSingleInstance(const QString &key = DefaultKey(), QObject *parent = nullptr);
    ~TSingleInstance() override;

    static QString DefaultKey(); // "MORA_UploadPic"

    // Where the guard lives: the lock file (kept after the holder ends) and the holder's socket.
    QString LockFilePath() const { return lockPath_; }
    QString SocketPath() const { return socketPath_; }

    enum class State {
        Acquired,    // this is the only copy; it answers activation requests until it ends
        Running,     // another copy holds the guard
        Unavailable, // the lock file cannot be opened: nothing can be guarded, the start goes on
    };
    State TryAcquire();

    // From a second start: tells the user that the program already runs ("提示", warning icon, OK),
    // then asks the running copy to come to the front.
    void TurnAwaySecondStart();

    // Asks the running copy to come to the front. False when it could not be reached (for instance
    // while it is still starting); there is nothing more to do then.
    bool AskRunningCopyToActivate();

signals:
    // A later start asked this copy to show itself.
    void activationRequested();

private:
    void readRequests();

    QString lockPath_;
    QString socketPath_;
    int lockFd_ = -1;
    std::unique_ptr<QLocalServer> server_;
};

// Brings the running copy forward: its main window, when shown, goes to the screen's top-left corner
// at the full screen size, above the other windows and active; while a modal dialog such as the login
// runs before the main window is shown, that dialog is raised instead.
void BringRunningCopyToFront(QWidget *mainWindow);
