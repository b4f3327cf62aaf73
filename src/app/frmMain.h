#pragma once

#include <QMainWindow>

class QMdiArea;

namespace orbiplot {

// The multiple-document main window that owns every document window.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);

private:
    QMdiArea* mdiArea_;
};

} // namespace orbiplot
