// The login dialog and its thread against the reference photo service and against scripted answers:
// what the user sees after each outcome, what stays typed, what is stored, and what can be used while
// the check runs.

#include "FakePictureService.h"
#include "service/FakeHttpServer.h"

#include "client/MainDataModule.h"
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

// A login dialog and its parts; its checks go to the reference service unless told to go to a scripted
// one, whose calls land in `log`.
struct Dialog {
    TFrm_Login dialog;
    LoginParts parts{dialog};
    std::shared_ptr<FakeServiceLog> log = std::make_shared<FakeServiceLog>();

    // Checks answered with `code`, each held at `gate` until the test lets it go.
    Dialog &answering(const QString &code, QSemaphore *gate = nullptr) {
        dialog.SetClientFactory(
            [log = log, code, gate] { return FakePictureService::Client(log, code, gate); });
        return *this;
    }
    void open() {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
    }
    void type(const QString &name, const QString &pass) {
        parts.name->setText(name);
        parts.pass->setText(pass);
    }
};

quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort(); // closed again when probe goes
}

} // namespace

class TestLogin : public QObject {
    Q_OBJECT

    QTemporaryDir serviceDir_;
    std::unique_ptr<PhotoServiceProcess> service_;
    std::optional<TempAppDir> appDir_;
    std::unique_ptr<TDM_Main> dm_;
    std::unique_ptr<TScriptedMessageBoxes> boxes_;

    static void useService(quint16 port) {
        DM_Main->ServerIP = QStringLiteral("127.0.0.1");
        DM_Main->ServerPort = QString::number(port);
    }

private slots:
    void initTestCase() {
        service_ = std::make_unique<PhotoServiceProcess>(serviceDir_.filePath(QStringLiteral("photos.db")));
        QVERIFY2(service_->started(), "photo-service did not start");
    }
    void init() {
        appDir_.emplace();
        dm_ = std::make_unique<TDM_Main>();
        useService(service_->port());
        boxes_ = std::make_unique<TScriptedMessageBoxes>();
    }
    void cleanup() {
        boxes_.reset();
        dm_.reset();
        appDir_.reset();
    }

