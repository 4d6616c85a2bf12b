#include "SingleInstance.h"

#include "MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr int kConnectTimeoutMs = 2000;
const QByteArray kActivate = QByteArrayLiteral("activate\n");

QString guardFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    return folder + QLatin1Char('/');
}

} // namespace

TSingleInstance::TSingleInstance(const QString &key, QObject *parent) : QObject(parent) {
    const QString base = guardFolder() + key;
    lockPath_ = base + QStringLiteral(".lock");
    socketPath_ = base + QStringLiteral(".socket");
}

TSingleInstance::~TSingleInstance() {
    server_.reset();
    if (lockFd_ >= 0) {
        // The file itself stays: removing it could let two later starts lock two different files.
        ::close(lockFd_);
    }
}

QString TSingleInstance::DefaultKey() {
    return QStringLiteral("MORA_UploadPic");
}

TSingleInstance::State TSingleInstance::TryAcquire() {
    if (lockFd_ >= 0) {
        return State::Acquired;
    }
    const QByteArray path = QFile::encodeName(lockPath_);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        // A broken runtime folder must not keep the user from working.
        return State::Unavailable;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? State::Running : State::Unavailable;
    }
    lockFd_ = fd;

    // Holding the lock means no live copy owns the socket: a leftover one is from a copy that died.
    QLocalServer::removeServer(socketPath_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_.get(), &QLocalServer::newConnection, this, &TSingleInstance::readRequests);
    // Without the socket the guard still works; a second start then only cannot bring us forward.
    server_->listen(socketPath_);
    return State::Acquired;
}

void TSingleInstance::readRequests() {
    while (QLocalSocket *socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine(64) == kActivate) {
                    emit activationRequested();
                }
            }
            if (socket->bytesAvailable() > 64) {
                socket->abort(); // not one of ours
            }
        });
    }
}

void TSingleInstance::TurnAwaySecondStart() {
    TMessageBox::Warning(nullptr, QStringLiteral("企业照片管理系统已经运行..."));
    AskRunningCopyToActivate();
}

bool TSingleInstance::AskRunningCopyToActivate() {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        return false;
    }
    socket.write(kActivate);
    const bool sent = socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return sent;
}

void BringRunningCopyToFront(QWidget *mainWindow) {
    if (mainWindow == nullptr || !mainWindow->isVisible()) {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            modal->raise();
            modal->activateWindow();
        }
        return;
    }
    const QScreen *screen = mainWindow->screen();
    const QRect full = screen != nullptr ? screen->geometry() : QRect();
    mainWindow->setWindowState(mainWindow->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    if (full.isValid()) {
        // The frame counts: the whole window, title bar included, covers the screen.
        const QSize frame = mainWindow->frameGeometry().size() - mainWindow->geometry().size();
        mainWindow->move(full.topLeft());
        mainWindow->resize(full.size() - frame);
    }
    mainWindow->raise();
    mainWindow->activateWindow();
}
