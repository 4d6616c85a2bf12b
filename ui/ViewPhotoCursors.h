#pragma once
// The viewer's hand cursors come from Windows cursor files next to the program.

#include <QCursor>
#include <QString>

#include <optional>

// The cursor in the .cur file at path, with the hot spot the file names; nothing when the file is
// missing, too large or not a cursor image.
std::optional<QCursor> LoadCursorFile(const QString &path);

// The cursor at path, or the plain arrow when it cannot be loaded.
QCursor CursorOrArrow(const QString &path);
