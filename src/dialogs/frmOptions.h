#pragma once

#include "base/Options.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTabWidget;

namespace orbiplot {

class CoreContext;
class clsDialogs;

// The look of every graph and the start-up tip; OK stores them for the next start.
class frmOptions : public QDialog {
    Q_OBJECT
public:
    frmOptions(CoreContext& context, const clsDialogs& dialogs, QWidget* owner = nullptr);

private:
    QWidget* BuildGridPage();
    QWidget* BuildGeneralPage();
    void FillFromSettings();
    void ConnectControls(QPushButton* cmdOk, QPushButton* cmdCancel);
    // The choice as the controls show it.
    OptionsChoice Choice() const;
    void cmdOk_Click();
    void CheckUnit();
    void Step(int value);
    void SetSwatch(QPushButton* swatch, Rgb color);

    CoreContext& context_;
    const clsDialogs& dialogs_;
    QTabWidget* tabOptions_;
    QCheckBox* chkGrid_;
    QComboBox* imgcboLineStyle_;
    QPushButton* picColor_;
    QPushButton* picBackColor_;
    QRadioButton* option1_;
    QRadioButton* optCustom_;
    QLineEdit* txtValue_;
    QScrollBar* vScroll1_;
    QCheckBox* chkTip_;
    QCheckBox* chkDefinedOnly_;
    Rgb color_ = 0;
    Rgb backColor_ = 0;
    int lastScroll_ = 0;
};

} // namespace orbiplot
