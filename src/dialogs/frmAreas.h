#pragma once

#include <QDockWidget>
#include <QPointer>

class QLabel;
class QPushButton;
class QTableWidget;

namespace orbiplot {

class CoreContext;
class frmDocument;

// The areas and arc lengths of the active document: each with a box that shows or hides it,
// what it is of, the signed integral and the area (or the length) to 15 significant digits,
// or why there is no value. Rows are deleted with the button or Del, and copied as
// tab-separated text; every change is a step of the document's undo stack.
class frmAreas : public QDockWidget {
    Q_OBJECT
public:
    frmAreas(CoreContext& context, QWidget* owner);

    void SetDocument(frmDocument* document);
    frmDocument* Document() const { return document_; }
    QTableWidget* Table() const { return lstAreas; }
    // The width the columns want: what the dock is first given.
    int ContentWidth() const;
    // The chosen rows, one line each, the columns separated by tabs.
    QString SelectedText() const;
    void CopySelected() const;
    void DeleteSelected();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill();
    void Toggled(int row, int column);

    CoreContext& context_;
    QPointer<frmDocument> document_;
    QMetaObject::Connection changed_;
    bool filling_ = false;
    QTableWidget* lstAreas;
    QPushButton* cmdDelete;
    QPushButton* cmdCopy;
    QLabel* lblState;
};

} // namespace orbiplot
