// The GUI client's entry: one running copy per user, then the data module, then the login dialog, and
// only once the user is in the main window: the dialog appears as soon as it can. The command line is
// not read.

#include "client/MainDataModule.h"
#include "ui/AppLocale.h"
#include "ui/MessageBox.h"
#include "ui/SingleInstance.h"
#include "ui/UploadMain.h"
#include "ui/WindowIcon.h"

#include <QApplication>

#include <memory>

namespace {

// Shown on the task bar and in the window manager's application lists.
const char kApplicationTitle[] = "Vastrel公司企业照片管理系统";

// Lets the data module warn through message boxes for as long as the windows exist.
class NotifierScope {
public:
    explicit NotifierScope(TNotifier *notifier) { TNotifier::Install(notifier); }
    ~NotifierScope() { TNotifier::Install(nullptr); }
    NotifierScope(const NotifierScope &) = delete;
    NotifierScope &operator=(const NotifierScope &) = delete;
};

} // namespace

int main(int argc, char *argv[]) {
    // Qt sees only the program name: no option given at start changes the client.
    int qtArgc = argc > 0 ? 1 : 0;
    QApplication app(qtArgc, argv);
    AppLocale::Install(app);

    TSingleInstance guard;
    if (guard.TryAcquire() == TSingleInstance::State::Running) {
        guard.TurnAwaySecondStart();
        return 0;
    }

    QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
    SetWindowIconWhenRead(app, QStringLiteral(":/uploadpic.png"));

    TMessageBoxNotifier notifier;
    const NotifierScope notifierScope(&notifier);

    TDM_Main dataModule;
    if (dataModule.TerminateRequested) {
        return 0;
    }

    // A later start brings forward what there is: the login dialog while it runs, then the main window.
    std::unique_ptr<TFrm_UploadMain> mainWindow;
    QObject::connect(&guard, &TSingleInstance::activationRequested, &guard,
                     [&mainWindow] { BringRunningCopyToFront(mainWindow.get()); });
    if (!TFrm_UploadMain::UserLogin()) {
        return 0;
    }
    mainWindow = std::make_unique<TFrm_UploadMain>();
    mainWindow->LoginDone();
    mainWindow->showMaximized();
    return QApplication::exec();
}
