#pragma once
// Makes the whole interface Chinese: Qt's own dialogs and standard buttons speak zh_CN, and the font
// names the windows ask for ("宋体", "微软雅黑") resolve to installed CJK fonts so every text renders.

class QApplication;

namespace AppLocale {

// Call once, right after the application object exists and before the first window or box.
void Install(QApplication &app);

// Maps the window fonts to installed CJK families; also usable without translations (tests).
void InstallFontSubstitutions();

} // namespace AppLocale
