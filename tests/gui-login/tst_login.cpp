// The login dialog and its thread against the reference photo service and against scripted answers:
// what the user sees after each outcome, what stays typed, what is stored, and what can be used while
// the check runs.

#include "FakePictureService.h"
#include "service/FakeHttpServer.h"

#include "core/MainDataModule.h"
#include "support/DemoSeed.h"
#include "support/ModalDriver.h"
#include "support/PhotoServiceProcess.h"
#include "support/TestSupport.h"
#include "ui/Login.h"
#include "ui/MessageBox.h"
#include "ui/UploadMain.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <optional>

namespace {

// The parts of a login dialog a user touches, found by their names.
struct LoginParts {
    explicit LoginParts(TFrm_Login &dialog)
        : name(dialog.findChild<QLineEdit *>(QStringLiteral("Ed_UserName"))),
          pass(dialog.findChild<QLineEdit *>(QStringLiteral("Ed_UserPass"))),
          login(dialog.findChild<QPushButton *>(QStringLiteral("Btn_Login"))),
          close(dialog.findChild<QPushButton *>(QStringLiteral("Btn_Close"))),
          info(dialog.findChild<QLabel *>(QStringLiteral("Lb_Info"))),
          bar(dialog.findChild<QProgressBar *>(QStringLiteral("ProgressBar"))),
          timer(dialog.findChild<QTimer *>(QStringLiteral("Timer"))) {}

    bool complete() const { return name && pass && login && close && info && bar && timer; }
    bool inputEnabled() const {
        return name->isEnabled() && pass->isEnabled() && login->isEnabled() && close->isEnabled();
    }
    bool anyInputEnabled() const {
        return name->isEnabled() || pass->isEnabled() || login->isEnabled() || close->isEnabled();
    }
    bool waitingShown() const { return info->isVisible() && bar->isVisible() && timer->isActive(); }

    QLineEdit *name;
    QLineEdit *pass;
    QPushButton *login;
    QPushButton *close;
    QLabel *info;
    QProgressBar *bar;
    QTimer *timer;
};

quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort(); // closed again when probe goes
}

} // namespace

class TestLogin : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void goodLoginClosesDialog_data();
    void goodLoginClosesDialog();
    void failureReturnsToInput_data();
    void failureReturnsToInput();
    void retriesWithoutLimit();
    void blankInputRefused_data();
    void blankInputRefused();
    void enterKeys();
    void disabledWhileVerifying();
    void progressBarWraps();
    void focusColours();
    void inputLimits();
    void escapeCancels();
    void dialogGoneBeforeOutcome();
    void cancelledCheckLeavesDialogUsable();
    void mainWindowLogsInFirst_data();
    void mainWindowLogsInFirst();
    void windowBuiltAfterLoginAsksNoMore();

private:
    void useService(quint16 port);
    static void openAndWait(TFrm_Login &dialog);

    QTemporaryDir serviceDir_;
    std::unique_ptr<PhotoServiceProcess> service_;
    std::optional<TempAppDir> appDir_;
    std::unique_ptr<TDM_Main> dm_;
    std::unique_ptr<TScriptedMessageBoxes> boxes_;
};

void TestLogin::initTestCase() {
    service_ = std::make_unique<PhotoServiceProcess>(serviceDir_.filePath(QStringLiteral("photos.db")));
    QVERIFY2(service_->started(), "photo-service did not start");
}

void TestLogin::init() {
    appDir_.emplace();
    dm_ = std::make_unique<TDM_Main>();
    useService(service_->port());
    boxes_ = std::make_unique<TScriptedMessageBoxes>();
}

void TestLogin::cleanup() {
    boxes_.reset();
    dm_.reset();
    appDir_.reset();
}

void TestLogin::useService(quint16 port) {
    DM_Main->ServerIP = QStringLiteral("127.0.0.1");
    DM_Main->ServerPort = QString::number(port);
}

void TestLogin::openAndWait(TFrm_Login &dialog) {
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
}

