// Stands in for a client start in tst_startup: takes the guard named on the command line. The holder
// prints "acquired" and then "activated" for every request to come forward; a refused start answers
// the notice as a user would, prints "refused: " and the notice's text, and ends.

#include "ui/MessageBox.h"
#include "ui/SingleInstance.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        return 2;
    }
    QTextStream out(stdout);
    TScriptedMessageBoxes boxes;
    TSingleInstance guard(QString::fromLocal8Bit(argv[1]));
    switch (guard.TryAcquire()) {
    case TSingleInstance::State::Acquired:
        QObject::connect(&guard, &TSingleInstance::activationRequested,
                         [&out] { out << "activated" << Qt::endl; });
        out << "acquired" << Qt::endl;
        return QApplication::exec();
    case TSingleInstance::State::Running:
        guard.TurnAwaySecondStart();
        out << "refused: " << boxes.Texts().join(QLatin1Char('|')) << Qt::endl;
        return 0;
    case TSingleInstance::State::Unavailable:
        break;
    }
    out << "unavailable" << Qt::endl;
    return 1;
}
