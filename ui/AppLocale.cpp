#include "AppLocale.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace AppLocale {

void InstallFontSubstitutions() {
    // "宋体" is a serif face, "微软雅黑" a sans face; the sans family stays as a second choice so that a
    // system without the serif CJK fonts still shows the characters.
    QFont::insertSubstitutions(QStringLiteral("宋体"),
                               {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});
    QFont::insertSubstitutions(QStringLiteral("微软雅黑"),
                               {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC")});
}

void Install(QApplication &app) {
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);

    // Without the translation the standard buttons would read Yes/No/OK/Cancel; a missing file only
    // leaves them in English, so the result is not checked further.
    auto *qtbase = new QTranslator(&app);
    if (qtbase->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(qtbase);
    }

    InstallFontSubstitutions();
}

} // namespace AppLocale