void TestLogin::goodLoginClosesDialog_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pass");
    QTest::addColumn<QString>("storedName");

    const QString user = QString::fromUtf8(kDemoUser);
    QTest::newRow("plain") << user << QString::fromUtf8(kDemoPassword) << user;
    // Spaces around the values are not part of them: they are removed before storing and sending.
    QTest::newRow("padded") << QStringLiteral("  ") + user + QStringLiteral(" ")
                            << QStringLiteral(" ") + QString::fromUtf8(kDemoPassword) + QStringLiteral("  ")
                            << user;
    QTest::newRow("chinese") << QString::fromUtf8(kDemoChineseUser) << QString::fromUtf8(kDemoChinesePassword)
                             << QString::fromUtf8(kDemoChineseUser);
}

void TestLogin::goodLoginClosesDialog() {
    QFETCH(QString, name);
    QFETCH(QString, pass);
    QFETCH(QString, storedName);

    DM_Main->LoginOk = true; // a new dialog starts from "not logged in"
    TFrm_Login dialog;
    QCOMPARE(DM_Main->LoginOk, false);
    QCOMPARE(DM_Main->OperationKind, 0);
    LoginParts parts(dialog);
    QVERIFY(parts.complete());
    openAndWait(dialog);

    parts.name->setText(name);
    parts.pass->setText(pass);
    QTest::mouseClick(parts.login, Qt::LeftButton);

    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 30000);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(DM_Main->LoginOk, true);
    QCOMPARE(DM_Main->UserName, storedName);
    QCOMPARE(DM_Main->UserPass, pass.trimmed());
    QVERIFY(boxes_->Shown.isEmpty());
}

void TestLogin::failureReturnsToInput_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");

    QTest::newRow("wrong password") << "wrong password" << QStringLiteral("用户名或密码错误,无法登录系统!");
    QTest::newRow("unknown user") << "unknown user" << QStringLiteral("用户名或密码错误,无法登录系统!");
    QTest::newRow("bad header") << "0001" << QStringLiteral("登录系统失败");
    QTest::newRow("server error") << "1111" << QStringLiteral("登录系统失败");
    QTest::newRow("unreachable") << "unreachable" << QStringLiteral("登录系统失败");
    QTest::newRow("client fails") << "throw" << QStringLiteral("登录系统失败");
}

void TestLogin::failureReturnsToInput() {
    QFETCH(QString, kind);
    QFETCH(QString, message);

    TFrm_Login dialog;
    LoginParts parts(dialog);
    QString name = QString::fromUtf8(kDemoUser);
    const QString pass = QStringLiteral("not-the-password");
    if (kind == QLatin1String("unknown user")) {
        name = QStringLiteral("nobody");
    } else if (kind == QLatin1String("unreachable")) {
        useService(closedPort());
    } else if (kind == QLatin1String("throw")) {
        dialog.SetClientFactory(
            []() -> std::unique_ptr<TUploadPicture> { throw std::runtime_error("client cannot be built"); });
    } else if (kind != QLatin1String("wrong password")) {
        dialog.SetClientFactory(
            [kind] { return FakePictureService::Client(std::make_shared<FakeServiceLog>(), kind); });
    }
    openAndWait(dialog);
    parts.name->setText(name);
    parts.pass->setText(pass);
    parts.pass->setFocus();

    // What the user sees at the moment the box appears: input again, nothing waiting any more.
    bool inputBehindBox = false;
    boxes_->OnShow = [&](const TMsgRequest &) {
        inputBehindBox = parts.inputEnabled() && !parts.waitingShown();
    };
    QTest::keyClick(parts.pass, Qt::Key_Return);

    QTRY_COMPARE_WITH_TIMEOUT(boxes_->Shown.size(), 1, 90000);
    QCOMPARE(boxes_->Shown.first().Text, message);
    QCOMPARE(boxes_->Shown.first().Icon, TMsgIcon::Information);
    QVERIFY(boxes_->Shown.first().Topmost);
    QVERIFY(inputBehindBox);

    QVERIFY(dialog.isVisible());
    QCOMPARE(DM_Main->LoginOk, false);
    QCOMPARE(parts.name->text(), name);
    QCOMPARE(parts.pass->text(), pass);
    QVERIFY(!parts.info->isVisible());
    QVERIFY(!parts.bar->isVisible());
    QVERIFY(!parts.timer->isActive());
    QCOMPARE(QApplication::focusWidget(), parts.pass); // ready for the correction
    if (kind == QLatin1String("throw")) {
        QVERIFY(appDir_->logTexts().contains(QStringLiteral("登录线程执行函数错误:client cannot be built")));
    }
}

