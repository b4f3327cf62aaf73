#pragma once

#include "analysis/KeyPoints.h"

#include <QDockWidget>
#include <QPointer>

#include <vector>

class QLabel;
class QPushButton;
class QTableView;

namespace orbiplot {

class frmDocument;
class KeyPointsModel;

// The key points of the active document as a table: kind, the curve or curves by their
// description and colour, x and y to 15 significant digits. Rows are made as they are shown,
// all of one height, so that a hundred thousand points list at once. A single row chosen
// brings its point to the middle of the view; Shift and Ctrl choose ranges and sets, kept
// while the points are found anew; the chosen rows copy as tab-separated text.
class frmKeyPoints : public QDockWidget {
    Q_OBJECT
public:
    explicit frmKeyPoints(QWidget* owner);

    // The document listed; none empties the table.
    void SetDocument(frmDocument* document);
    frmDocument* Document() const { return document_; }
    // The chosen rows, one line each, the columns separated by tabs.
    QString SelectedText() const;
    // The points of the chosen rows, in list order.
    std::vector<KeyPoint> SelectedPoints() const;
    void CopySelected() const;
    QTableView* Table() const { return lstPoints; }
    // The width the columns want: what the dock is first given.
    int ContentWidth() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill();
    void RowChosen();
    void SizeColumns();

    QPointer<frmDocument> document_;
    QMetaObject::Connection changed_;
    bool filling_ = false;
    KeyPointsModel* model_;
    QTableView* lstPoints;
    QPushButton* cmdCopy;
    QLabel* lblState;
};

} // namespace orbiplot
