#pragma once
// Asks the user for one file, or several, to open. Windows call this instead of QFileDialog directly so that
// tests can script the answer.

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

class TOpenFileDialog {
public:
    // The chosen file's full path, or empty when the user cancelled. filters are Qt name filters such as
    // "JPEG Image File (*.jpg)".
    static QString GetOpenFileName(QWidget *parent, const QString &title, const QStringList &filters);
    // The full paths of the files chosen together, in the order the dialog gives them; empty when the
    // user cancelled.
    static QStringList GetOpenFileNames(QWidget *parent, const QString &title, const QStringList &filters);

    // Replaces the real dialog (tests); an empty function restores it. A scripted answer of several
    // files to a question for one gives its first.
    using Chooser = std::function<QStringList(const QString &title, const QStringList &filters)>;
    static void SetChooser(Chooser chooser);
};