void TestLogin::retriesWithoutLimit() {
    TFrm_Login dialog;
    LoginParts parts(dialog);
    openAndWait(dialog);
    parts.name->setText(QString::fromUtf8(kDemoUser));
    for (int attempt = 1; attempt <= 3; ++attempt) {
        parts.pass->setText(QStringLiteral("wrong%1").arg(attempt));
        QTest::mouseClick(parts.login, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(boxes_->Shown.size(), attempt, 30000);
        QTRY_VERIFY(parts.inputEnabled());
    }
    parts.pass->setText(QString::fromUtf8(kDemoPassword));
    QTest::mouseClick(parts.login, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 30000);
    QCOMPARE(DM_Main->LoginOk, true);
    QCOMPARE(boxes_->Shown.size(), 3);
}

void TestLogin::blankInputRefused_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pass");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("focusOnName");

    QTest::newRow("empty name") << ""
                                << "secret" << QStringLiteral("【用户名】不能为空") << true;
    QTest::newRow("spaces name") << "   "
                                 << "secret" << QStringLiteral("【用户名】不能为空") << true;
    QTest::newRow("both empty") << ""
                                << "" << QStringLiteral("【用户名】不能为空") << true;
    QTest::newRow("empty password") << "demo"
                                    << "" << QStringLiteral("【密码】不能为空") << false;
    QTest::newRow("spaces password") << "demo"
                                     << "    " << QStringLiteral("【密码】不能为空") << false;
}

void TestLogin::blankInputRefused() {
    QFETCH(QString, name);
    QFETCH(QString, pass);
    QFETCH(QString, message);
    QFETCH(bool, focusOnName);

    auto log = std::make_shared<FakeServiceLog>();
    TFrm_Login dialog;
    dialog.SetClientFactory([log] { return FakePictureService::Client(log, QStringLiteral("1110")); });
    LoginParts parts(dialog);
    openAndWait(dialog);
    parts.name->setText(name);
    parts.pass->setText(pass);
    // Focus starts away from the box the message is about, so the move is visible.
    (focusOnName ? parts.pass : parts.name)->setFocus();

    QTest::mouseClick(parts.login, Qt::LeftButton);

    QCOMPARE(boxes_->Texts(), QStringList{message});
    QCOMPARE(boxes_->Shown.first().Icon, TMsgIcon::Warning);
    QCOMPARE(QApplication::focusWidget(), focusOnName ? parts.name : parts.pass);
    QVERIFY(parts.inputEnabled());
    QVERIFY(!parts.waitingShown());
    QVERIFY(DM_Main->UserName.isEmpty()); // nothing stored, nothing sent
    QVERIFY(log->all().isEmpty());
}

void TestLogin::enterKeys() {
    auto log = std::make_shared<FakeServiceLog>();
    TFrm_Login dialog;
    dialog.SetClientFactory([log] { return FakePictureService::Client(log, QStringLiteral("2003")); });
    LoginParts parts(dialog);
    openAndWait(dialog);

    // Enter in an empty (or blank) name box does nothing at all.
    parts.name->setFocus();
    parts.name->setText(QStringLiteral("  "));
    QTest::keyClick(parts.name, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), parts.name);
    QVERIFY(boxes_->Shown.isEmpty());

    // With a name it moves on to the password box.
    parts.name->setText(QStringLiteral("demo"));
    QTest::keyClick(parts.name, Qt::Key_Enter);
    QCOMPARE(QApplication::focusWidget(), parts.pass);

    // Enter in an empty password box does nothing either.
    QTest::keyClick(parts.pass, Qt::Key_Return);
    QVERIFY(boxes_->Shown.isEmpty());
    QVERIFY(parts.inputEnabled());

    // With a password it acts as the login button, including the check of the name.
    parts.name->setText(QString());
    parts.pass->setText(QStringLiteral("pw"));
    QTest::keyClick(parts.pass, Qt::Key_Return);
    QCOMPARE(boxes_->Texts(), QStringList{QStringLiteral("【用户名】不能为空")});
    QVERIFY(log->all().isEmpty());

    parts.name->setText(QStringLiteral("demo"));
    QTest::keyClick(parts.pass, Qt::Key_Return);
    QTRY_COMPARE(boxes_->Shown.size(), 2);
    QCOMPARE(log->all(), QStringList{QStringLiteral("ValidateUserLogin()")});
    QVERIFY(dialog.isVisible());
}

