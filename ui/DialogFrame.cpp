#include "DialogFrame.h"

#include <QWidget>

namespace DialogFrame {

Qt::WindowFlags Flags(Close close) {
    Qt::WindowFlags flags =
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    if (close == Close::Button) {
        flags |= Qt::WindowCloseButtonHint;
    }
    return flags;
}

void Apply(QWidget *dialog, Close close, Qt::WindowFlags extra) {
    dialog->setWindowFlags(Flags(close) | extra);
}

} // namespace DialogFrame
