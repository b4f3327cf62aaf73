#include "dialogs/frmConstManager.h"

#include "base/NumberFormat.h"
#include "base/modError.h"
#include "expr/CoreContext.h"
#include "expr/modConst.h"
#include "services/QtSeams.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace orbiplot {

frmConstManager::frmConstManager(CoreContext& context, QWidget* owner)
    : QDialog(owner), context_(context) {
    SetUpModalDialog(this, "frmConstManager", "常数管理器");
    auto* layout = new QGridLayout(this);
    auto* hint = new QLabel("说明: 常数名必须以字母开头,后面部分可包括字母,数字和下划线", this);
    hint->setWordWrap(true);
    layout->addWidget(hint, 0, 0, 1, 3);
    layout->addWidget(new QLabel("常数名:", this), 1, 0);
    txtConstName_ = new QLineEdit(this);
    txtConstName_->setObjectName("txtConstName");
    layout->addWidget(txtConstName_, 1, 1);
    layout->addWidget(new QLabel("常数值:", this), 2, 0);
    txtConstValue_ = new QLineEdit(this);
    txtConstValue_->setObjectName("txtConstValue");
    layout->addWidget(txtConstValue_, 2, 1);
    auto* cmdAddConst = new QPushButton("添加常数(&A)", this);
    cmdAddConst->setObjectName("cmdAddConst");
    cmdAddConst->setDefault(true);
    layout->addWidget(cmdAddConst, 1, 2, 2, 1);
    layout->addWidget(new QLabel("常数列表:", this), 3, 0, 1, 3);
    lstConstants_ = new QListWidget(this);
    lstConstants_->setObjectName("lstConstants");
    layout->addWidget(lstConstants_, 4, 0, 3, 2);
    auto* cmdRemoveConst = new QPushButton("移除常数(&R)", this);
    cmdRemoveConst->setObjectName("cmdRemoveConst");
    auto* cmdClose = new QPushButton("关闭(&C)", this);
    cmdClose->setObjectName("cmdClose");
    cmdClose->setAutoDefault(false);
    layout->addWidget(cmdRemoveConst, 4, 2);
    layout->addWidget(cmdClose, 5, 2);
    layout->setRowStretch(6, 1);
    resize(420, 320);

    connect(cmdAddConst, &QPushButton::clicked, this, &frmConstManager::cmdAddConst_Click);
    connect(cmdRemoveConst, &QPushButton::clicked, this, &frmConstManager::cmdRemoveConst_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
    RefreshConstantList();
}

void frmConstManager::RefreshConstantList() {
    lstConstants_->clear();
    for (const std::string& line : modConst::GetUserConstantList(context_))
        lstConstants_->addItem(QString::fromStdString(line));
}

void frmConstManager::cmdAddConst_Click() {
    try {
        const std::string value = txtConstValue_->text().toStdString();
        if (!IsNumericText(value)) {
            txtConstValue_->setFocus();
            txtConstValue_->selectAll();
        }
        modConst::AddUserConstantText(context_, txtConstName_->text().toStdString(), value);
        RefreshConstantList();
        txtConstName_->clear();
        txtConstValue_->clear();
    } catch (...) {
        ReportCurrentError(context_.Messages);
    }
}

void frmConstManager::cmdRemoveConst_Click() {
    try {
        const bool selected = !lstConstants_->selectedItems().isEmpty();
        modConst::RemoveSelectedConstant(context_, selected ? lstConstants_->currentRow() : -1);
        RefreshConstantList();
    } catch (...) {
        ReportCurrentError(context_.Messages);
    }
}

void frmConstManager::done(int result) {
    // Every close writes the file, changed or not.
    modConst::SaveUserConstants(context_);
    QDialog::done(result);
}

} // namespace orbiplot
