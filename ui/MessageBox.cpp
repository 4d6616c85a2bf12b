#include "MessageBox.h"

#include "DialogFrame.h"

#include <QApplication>

namespace {

TMessageBox::Answerer &answerer() {
    static TMessageBox::Answerer current;
    return current;
}

QMessageBox::Icon qtIcon(TMsgIcon icon) {
    switch (icon) {
    case TMsgIcon::Warning:
        return QMessageBox::Warning;
    case TMsgIcon::Question:
        return QMessageBox::Question;
    case TMsgIcon::Information:
        break;
    }
    return QMessageBox::Information;
}

} // namespace

QString TMessageBox::Caption() {
    return QStringLiteral("提示");
}

QMessageBox::StandardButton TMessageBox::Show(QWidget *parent, const QString &text, TMsgIcon icon,
                                              QMessageBox::StandardButtons buttons, bool topmost,
                                              const QString &detail) {
    if (answerer()) {
        return answerer()(TMsgRequest{text, icon, buttons, topmost, detail});
    }
    if (parent == nullptr) {
        parent = QApplication::activeWindow();
    }
    QMessageBox box(qtIcon(icon), Caption(), text, buttons, parent);
    box.setInformativeText(detail);
    DialogFrame::Apply(&box, DialogFrame::Close::Button,
                       topmost ? Qt::WindowStaysOnTopHint : Qt::WindowFlags());
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void TMessageBox::Warning(QWidget *parent, const QString &text, bool topmost) {
    Show(parent, text, TMsgIcon::Warning, QMessageBox::Ok, topmost);
}

void TMessageBox::Failure(QWidget *parent, const QString &text, const QString &reason) {
    Show(parent, text, TMsgIcon::Warning, QMessageBox::Ok, false, reason == text ? QString() : reason);
}

void TMessageBox::Information(QWidget *parent, const QString &text, bool topmost) {
    Show(parent, text, TMsgIcon::Information, QMessageBox::Ok, topmost);
}

bool TMessageBox::Question(QWidget *parent, const QString &text, bool topmost) {
    return Show(parent, text, TMsgIcon::Question, QMessageBox::Yes | QMessageBox::No, topmost) ==
           QMessageBox::Yes;
}

void TMessageBox::SetAnswerer(Answerer a) {
    answerer() = std::move(a);
}

TScriptedMessageBoxes::TScriptedMessageBoxes() {
    TMessageBox::SetAnswerer([this](const TMsgRequest &request) {
        Shown.append(request);
        if (OnShow) {
            OnShow(request);
        }
        if (!answers_.empty()) {
            const QMessageBox::StandardButton answer = answers_.front();
            answers_.pop_front();
            return answer;
        }
        return request.Buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
    });
}

TScriptedMessageBoxes::~TScriptedMessageBoxes() {
    TMessageBox::SetAnswerer({});
}

QStringList TScriptedMessageBoxes::Texts() const {
    QStringList texts;
    for (const TMsgRequest &request : Shown) {
        texts.append(request.Text);
    }
    return texts;
}

void TMessageBoxNotifier::Warn(const QString &text) {
    TMessageBox::Warning(nullptr, text);
}
