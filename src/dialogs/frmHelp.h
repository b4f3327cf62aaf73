#pragma once

#include <QWidget>

class QListWidget;
class QTextBrowser;

namespace orbiplot {

// The program's own help: contents on the left, the page on the right, back and forward.
class frmHelp : public QWidget {
    Q_OBJECT
public:
    // startPage: the help's start page (index.html); its list of contents fills the left.
    explicit frmHelp(const QString& startPage, QWidget* owner = nullptr);

private:
    QListWidget* contents_;
    QTextBrowser* browser_;
};

} // namespace orbiplot
