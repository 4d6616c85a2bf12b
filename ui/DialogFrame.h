#pragma once
// The frame of every dialog of the client: a title bar with the window menu and, unless told
// otherwise, the close button; never a minimise or maximise button (a dialog is answered or closed,
// not put away or spread over the screen). The flags are given exactly (CustomizeWindowHint) so that
// the window manager is asked for these decorations and functions only.

#include <Qt>

class QWidget;

namespace DialogFrame {

enum class Close { Button, None };

Qt::WindowFlags Flags(Close close = Close::Button);
// Sets Flags(close) plus `extra` (e.g. Qt::WindowStaysOnTopHint) on a dialog before it is shown.
void Apply(QWidget *dialog, Close close = Close::Button, Qt::WindowFlags extra = {});

} // namespace DialogFrame
