// Who may use the company operations, on a clock the test moves: a login opens its address for 30
// minutes, guessing companies closes it for a minute, --open-access drops the login requirement.
#include "AccessControl.h"

#include <QTest>

using namespace std::chrono_literals;
using Soap::Operation;

class TestAccessControl : public QObject {
    Q_OBJECT

    std::chrono::steady_clock::time_point now_{};
    const QHostAddress a_{QStringLiteral("192.0.2.1")};
    const QHostAddress b_{QStringLiteral("192.0.2.2")};

    AccessControl make(bool open = false) {
        return AccessControl(open, [this] { return now_; });
    }

private slots:
    void loginOpensTheAddressFor30Minutes() {
        AccessControl access = make();
        QVERIFY(!access.refusal(a_, Operation::ValidateUserLogin));
        QVERIFY(access.refusal(a_, Operation::QueryCompanyInfo));
        access.note(a_, Operation::ValidateUserLogin, QStringLiteral("2003")); // wrong password
        QVERIFY(access.refusal(a_, Operation::GetCompanyPhotoList));
        access.note(a_, Operation::ValidateUserLogin, QStringLiteral("1110"));
        now_ += 29min;
        QVERIFY(!access.refusal(a_, Operation::DeleteCompanyPhoto));
        QVERIFY(access.refusal(b_, Operation::DeleteCompanyPhoto)); // another address
        now_ += 2min;
        QVERIFY(access.refusal(a_, Operation::DeleteCompanyPhoto));
    }

    void guessingIsThrottledForAMinute_data() {
        QTest::addColumn<bool>("open");
        QTest::newRow("login required") << false;
        QTest::newRow("--open-access") << true;
    }
    void guessingIsThrottledForAMinute() {
        QFETCH(bool, open);
        AccessControl access = make(open);
        access.note(a_, Operation::ValidateUserLogin, QStringLiteral("1110"));
        for (int i = 0; i < 19; ++i) {
            access.note(a_, Operation::QueryCompanyInfo,
                        i % 2 ? QStringLiteral("1003") : QStringLiteral("1111"));
        }
        QVERIFY(!access.refusal(a_, Operation::QueryCompanyInfo));
        access.note(a_, Operation::QueryCompanyInfo, QStringLiteral("1003"));
        QVERIFY(access.refusal(a_, Operation::QueryCompanyInfo));
        QVERIFY(!access.refusal(a_, Operation::ValidateUserLogin));
        now_ += 61s;
        QVERIFY(!access.refusal(a_, Operation::QueryCompanyInfo));
    }

    void missesSpreadOverMinutesAreNotThrottled() {
        AccessControl access = make(true);
        for (int i = 0; i < 40; ++i) {
            access.note(a_, Operation::QueryCompanyInfo, QStringLiteral("1003"));
            now_ += 4s;
        }
        QVERIFY(!access.refusal(a_, Operation::QueryCompanyInfo));
    }

    // 5 wrong passwords close the user name everywhere, 20 close the address for every name, for 15
    // minutes; a good login clears its name's count.
    void failedLoginsAreThrottled() {
        LoginThrottle logins([this] { return now_; });
        for (int i = 0; i < 4; ++i) {
            logins.note(a_, QStringLiteral("alice"), false);
        }
        QVERIFY(!logins.refusal(a_, QStringLiteral("alice")));
        logins.note(b_, QStringLiteral("alice"), false);
        QVERIFY(logins.refusal(a_, QStringLiteral("alice")));
        QVERIFY(!logins.refusal(a_, QStringLiteral("bob")));
        now_ += 15min;
        QVERIFY(!logins.refusal(a_, QStringLiteral("alice")));

        for (int i = 0; i < 4; ++i) {
            logins.note(a_, QStringLiteral("dave"), false);
        }
        logins.note(a_, QStringLiteral("dave"), true);
        logins.note(a_, QStringLiteral("dave"), false);
        QVERIFY(!logins.refusal(a_, QStringLiteral("dave")));

        for (int i = 0; i < 15; ++i) { // with dave's 5: 20 failures from a_ within the window
            logins.note(a_, QStringLiteral("user%1").arg(i), false);
        }
        QVERIFY(logins.refusal(a_, QStringLiteral("carol")));
        QVERIFY(!logins.refusal(b_, QStringLiteral("carol")));
    }
};

QTEST_GUILESS_MAIN(TestAccessControl)
#include "tst_accesscontrol.moc"
