#include "dialogs/frmFunManager.h"

#include "base/AppError.h"
#include "base/modError.h"
#include "dialogs/frmFunAdd.h"
#include "docwin/frmDocument.h"
#include "docwin/frmProgress.h"
#include "expr/CoreContext.h"
#include "plot/View.h"

#include "services/QtSeams.h"

#include <QBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>

namespace orbiplot {

namespace {

constexpr int Px(int twips) { return twips / TwipsPerPixel; }

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setFixedSize(Px(1215), Px(375));
    return button;
}

} // namespace

frmFunManager::frmFunManager(CoreContext& context, const clsDialogs& dialogs, frmDocument& document,
                             QWidget* owner)
    : QDialog(owner), context_(context), dialogs_(dialogs), document_(&document) {
    setObjectName("frmFunManager");
    setWindowTitle("曲线函数管理器");
    UseDialogFrame(this);
    lstFunList = new QListWidget(this);
    lstFunList->setObjectName("lstFunList");
    cmdAdd = Button("cmdAdd", "添加(&A)", this);
    cmdEdit = Button("cmdEdit", "编辑(&E)", this);
    cmdDelete = Button("cmdDelete", "删除(&D)", this);
    cmdRefresh = Button("cmdRefresh", "刷新(&R)", this);
    cmdClose = Button("cmdClose", "关闭(&C)", this);
    // The list takes the room; the buttons stand in a column at the right.
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(Px(60), Px(30), Px(60), Px(30));
    layout->setSpacing(Px(60));
    layout->addWidget(lstFunList, 1);
    auto* buttons = new QVBoxLayout;
    buttons->setContentsMargins(0, Px(90), 0, 0);
    buttons->setSpacing(Px(480 - 375));
    for (QPushButton* button : {cmdAdd, cmdEdit, cmdDelete, cmdRefresh, cmdClose})
        buttons->addWidget(button);
    buttons->addStretch();
    layout->addLayout(buttons);
    setMinimumSize(Px(4905), Px(2900));
    resize(Px(6400), Px(3300));

    connect(cmdAdd, &QPushButton::clicked, this, &frmFunManager::cmdAdd_Click);
    connect(cmdEdit, &QPushButton::clicked, this, &frmFunManager::cmdEdit_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmFunManager::cmdDelete_Click);
    connect(cmdRefresh, &QPushButton::clicked, this, &frmFunManager::cmdRefresh_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
    connect(lstFunList, &QListWidget::itemChanged, this, &frmFunManager::ItemChanged);
    connect(lstFunList, &QListWidget::itemSelectionChanged, this,
            &frmFunManager::UpdateSelectionButtons);
    connect(lstFunList, &QListWidget::itemDoubleClicked, this, &frmFunManager::cmdEdit_Click);
    // Its list and buttons mean nothing once the document is gone.
    connect(&document, &QObject::destroyed, this, &QWidget::close);
    // A change made here is taken back or made again here too, and the list follows.
    const auto step = [this](const QList<QKeySequence>& keys, bool undo) {
        for (const QKeySequence& key : keys)
            connect(new QShortcut(key, this), &QShortcut::activated, this, [this, undo] {
                if (!document_) return;
                if (undo)
                    document_->UndoStack().undo();
                else
                    document_->UndoStack().redo();
                RefreshFunList();
            });
    };
    step({QKeySequence("Ctrl+Z")}, true);
    step({QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}, false);
    RefreshFunList();
}

void frmFunManager::ShowModal() {
    // Shown without a nested event loop, so no caller waits inside one; modal again each
    // time, so no other document can be made active under it.
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

void frmFunManager::RefreshFunList() {
    // Filling the list checks its boxes; that is no change by the person.
    const QSignalBlocker quiet(lstFunList);
    lstFunList->clear();
    hasCurves_ = false;
    frmDocument* document = document_;
    cmdAdd->setEnabled(document != nullptr);
    if (!document) {
        // Without a document there is nothing to list or to add to.
        lstFunList->addItem("(无)");
        lstFunList->setEnabled(false);
        cmdRefresh->setEnabled(false);
        UpdateSelectionButtons();
        return;
    }
    try {
        const std::vector<std::string> names = document->GetFunList();
        const std::vector<bool> shows = document->GetFunListShowHide();
        if (names.empty()) {
            lstFunList->addItem("(无)");
            lstFunList->setEnabled(false);
            cmdRefresh->setEnabled(false);
            UpdateSelectionButtons();
            return;
        }
        hasCurves_ = true;
        lstFunList->setEnabled(true);
        cmdRefresh->setEnabled(true);
        for (size_t i = 0; i < names.size(); ++i) {
            auto* item = new QListWidgetItem(QString::fromStdString(names[i]), lstFunList);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(i < shows.size() && shows[i] ? Qt::Checked : Qt::Unchecked);
        }
    } catch (...) {
        ReportCurrentError(context_.Messages);
    }
    UpdateSelectionButtons();
}

void frmFunManager::UpdateSelectionButtons() {
    // Edit and delete need a selected curve.
    const bool selected =
        hasCurves_ && lstFunList->currentRow() >= 0 && !lstFunList->selectedItems().isEmpty();
    cmdEdit->setEnabled(selected);
    cmdDelete->setEnabled(selected);
}

void frmFunManager::ItemChanged(QListWidgetItem* item) {
    frmDocument* document = document_;
    if (!hasCurves_ || !document) return;
    try {
        document->SetFunListShowHide(lstFunList->row(item), item->checkState() == Qt::Checked);
    } catch (...) {
        ReportCurrentError(context_.Messages);
    }
}

void frmFunManager::HiddenWhile(const std::function<void()>& work) {
    // Hidden, it blocks nothing: the curve dialog or the redraw has the screen to itself.
    // It comes back where it was (a window manager may place a window shown again anew).
    const QPoint at = pos();
    hide();
    work();
    if (!document_) {
        close();
        return;
    }
    move(at);
    ShowModal();
}

void frmFunManager::cmdAdd_Click() {
    frmDocument* document = document_;
    if (!document) return;
    HiddenWhile(
        [&] { frmFunAdd(context_, dialogs_, *document, parentWidget()).NewFun(CurveGeneralY); });
    RefreshFunList();
}

void frmFunManager::cmdEdit_Click() {
    frmDocument* document = document_;
    const int row = lstFunList->currentRow();
    if (!document || !hasCurves_ || row < 0) return;
    HiddenWhile([&] { frmFunAdd(context_, dialogs_, *document, parentWidget()).ModifyFun(row); });
    RefreshFunList();
}

void frmFunManager::cmdDelete_Click() {
    frmDocument* document = document_;
    const int row = lstFunList->currentRow();
    if (!document || !hasCurves_ || row < 0) return;
    const std::string name = lstFunList->item(row)->text().toStdString();
    const MsgResult answer =
        context_.Messages.ShowMessage({MsgIcon::Question, MsgButtons::YesNo, MsgResult::No,
                                       "Orbiplot", "是否真要删除“" + name + "”曲线？"});
    if (!document_) return;
    try {
        if (answer == MsgResult::Yes) document->DeleteFun(row);
    } catch (...) {
        ReportCurrentError(context_.Messages);
    }
    RefreshFunList();
    HiddenWhile([&] { document->RefreshAll(); });
}

void frmFunManager::cmdRefresh_Click() {
    frmDocument* document = document_;
    if (!document) return;
    HiddenWhile([&] {
        frmProgress& progress = document->Progress();
        progress.Begin();
        document->RefreshAll();
        progress.End();
    });
}

} // namespace orbiplot
