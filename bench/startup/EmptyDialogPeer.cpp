// The smallest dialog program: an empty QDialog shown modally, timed next to the client.

#include <QApplication>
#include <QDialog>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QDialog dialog;
    return dialog.exec();
}
