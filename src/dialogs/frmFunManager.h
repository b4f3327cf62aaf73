#pragma once

#include <QDialog>

#include <functional>

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace orbiplot {

class CoreContext;
class clsDialogs;
class frmDocument;

// Lists the active document's curves with a check box each; adds, edits, deletes and
// redraws them.
class frmFunManager : public QDialog {
    Q_OBJECT
public:
    // activeDocument: the main window's active document, or none.
    frmFunManager(CoreContext& context, const clsDialogs& dialogs,
                  std::function<frmDocument*()> activeDocument, QWidget* owner);

    // Lists the active document's curves anew.
    void RefreshFunList();

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
    std::function<frmDocument*()> activeDocument_;
    QListWidget* lstFunList;
    QPushButton* cmdAdd;
    QPushButton* cmdEdit;
    QPushButton* cmdDelete;
    QPushButton* cmdRefresh;
    QPushButton* cmdClose;
    bool hasCurves_ = false;
};

} // namespace orbiplot
