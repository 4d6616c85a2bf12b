#include "OpenFileDialog.h"

#include <QFileDialog>

namespace {

TOpenFileDialog::Chooser &chooser() {
    static TOpenFileDialog::Chooser scripted;
    return scripted;
}

} // namespace

QString TOpenFileDialog::GetOpenFileName(QWidget *parent, const QString &title, const QStringList &filters) {
    if (chooser()) {
        return chooser()(title, filters);
    }
    return QFileDialog::getOpenFileName(parent, title, QString(), filters.join(QStringLiteral(";;")));
}

void TOpenFileDialog::SetChooser(Chooser scripted) {
    chooser() = std::move(scripted);
}
