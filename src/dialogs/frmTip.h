#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QLabel;

namespace orbiplot {

class CoreContext;

// "日积月累": one tip at a time, chosen at random, with the switch for showing it at start-up.
class frmTip : public QDialog {
    Q_OBJECT
public:
    frmTip(CoreContext& context, const std::string& tipFile, QWidget* owner = nullptr);

private:
    void ShowNextTip();
    void DisplayCurrentTip();
    void chkLoadTipsAtStartup_Click(bool checked);

    CoreContext& context_;
    std::vector<std::string> tips_;
    int currentTip_ = 0;
    QLabel* lblTipText_;
    QCheckBox* chkLoadTipsAtStartup_;
};

} // namespace orbiplot