void TestLogin::disabledWhileVerifying() {
    auto log = std::make_shared<FakeServiceLog>();
    QSemaphore gate;
    TFrm_Login dialog;
    dialog.SetClientFactory(
        [log, &gate] { return FakePictureService::Client(log, QStringLiteral("1110"), &gate); });
    LoginParts parts(dialog);
    openAndWait(dialog);
    parts.name->setText(QStringLiteral("demo"));
    parts.pass->setText(QStringLiteral("pw"));
    QTest::mouseClick(parts.login, Qt::LeftButton);

    QTRY_COMPARE(log->all().size(), 1); // the check is on its way and held
    QVERIFY(!parts.anyInputEnabled());
    QVERIFY(parts.waitingShown());
    QCOMPARE(parts.info->text(), QStringLiteral("正在验证登录信息,请稍候..."));
    QCOMPARE(parts.bar->value(), 0);

    // Neither Esc nor closing the window ends the dialog while the check runs.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    dialog.close();
    QVERIFY(dialog.isVisible());
    QTest::mouseClick(parts.login, Qt::LeftButton);
    QCOMPARE(log->all().size(), 1);

    gate.release();
    QTRY_VERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(DM_Main->LoginOk, true);
}

void TestLogin::progressBarWraps() {
    QSemaphore gate;
    TFrm_Login dialog;
    dialog.SetClientFactory([&gate] {
        return FakePictureService::Client(std::make_shared<FakeServiceLog>(), QStringLiteral("2003"), &gate);
    });
    LoginParts parts(dialog);
    openAndWait(dialog);
    parts.name->setText(QStringLiteral("demo"));
    parts.pass->setText(QStringLiteral("pw"));
    QTest::mouseClick(parts.login, Qt::LeftButton);

    QCOMPARE(parts.timer->interval(), 1000);
    QTRY_COMPARE_WITH_TIMEOUT(parts.bar->value(), 1, 5000);
    // A check that outlasts the bar starts it again from empty.
    parts.bar->setValue(100);
    QTRY_COMPARE_WITH_TIMEOUT(parts.bar->value(), 0, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(parts.bar->value(), 1, 5000);

    gate.release();
    QTRY_COMPARE(boxes_->Shown.size(), 1);
    QCOMPARE(parts.bar->value(), 0); // reset for the next attempt
}

void TestLogin::focusColours() {
    TFrm_Login dialog;
    LoginParts parts(dialog);
    openAndWait(dialog);
    const QColor aqua(0, 255, 255);
    const QColor normal = QApplication::palette().color(QPalette::Base);

    parts.name->setFocus();
    QCOMPARE(parts.name->palette().color(QPalette::Base), aqua);
    QTest::keyClick(parts.name, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), parts.pass);
    QCOMPARE(parts.pass->palette().color(QPalette::Base), aqua);
    QCOMPARE(parts.name->palette().color(QPalette::Base), normal);
    QTest::keyClick(parts.pass, Qt::Key_Tab);
    QCOMPARE(parts.pass->palette().color(QPalette::Base), normal);
}

