#pragma once

#include "analysis/KeyPoints.h"

#include <QDockWidget>
#include <QPointer>

class QLabel;
class QPushButton;
class QTableWidget;

namespace orbiplot {

class frmDocument;

// The key points of the active document as a table: kind, the curve or curves by their
// description and colour, x and y to 15 significant digits. A row chosen brings its point to
// the middle of the view; the chosen rows copy as tab-separated text.
class frmKeyPoints : public QDockWidget {
    Q_OBJECT
public:
    explicit frmKeyPoints(QWidget* owner);

    // The document listed; none empties the table.
    void SetDocument(frmDocument* document);
    frmDocument* Document() const { return document_; }
    // The chosen rows, one line each, the columns separated by tabs.
    QString SelectedText() const;
    void CopySelected() const;
    QTableWidget* Table() const { return lstPoints; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill();
    void RowChosen();

    QPointer<frmDocument> document_;
    QMetaObject::Connection changed_;
    std::vector<KeyPoint> shown_;
    bool filling_ = false;
    QTableWidget* lstPoints;
    QPushButton* cmdCopy;
    QLabel* lblState;
};

} // namespace orbiplot
