#pragma once

#include <QDialog>

class QLineEdit;
class QListWidget;

namespace orbiplot {

class CoreContext;

// Adds and removes the user's named constants; they take effect at once and the file is
// written whenever the dialog closes.
class frmConstManager : public QDialog {
    Q_OBJECT
public:
    explicit frmConstManager(CoreContext& context, QWidget* owner = nullptr);

    void done(int result) override;

private:
    void RefreshConstantList();
    void cmdAddConst_Click();
    void cmdRemoveConst_Click();

    CoreContext& context_;
    QLineEdit* txtConstName_;
    QLineEdit* txtConstValue_;
    QListWidget* lstConstants_;
};

} // namespace orbiplot
