#pragma once
// The three 24 x 24 icons of a photo's download state: 0 not downloaded, 1 small version cached,
// 2 source version cached. Drawn in code so that the list, its legend and the tests share them.

#include <QIcon>
#include <QPixmap>

namespace StateIcons {

constexpr int kSize = 24;

// The icon of a state (0, 1 or 2); other values give the state-0 icon.
QPixmap Pixmap(int state);
QIcon Icon(int state);

} // namespace StateIcons
