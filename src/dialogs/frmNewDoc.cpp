#include "dialogs/frmNewDoc.h"

#include "dialogs/SelectAllEdit.h"
#include "docwin/frmDocument.h"

#include "services/QtSeams.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace orbiplot {

frmNewDoc::frmNewDoc(Services services, QWidget* owner)
    : QDialog(owner), services_(std::move(services)) {
    SetUpModalDialog(this, "frmNewDoc", "新建文档");

    auto* info = new QGroupBox("文档属性", this);
    auto* form = new QFormLayout(info);
    txtDocName = new SelectAllEdit(info);
    txtDocAuthor = new SelectAllEdit(info);
    txtDocNote = new SelectAllEdit(info);
    txtDocName->setObjectName("txtDocName");
    txtDocAuthor->setObjectName("txtDocAuthor");
    txtDocNote->setObjectName("txtDocNote");
    form->addRow("文档名:", txtDocName);
    form->addRow("作者:", txtDocAuthor);
    form->addRow("说明:", txtDocNote);

    auto* coo = new QGroupBox("坐标系", this);
    auto* cooLayout = new QVBoxLayout(coo);
    const char* captions[] = {"直角坐标系", "极坐标系", "直角坐标系 + 极坐标系"};
    for (int i = 0; i < 3; ++i) {
        optCoo[i] = new QRadioButton(captions[i], coo);
        optCoo[i]->setObjectName(QString("optCoo%1").arg(i));
        cooLayout->addWidget(optCoo[i]);
    }
    optCoo[2]->setChecked(true);
    auto* cmdSetting = new QPushButton("设置坐标系(&S)", coo);
    cmdSetting->setObjectName("cmdSetting");
    cooLayout->addWidget(cmdSetting);

    auto* buttons = new QDialogButtonBox(this);
    auto* cmdOK = buttons->addButton("确定(&O)", QDialogButtonBox::AcceptRole);
    cmdOK->setObjectName("cmdOK");
    buttons->addButton("取消(&C)", QDialogButtonBox::RejectRole)->setObjectName("cmdCancel");
    cmdOK->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmNewDoc::cmdOK_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(info);
    layout->addWidget(coo);
    layout->addWidget(buttons);

    txtDocAuthor->setText(QString::fromStdString(services_.LoginName));
    txtDocNote->setText(services_.Now);
    resize(360, sizeHint().height());
}

void frmNewDoc::NewOne() {
    isNew_ = true;
    setWindowTitle("新建文档");
    txtDocName->setText("函数 " + QString::number(services_.DocumentCounter));
    txtDocName->setFocus();
    exec();
}

void frmNewDoc::ModifyOne(frmDocument& document) {
    isNew_ = false;
    target_ = &document;
    setWindowTitle("文档属性");
    const DocInfo info = document.GetDocInfo();
    txtDocName->setText(QString::fromStdString(info.Title));
    txtDocAuthor->setText(QString::fromStdString(info.Author));
    txtDocNote->setText(QString::fromStdString(info.Note));
    // A stored value other than 0, 1 or 2 keeps the proposal of both systems.
    const int coo = QString::fromStdString(info.Coordinates).trimmed().toInt();
    optCoo[coo >= 0 && coo <= 2 ? coo : 2]->setChecked(true);
    txtDocName->setFocus();
    exec();
    target_ = nullptr;
}

void frmNewDoc::cmdOK_Click() {
    int coo = 2;
    for (int i = 0; i < 3; ++i)
        if (optCoo[i]->isChecked()) coo = i;
    const DocInfo info{txtDocName->text().toStdString(), txtDocAuthor->text().toStdString(),
                       txtDocNote->text().toStdString(), std::to_string(coo)};
    if (isNew_) {
        ++services_.DocumentCounter;
        accept();
        services_.CreateDocument(info);
    } else {
        if (target_) target_->ModifyDocInfo(info);
        accept();
    }
}

} // namespace orbiplot
