#include "app/frmMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Orbiplot");
    orbiplot::frmMain mainWindow;
    mainWindow.show();
    return QApplication::exec();
}
