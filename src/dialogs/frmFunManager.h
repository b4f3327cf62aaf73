#pragma once

#include "docwin/frmDocument.h"

#include <QDialog>
#include <QPointer>

#include <functional>

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace orbiplot {

class CoreContext;
class clsDialogs;

// Lists the curves of the document it was opened for, with a check box each; adds, edits,
// deletes and redraws them. It is modal whenever it is shown, and closes with its document.
class frmFunManager : public QDialog {
    Q_OBJECT
public:
    frmFunManager(CoreContext& context, const clsDialogs& dialogs, frmDocument& document,
                  QWidget* owner);

    // Lists the document's curves anew.
    void RefreshFunList();
    // The document it works on; none once that has closed.
    frmDocument* Document() const { return document_; }
    // Shows it modal, in front.
    void ShowModal();

private:
    void cmdAdd_Click();
    void cmdEdit_Click();
    void cmdDelete_Click();
    void cmdRefresh_Click();
    void UpdateSelectionButtons();
    // Hides the manager while work runs (a curve dialog, a redraw) and shows it again.
    void HiddenWhile(const std::function<void()>& work);
    void ItemChanged(QListWidgetItem* item);

    CoreContext& context_;
    const clsDialogs& dialogs_;
    QPointer<frmDocument> document_;
    QListWidget* lstFunList;
    QPushButton* cmdAdd;
    QPushButton* cmdEdit;
    QPushButton* cmdDelete;
    QPushButton* cmdRefresh;
    QPushButton* cmdClose;
    bool hasCurves_ = false;
};

} // namespace orbiplot
