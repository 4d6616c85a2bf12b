#pragma once
// The one way the windows talk to the user in a box: caption "提示", an icon, standard buttons in
// Chinese, optionally kept above every other window. Tests replace the real boxes with a script.

#include "core/Notifier.h"

#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>

enum class TMsgIcon { Information, Warning, Question };

// Everything a box would show; what a scripted answerer sees.
struct TMsgRequest {
    QString Text;
    TMsgIcon Icon = TMsgIcon::Information;
    QMessageBox::StandardButtons Buttons = QMessageBox::Ok;
    bool Topmost = false;
    QString Detail; // a second line under the text: why it happened
};

class TMessageBox {
public:
    TMessageBox() = delete;

    static QString Caption(); // "提示"

    // Shows the box modally over parent (or the active window) and returns the button pressed.
    static QMessageBox::StandardButton Show(QWidget *parent, const QString &text, TMsgIcon icon,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                            bool topmost = false, const QString &detail = QString());

    static void Warning(QWidget *parent, const QString &text, bool topmost = false);
    // A failure: the text, and under it the reason (when there is one).
    static void Failure(QWidget *parent, const QString &text, const QString &reason);
    static void Information(QWidget *parent, const QString &text, bool topmost = false);
    // A Yes/No question; true only when the user answered Yes.
    static bool Question(QWidget *parent, const QString &text, bool topmost = true);

    // Replaces the real boxes; an empty function restores them.
    using Answerer = std::function<QMessageBox::StandardButton(const TMsgRequest &)>;
    static void SetAnswerer(Answerer answerer);
};

// Records every box shown while it lives and answers them without a window: with the queued answers
// first, then with Yes (for questions) or OK. OnShow runs as each box would appear, so a test can look
// at the window state the user would see behind it.
class TScriptedMessageBoxes {
public:
    TScriptedMessageBoxes();
    ~TScriptedMessageBoxes();
    TScriptedMessageBoxes(const TScriptedMessageBoxes &) = delete;
    TScriptedMessageBoxes &operator=(const TScriptedMessageBoxes &) = delete;

    void QueueAnswer(QMessageBox::StandardButton answer) { answers_.push_back(answer); }
    QStringList Texts() const;

    QList<TMsgRequest> Shown;
    std::function<void(const TMsgRequest &)> OnShow;

private:
    std::deque<QMessageBox::StandardButton> answers_;
};

// Lets the core warn through a message box (warning icon) once the GUI runs.
class TMessageBoxNotifier : public TNotifier {
public:
    void Warn(const QString &text) override;
};
