// The main window's keyboard: a shortcut for each command and preview button (named in its tooltip),
// Ctrl+V for a photo on the clipboard, and a tab order that follows the layout.

#include "UploadMain.h"

#include "ui_UploadMain.h"

#include <QAction>
#include <QKeySequence>
#include <QShortcut>

void TFrm_UploadMain::BuildKeyboard() {
    struct Key {
        QPushButton *button;
        QKeySequence sequence;
    };
    // "放大图片" (Btn_ZoomOut) enlarges, "缩小图片" (Btn_ZoomIn) shrinks.
    const Key keys[] = {
        {ui->Btn_RefPhoto, QKeySequence(Qt::Key_F5)},
        {ui->Btn_Add, QKeySequence(Qt::CTRL | Qt::Key_N)},
        {ui->Btn_Edit, QKeySequence(Qt::CTRL | Qt::Key_E)},
        {ui->Btn_Delete, QKeySequence(Qt::Key_Delete)},
        {ui->Btn_ZoomOut, QKeySequence(Qt::CTRL | Qt::Key_Plus)},
        {ui->Btn_ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Minus)},
        {ui->Btn_ZoomSource, QKeySequence(Qt::CTRL | Qt::Key_0)},
        {ui->Btn_Right, QKeySequence(Qt::CTRL | Qt::Key_R)},
        {ui->Btn_Left, QKeySequence(Qt::CTRL | Qt::Key_L)},
    };
    for (const Key &key : keys) {
        // A button's shortcut acts only while the button is enabled, as a click would.
        key.button->setShortcut(key.sequence);
        key.button->setToolTip(QStringLiteral("%1 (%2)").arg(
            key.button->text(), key.sequence.toString(QKeySequence::NativeText)));
    }
    // Where + needs Shift, Ctrl+= is the same key: it enlarges too.
    auto *zoomKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Equal), this);
    connect(zoomKey, &QShortcut::activated, this, [this] {
        if (ui->Btn_ZoomOut->isEnabled()) {
            ui->Btn_ZoomOut->click();
        }
    });
    // A text box keeps Ctrl+V for its own paste.
    auto *paste = new QAction(QStringLiteral("粘贴照片"), this);
    paste->setObjectName(QStringLiteral("N_PastePhoto"));
    paste->setShortcut(QKeySequence::Paste);
    addAction(paste);
    connect(paste, &QAction::triggered, this, &TFrm_UploadMain::N_PastePhotoClick);
    QWidget *order[] = {ui->Ed_CompanyId, ui->Btn_QueryInfo, ui->Lv_List,       ui->Btn_Add,   ui->Btn_Edit,
                        ui->Btn_Delete,   ui->Btn_RefPhoto,  ui->Btn_Close,     ui->Btn_Right, ui->Btn_Left,
                        ui->Btn_ZoomOut,  ui->Btn_ZoomIn,    ui->Btn_ZoomSource};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}
