#include "app/frmMain.h"

#include <QMdiArea>

namespace orbiplot {

frmMain::frmMain(QWidget* parent) : QMainWindow(parent), mdiArea_(new QMdiArea(this)) {
    setWindowTitle("Orbiplot");
    setCentralWidget(mdiArea_);
    // 8700 x 7900 twips at 15 twips per pixel.
    resize(580, 527);
}

} // namespace orbiplot