    // A good login closes the dialog and stores the user, however many refused tries came before.
    void goodLoginClosesDialog_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pass");
        QTest::addColumn<QString>("storedName");
        QTest::addColumn<int>("refusedFirst");
        const QString user = QString::fromUtf8(kDemoUser);
        const QString password = QString::fromUtf8(kDemoPassword);
        QTest::newRow("plain") << user << password << user << 0;
        // Spaces around the values are not part of them: they are removed before storing and sending.
        QTest::newRow("padded") << QStringLiteral("  ") + user + u' '
                                << u' ' + password + QStringLiteral("  ") << user << 0;
        QTest::newRow("chinese") << QString::fromUtf8(kDemoChineseUser)
                                 << QString::fromUtf8(kDemoChinesePassword)
                                 << QString::fromUtf8(kDemoChineseUser) << 0;
        QTest::newRow("after three wrong passwords") << user << password << user << 3;
    }
    void goodLoginClosesDialog() {
        QFETCH(QString, name);
        QFETCH(QString, pass);
        QFETCH(QString, storedName);
        QFETCH(int, refusedFirst);
        DM_Main->LoginOk = true; // a new dialog starts from "not logged in"
        Dialog d;
        QCOMPARE(DM_Main->LoginOk, false);
        QCOMPARE(DM_Main->OperationKind, TOperationKind::Login);
        QVERIFY(d.parts.complete());
        d.open();
        for (int attempt = 1; attempt <= refusedFirst; ++attempt) { // no limit on the tries
            d.type(name, QStringLiteral("wrong%1").arg(attempt));
            QTest::mouseClick(d.parts.login, Qt::LeftButton);
            QTRY_COMPARE_WITH_TIMEOUT(boxes_->Shown.size(), attempt, 30000);
            QTRY_VERIFY(d.parts.inputEnabled());
        }
        d.type(name, pass);
        QTest::mouseClick(d.parts.login, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!d.dialog.isVisible(), 30000);
        QCOMPARE(d.dialog.result(), int(QDialog::Accepted));
        QCOMPARE(DM_Main->LoginOk, true);
        QCOMPARE(DM_Main->UserName, storedName);
        QCOMPARE(DM_Main->UserPass, pass.trimmed());
        QCOMPARE(boxes_->Shown.size(), refusedFirst);
    }

    void failureReturnsToInput_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        const QString refused = QStringLiteral("用户名或密码错误,无法登录系统!");
        const QString failed = QStringLiteral("登录系统失败");
        QTest::newRow("wrong password") << "wrong password" << refused;
        QTest::newRow("unknown user") << "unknown user" << refused;
        QTest::newRow("bad header") << "0001" << failed;
        QTest::newRow("server error") << "1111" << failed;
        QTest::newRow("unreachable") << "unreachable" << failed;
        QTest::newRow("client fails") << "throw" << failed;
    }
    void failureReturnsToInput() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        Dialog d;
        const QString name =
            kind == u"unknown user" ? QStringLiteral("nobody") : QString::fromUtf8(kDemoUser);
        const QString pass = QStringLiteral("not-the-password");
        if (kind == u"unreachable") {
            useService(closedPort());
        } else if (kind == u"throw") {
            d.dialog.SetClientFactory([]() -> std::unique_ptr<TUploadPicture> {
                throw std::runtime_error("client cannot be built");
            });
        } else if (kind != u"wrong password" && kind != u"unknown user") {
            d.answering(kind);
        }
        d.open();
        d.type(name, pass);
        d.parts.pass->setFocus();
        // What the user sees at the moment the box appears: input again, nothing waiting any more.
        bool inputBehindBox = false;
        boxes_->OnShow = [&](const TMsgRequest &) {
            inputBehindBox = d.parts.inputEnabled() && !d.parts.waitingShown();
        };
        QTest::keyClick(d.parts.pass, Qt::Key_Return);

        QTRY_COMPARE_WITH_TIMEOUT(boxes_->Shown.size(), 1, 90000);
        QCOMPARE(boxes_->Shown.first().Text, message);
        QCOMPARE(boxes_->Shown.first().Icon, TMsgIcon::Information);
        QVERIFY(boxes_->Shown.first().Topmost);
        QVERIFY(inputBehindBox);
        QVERIFY(d.dialog.isVisible());
        QCOMPARE(DM_Main->LoginOk, false);
        QCOMPARE(d.parts.name->text(), name);
        QCOMPARE(d.parts.pass->text(), pass);
        QVERIFY(!d.parts.info->isVisible() && !d.parts.bar->isVisible() && !d.parts.timer->isActive());
        QCOMPARE(QApplication::focusWidget(), d.parts.pass); // ready for the correction
        if (kind == u"throw") {
            QVERIFY(
                appDir_->logTexts().contains(QStringLiteral("登录线程执行函数错误:client cannot be built")));
        }
    }

    void blankInputRefused_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pass");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("focusOnName");
        const QString noName = QStringLiteral("【用户名】不能为空");
        const QString noPass = QStringLiteral("【密码】不能为空");
        QTest::newRow("empty name") << QString() << QStringLiteral("secret") << noName << true;
        QTest::newRow("spaces name") << QStringLiteral("   ") << QStringLiteral("secret") << noName << true;
        QTest::newRow("both empty") << QString() << QString() << noName << true;
        QTest::newRow("empty password") << QStringLiteral("demo") << QString() << noPass << false;
        QTest::newRow("spaces password")
            << QStringLiteral("demo") << QStringLiteral("    ") << noPass << false;
    }
    void blankInputRefused() {
        QFETCH(QString, name);
        QFETCH(QString, pass);
        QFETCH(QString, message);
        QFETCH(bool, focusOnName);
        Dialog d;
        d.answering(QStringLiteral("1110")).open();
        d.type(name, pass);
        // Focus starts away from the box the message is about, so the move is visible.
        (focusOnName ? d.parts.pass : d.parts.name)->setFocus();
        QTest::mouseClick(d.parts.login, Qt::LeftButton);
        QCOMPARE(boxes_->Texts(), QStringList{message});
        QCOMPARE(boxes_->Shown.first().Icon, TMsgIcon::Warning);
        QCOMPARE(QApplication::focusWidget(), focusOnName ? d.parts.name : d.parts.pass);
        QVERIFY(d.parts.inputEnabled());
        QVERIFY(!d.parts.waitingShown());
        QVERIFY(DM_Main->UserName.isEmpty()); // nothing stored, nothing sent
        QVERIFY(d.log->all().isEmpty());
    }

    void enterKeys() {
        Dialog d;
        d.answering(QStringLiteral("2003")).open();
        LoginParts &parts = d.parts;
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
        d.type(QString(), QStringLiteral("pw"));
        QTest::keyClick(parts.pass, Qt::Key_Return);
        QCOMPARE(boxes_->Texts(), QStringList{QStringLiteral("【用户名】不能为空")});
        QVERIFY(d.log->all().isEmpty());
        parts.name->setText(QStringLiteral("demo"));
        QTest::keyClick(parts.pass, Qt::Key_Return);
        QTRY_COMPARE(boxes_->Shown.size(), 2);
        QCOMPARE(d.log->all(), QStringList{QStringLiteral("ValidateUserLogin()")});
        QVERIFY(d.dialog.isVisible());
    }

    // While a check runs nothing can be used, Esc and closing do not end the dialog, and the progress
    // bar steps each second and starts again from empty when full; the outcome then comes as usual.
    void heldCheck_data() {
        QTest::addColumn<QString>("code");
        QTest::newRow("accepted") << QStringLiteral("1110");
        QTest::newRow("refused") << QStringLiteral("2003");
    }
    void heldCheck() {
        QFETCH(QString, code);
        QSemaphore gate;
        Dialog d;
        d.answering(code, &gate).open();
        d.type(QStringLiteral("demo"), QStringLiteral("pw"));
        QTest::mouseClick(d.parts.login, Qt::LeftButton);
        QTRY_COMPARE(d.log->all().size(), 1); // the check is on its way and held
        QVERIFY(!d.parts.anyInputEnabled());
        QVERIFY(d.parts.waitingShown());
        QCOMPARE(d.parts.info->text(), QStringLiteral("正在验证登录信息,请稍候..."));
        QCOMPARE(d.parts.bar->value(), 0);
        QTest::keyClick(&d.dialog, Qt::Key_Escape);
        d.dialog.close();
        QVERIFY(d.dialog.isVisible());
        QTest::mouseClick(d.parts.login, Qt::LeftButton);
        QCOMPARE(d.log->all().size(), 1);
        QCOMPARE(d.parts.timer->interval(), 1000);
        QTRY_COMPARE_WITH_TIMEOUT(d.parts.bar->value(), 1, 5000);
        d.parts.bar->setValue(100);
        QTRY_COMPARE_WITH_TIMEOUT(d.parts.bar->value(), 0, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(d.parts.bar->value(), 1, 5000);

        gate.release();
        if (code == u"1110") {
            QTRY_VERIFY(!d.dialog.isVisible());
            QCOMPARE(d.dialog.result(), int(QDialog::Accepted));
            QCOMPARE(DM_Main->LoginOk, true);
        } else {
            QTRY_COMPARE(boxes_->Shown.size(), 1);
            QCOMPARE(d.parts.bar->value(), 0); // reset for the next attempt
        }
    }

    // Focus colours the box, input is held to 20 and 16 characters with the password hidden, and Esc
    // cancels the dialog.
    void inputBoxesAndEscape() {
        Dialog d;
        d.open();
        LoginParts &parts = d.parts;
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

        QTest::keyClicks(parts.name, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
        QTest::keyClicks(parts.pass, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
        QCOMPARE(parts.name->text(), QStringLiteral("abcdefghijklmnopqrst"));
        QCOMPARE(parts.pass->text(), QStringLiteral("abcdefghijklmnop"));
        QCOMPARE(parts.pass->echoMode(), QLineEdit::Password);
        QCOMPARE(parts.pass->displayText(), QString(16, QLatin1Char('*')));

        QTest::keyClick(parts.name, Qt::Key_Escape);
        QVERIFY(!d.dialog.isVisible());
        QCOMPARE(d.dialog.result(), int(QDialog::Rejected));
        QCOMPARE(DM_Main->LoginOk, false);
        QVERIFY(boxes_->Shown.isEmpty());
    }

    void dialogGoneBeforeOutcome() {
        QSemaphore gate;
        std::shared_ptr<FakeServiceLog> log;
        {
            Dialog d;
            log = d.answering(QStringLiteral("1110"), &gate).log;
            d.type(QStringLiteral("demo"), QStringLiteral("pw"));
            d.parts.login->click();
            QTRY_COMPARE(log->all().size(), 1);
        }
        // The thread reports to a dialog that no longer exists: the outcome is dropped, nothing crashes.
        gate.release();
        QTRY_COMPARE(log->destroyed.load(), 1);
        QCOMPARE(DM_Main->LoginOk, false);
    }

    void cancelledCheckLeavesDialogUsable() {
        FakeHttpServer silent;
        silent.staySilent();
        useService(QUrl(silent.url()).port());
        Dialog d;
        d.open();
        d.type(QString::fromUtf8(kDemoUser), QString::fromUtf8(kDemoPassword));
        QTest::mouseClick(d.parts.login, Qt::LeftButton);
        auto *cancel = d.dialog.findChild<QPushButton *>(QStringLiteral("Btn_CancelLogin"));
        QTRY_VERIFY_WITH_TIMEOUT(cancel->isVisible(), 20000);
        QTest::mouseClick(cancel, Qt::LeftButton);
        QVERIFY(d.dialog.isVisible());
        QVERIFY(d.parts.inputEnabled());
        QVERIFY(!cancel->isVisible());
        QCOMPARE(boxes_->Texts(), QStringList{QStringLiteral("已取消登录验证")});
        QTRY_VERIFY_WITH_TIMEOUT(appDir_->logTexts().contains(QStringLiteral(
                                     "登录验证已被用户取消,TUploadInfo->Func_ValidateUserLogin")),
                                 20000);
        // The next try goes through at once; nothing of the cancelled one comes back.
        useService(service_->port());
        QTest::mouseClick(d.parts.login, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!d.dialog.isVisible(), 30000);
        QCOMPARE(DM_Main->LoginOk, true);
        QCOMPARE(boxes_->Shown.size(), 1);
    }

    void mainWindowLogsInFirst_data() {
        QTest::addColumn<bool>("succeed");
        QTest::newRow("login") << true;
        QTest::newRow("cancel") << false;
    }
    void mainWindowLogsInFirst() {
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
    void windowBuiltAfterLoginAsksNoMore() {
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
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
