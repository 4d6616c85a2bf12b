#pragma once
// The client's window icon, read on a thread of its own while the start goes on. Reading the image
// wakes Qt's image format plugins, which loads every one of them (about 8 ms on a small machine, a
// tenth of the start); on the start's own thread that would hold up the first paint of the login
// dialog. The icon is set on the GUI thread once read, a moment after the dialog appears.

#include <QString>

class QApplication;

// Starts reading the image at path and sets it as the application's window icon when it is read.
// The reader belongs to app, which waits for it when it ends before the read does.
void SetWindowIconWhenRead(QApplication &app, const QString &path);