void TestLogin::inputLimits() {
    TFrm_Login dialog;
    LoginParts parts(dialog);
    openAndWait(dialog);
    QTest::keyClicks(parts.name, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    QTest::keyClicks(parts.pass, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    QCOMPARE(parts.name->text(), QStringLiteral("abcdefghijklmnopqrst"));
    QCOMPARE(parts.pass->text(), QStringLiteral("abcdefghijklmnop"));
    QCOMPARE(parts.pass->echoMode(), QLineEdit::Password);
    QCOMPARE(parts.pass->displayText(), QString(16, QLatin1Char('*')));
}

void TestLogin::escapeCancels() {
    TFrm_Login dialog;
    LoginParts parts(dialog);
    openAndWait(dialog);
    parts.name->setText(QStringLiteral("demo"));
    QTest::keyClick(parts.name, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(DM_Main->LoginOk, false);
    QVERIFY(boxes_->Shown.isEmpty());
}

void TestLogin::dialogGoneBeforeOutcome() {
    auto log = std::make_shared<FakeServiceLog>();
    QSemaphore gate;
    {
        TFrm_Login dialog;
        dialog.SetClientFactory(
            [log, &gate] { return FakePictureService::Client(log, QStringLiteral("1110"), &gate); });
        LoginParts parts(dialog);
        parts.name->setText(QStringLiteral("demo"));
        parts.pass->setText(QStringLiteral("pw"));
        parts.login->click();
        QTRY_COMPARE(log->all().size(), 1);
    }
    // The thread reports to a dialog that no longer exists: the outcome is dropped, nothing crashes.
    gate.release();
    QTRY_COMPARE(log->destroyed.load(), 1);
    QCOMPARE(DM_Main->LoginOk, false);
}

void TestLogin::cancelledCheckLeavesDialogUsable() {
    FakeHttpServer silent;
    silent.staySilent();
    useService(QUrl(silent.url()).port());
    TFrm_Login dialog;
    LoginParts parts(dialog);
    openAndWait(dialog);
    parts.name->setText(QString::fromUtf8(kDemoUser));
    parts.pass->setText(QString::fromUtf8(kDemoPassword));
    QTest::mouseClick(parts.login, Qt::LeftButton);
    auto *cancel = dialog.findChild<QPushButton *>(QStringLiteral("Btn_CancelLogin"));
    QTRY_VERIFY_WITH_TIMEOUT(cancel->isVisible(), 20000);
    QTest::mouseClick(cancel, Qt::LeftButton);

    QVERIFY(dialog.isVisible());
    QVERIFY(parts.inputEnabled());
    QVERIFY(!cancel->isVisible());
    QCOMPARE(boxes_->Texts(), QStringList{QStringLiteral("已取消登录验证")});
    QTRY_VERIFY_WITH_TIMEOUT(appDir_->logTexts().contains(
                                 QStringLiteral("登录验证已被用户取消,TUploadInfo->Func_ValidateUserLogin")),
                             20000);
    // The next try goes through at once; nothing of the cancelled one comes back.
    useService(service_->port());
    QTest::mouseClick(parts.login, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 30000);
    QCOMPARE(DM_Main->LoginOk, true);
    QCOMPARE(boxes_->Shown.size(), 1);
}

void TestLogin::mainWindowLogsInFirst_data() {
    QTest::addColumn<bool>("succeed");
    QTest::newRow("login") << true;
    QTest::newRow("cancel") << false;
}

void TestLogin::mainWindowLogsInFirst() {
    QFETCH(bool, succeed);

    TFrm_UploadMain window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Korvane公司企业照片管理系统"));
    bool mainHiddenDuringLogin = false;
    // Runs inside the login dialog's modal loop, which the first show opens.
    WhenModal<TFrm_Login>([&](TFrm_Login *login) {
        mainHiddenDuringLogin = !window.isVisible();
        LoginParts parts(*login);
        if (succeed) {
            parts.name->setText(QString::fromUtf8(kDemoUser));
            parts.pass->setText(QString::fromUtf8(kDemoPassword));
            parts.login->click();
        } else {
            parts.close->click();
        }
    });
    window.show();

    QVERIFY(mainHiddenDuringLogin);
    QCOMPARE(window.isVisible(), succeed);
    QCOMPARE(window.TerminateRequested(), !succeed);
    QCOMPARE(DM_Main->LoginOk, succeed);
}

// The entry runs the login before it builds the window: the first show asks no more.
void TestLogin::windowBuiltAfterLoginAsksNoMore() {
    TFrm_UploadMain window;
    window.LoginDone();
    // A login dialog opened by mistake is cancelled, which leaves the window hidden.
    QTimer::singleShot(0, &window, [] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            modal->close();
        }
    });
    window.show();
    QVERIFY(window.isVisible());
    QVERIFY(!window.TerminateRequested());
}

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
