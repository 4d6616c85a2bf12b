// The single-instance guard, in one process and across processes: a second start is refused with its
// notice and brings the first copy forward, a copy that ended (even killed) never blocks a later start,
// and the running copy's main window comes to the front at full-screen size; the window icon is read
// beside the start and arrives.

#include "ui/MessageBox.h"
#include "ui/SingleInstance.h"
#include "ui/WindowIcon.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QMainWindow>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUuid>

#include <memory>

namespace {

// A guard name of its own for each test, so that nothing running on the machine interferes; its files
// go when the test ends.
class FreshKey {
public:
    FreshKey() : key_(QStringLiteral("uploadpic-test-") + QUuid::createUuid().toString(QUuid::Id128)) {}
    ~FreshKey() {
        const TSingleInstance files(key_);
        QFile::remove(files.LockFilePath());
        QFile::remove(files.SocketPath());
    }
    FreshKey(const FreshKey &) = delete;
    FreshKey &operator=(const FreshKey &) = delete;
    operator QString() const { return key_; }

private:
    QString key_;
};

// One guard_probe process and the lines it printed.
class Probe {
public:
    explicit Probe(const QString &key) {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QCoreApplication::applicationDirPath() + QStringLiteral("/guard_probe"), {key});
    }
    ~Probe() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(30000);
        }
    }
    Probe(const Probe &) = delete;
    Probe &operator=(const Probe &) = delete;

    // Waits for the next line (empty when the process ends or nothing comes).
    QString nextLine() {
        while (!process_.canReadLine()) {
            if (process_.state() == QProcess::NotRunning || !process_.waitForReadyRead(30000)) {
                if (!process_.canReadLine()) {
                    return QString();
                }
            }
        }
        return QString::fromUtf8(process_.readLine()).trimmed();
    }

    QProcess &process() { return process_; }

private:
    QProcess process_;
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void secondGuardIsTurnedAway();
    void endedHolderFreesGuard();
    void secondProcessRefused();
    void killedHolderNeverBlocks();
    void bringsMainWindowToFront_data();
    void bringsMainWindowToFront();
    void raisesLoginWhileMainHidden();
    void windowIconArrives();
};

void TestStartup::secondGuardIsTurnedAway() {
    const FreshKey key;
    TSingleInstance first(key);
    QCOMPARE(first.TryAcquire(), TSingleInstance::State::Acquired);
    QSignalSpy activations(&first, &TSingleInstance::activationRequested);

    TSingleInstance second(key);
    QCOMPARE(second.TryAcquire(), TSingleInstance::State::Running);
    TScriptedMessageBoxes boxes;
    second.TurnAwaySecondStart();

    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("企业照片管理系统已经运行...")});
    QCOMPARE(boxes.Shown.first().Icon, TMsgIcon::Warning);
    QCOMPARE(boxes.Shown.first().Buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(TMessageBox::Caption(), QStringLiteral("提示"));
    QVERIFY(activations.wait(10000));
    QCOMPARE(activations.size(), 1);
}

void TestStartup::endedHolderFreesGuard() {
    const FreshKey key;
    auto first = std::make_unique<TSingleInstance>(key);
    QCOMPARE(first->TryAcquire(), TSingleInstance::State::Acquired);
    first.reset();

    TSingleInstance next(key);
    QCOMPARE(next.TryAcquire(), TSingleInstance::State::Acquired);
    // Nobody to bring forward from the old holder: asking reaches the new one only.
    QSignalSpy activations(&next, &TSingleInstance::activationRequested);
    TSingleInstance third(key);
    QCOMPARE(third.TryAcquire(), TSingleInstance::State::Running);
    QVERIFY(third.AskRunningCopyToActivate());
    QVERIFY(activations.wait(10000));
}

void TestStartup::secondProcessRefused() {
    const FreshKey key;
    Probe first(key);
    QCOMPARE(first.nextLine(), QStringLiteral("acquired"));

    Probe second(key);
    QCOMPARE(second.nextLine(), QStringLiteral("refused: 企业照片管理系统已经运行..."));
    QVERIFY(second.process().waitForFinished(30000));
    QCOMPARE(second.process().exitCode(), 0);

    QCOMPARE(first.nextLine(), QStringLiteral("activated"));
    QCOMPARE(first.process().state(), QProcess::Running); // exactly one copy left
}

void TestStartup::killedHolderNeverBlocks() {
    const FreshKey key;
    {
        Probe crashed(key);
        QCOMPARE(crashed.nextLine(), QStringLiteral("acquired"));
        crashed.process().kill(); // no clean-up of any kind: lock file and socket stay behind
        QVERIFY(crashed.process().waitForFinished(30000));
    }
    Probe next(key);
    QCOMPARE(next.nextLine(), QStringLiteral("acquired"));
    // The leftover socket was replaced, so a later start still reaches the new holder.
    Probe later(key);
    QVERIFY(later.nextLine().startsWith(QStringLiteral("refused: ")));
    QCOMPARE(next.nextLine(), QStringLiteral("activated"));
}

void TestStartup::bringsMainWindowToFront_data() {
    QTest::addColumn<int>("state");
    QTest::newRow("normal") << int(Qt::WindowNoState);
    QTest::newRow("minimized") << int(Qt::WindowMinimized);
    QTest::newRow("maximized") << int(Qt::WindowMaximized);
}

void TestStartup::bringsMainWindowToFront() {
    QFETCH(int, state);

    QMainWindow window;
    window.setGeometry(60, 80, 320, 240);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWidget other;
    other.setGeometry(100, 100, 200, 200);
    other.show();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    window.setWindowState(Qt::WindowStates(state));

    BringRunningCopyToFront(&window);

    const QRect screen = window.screen()->geometry();
    QTRY_COMPARE(window.frameGeometry(), screen);
    QVERIFY(!(window.windowState() & Qt::WindowMinimized));
    QTRY_VERIFY(window.isActiveWindow());
}

void TestStartup::raisesLoginWhileMainHidden() {
    QMainWindow window; // not shown yet: the login runs before it appears
    QDialog login;
    bool loginActive = false;
    QTimer::singleShot(0, &login, [&] {
        BringRunningCopyToFront(&window);
        QTRY_VERIFY(login.isActiveWindow());
        loginActive = true;
        login.reject();
    });
    login.exec();

    QVERIFY(loginActive);
    QVERIFY(!window.isVisible()); // the hidden main window is neither shown nor moved
}

void TestStartup::windowIconArrives() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("icon.png"));
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::darkGreen);
    QVERIFY(image.save(path));
    QVERIFY(QApplication::windowIcon().isNull());

    SetWindowIconWhenRead(*qobject_cast<QApplication *>(QCoreApplication::instance()), path);
    QTRY_VERIFY(!QApplication::windowIcon().isNull());
    QCOMPARE(QApplication::windowIcon().pixmap(32, 32).toImage().pixelColor(16, 16), QColor(Qt::darkGreen));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
