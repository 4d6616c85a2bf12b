#pragma once
// Drives the modal dialog a test is about to open: runs an action on it from inside its loop. A test
// must never hang on a dialog: when no dialog of that type comes within the time limit, or the one
// that came is still open when it runs out, the test fails and the open dialog is closed, so the
// test ends within seconds instead of at the test runner's time-out.

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

template <typename Dialog> void WhenModal(std::function<void(Dialog *)> action, int timeLimitMs = 20000) {
    auto *timer = new QTimer(qApp);
    timer->setInterval(10);
    const QDeadlineTimer deadline(timeLimitMs);
    QObject::connect(timer, &QTimer::timeout, timer,
                     [timer, deadline, action, acted = false, driven = QPointer<Dialog>()]() mutable {
                         auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
                         if (!acted) {
                             if (auto *dialog = qobject_cast<Dialog *>(modal)) {
                                 acted = true;
                                 driven = dialog;
                                 action(dialog);
                                 return;
                             }
                         } else if (driven.isNull() || !driven->isVisible()) {
                             timer->deleteLater(); // driven and closed: done
                             return;
                         }
                         if (deadline.hasExpired()) {
                             timer->deleteLater();
                             if (modal != nullptr) {
                                 QTest::qFail(acted ? "the dialog did not close"
                                                    : "the expected dialog did not open",
                                              __FILE__, __LINE__);
                                 modal->done(QDialog::Rejected);
                             }
                         }
                     });
    timer->start();
}

// Clicks the button called `name` in whichever window first shows it enabled (a cancel offered after a
// while); `before` sees the window state just before the click. Fails the test when none comes in time.
inline void ClickWhenOffered(const QString &name, std::function<void(QPushButton *)> before = {},
                             int timeLimitMs = 20000) {
    auto *timer = new QTimer(qApp);
    timer->setInterval(10);
    const QDeadlineTimer deadline(timeLimitMs);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, deadline, name, before] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            auto *button = window->findChild<QPushButton *>(name);
            if (button != nullptr && button->isVisible() && button->isEnabled()) {
                timer->stop();
                timer->deleteLater();
                if (before) {
                    before(button);
                }
                button->click();
                return;
            }
        }
        if (deadline.hasExpired()) {
            timer->stop();
            timer->deleteLater();
            QTest::qFail("no window offered the button", __FILE__, __LINE__);
        }
    });
    timer->start();
}
