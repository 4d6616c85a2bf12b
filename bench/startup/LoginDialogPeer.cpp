// The smallest program showing the login dialog's widgets and texts: the same form in the same
// typefaces, the two marks, shown modally. The start-up benchmark times it next to the client.

#include "ui_Login.h"

#include "ui/AppLocale.h"

#include <QApplication>
#include <QDialog>
#include <QPainter>
#include <QPixmap>

namespace {

QPixmap Mark() {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x2e, 0x7d, 0x32));
    painter.drawEllipse(QRectF(4, 4, 16, 16));
    return pixmap;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    // The client's font mapping, so that the peer draws the same typefaces: "宋体" in a serif CJK face.
    AppLocale::InstallFontSubstitutions();
    QDialog dialog;
    Ui::TFrm_Login form;
    form.setupUi(&dialog);
    form.Image1->setPixmap(Mark());
    form.Image2->setPixmap(Mark());
    return dialog.exec();
}
