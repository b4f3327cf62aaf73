#include "dialogs/frmAreas.h"

#include "analysis/AreaValues.h"
#include "analysis/KeyPoints.h"
#include "docwin/frmDocument.h"
#include "expr/CoreContext.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace orbiplot {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QTableWidgetItem* Cell(const QString& text, const QString& tip = {}) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setToolTip(tip.isEmpty() ? text : tip);
    return item;
}

} // namespace

frmAreas::frmAreas(CoreContext& context, QWidget* owner)
    : QDockWidget("面积与弧长", owner), context_(context) {
    setObjectName("frmAreas");
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    lstAreas = new QTableWidget(0, 4, body);
    lstAreas->setObjectName("lstAreas");
    lstAreas->setHorizontalHeaderLabels({"显示", "对象", "积分", "面积或弧长"});
    lstAreas->verticalHeader()->hide();
    lstAreas->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstAreas->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstAreas->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstAreas->setWordWrap(false);
    lstAreas->setTextElideMode(Qt::ElideRight);
    QHeaderView* header = lstAreas->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    const QFontMetrics metrics = lstAreas->fontMetrics();
    lstAreas->setColumnWidth(0, metrics.horizontalAdvance("显示") + 16);
    const int number = metrics.horizontalAdvance("-1.41421356237310") + 16;
    lstAreas->setColumnWidth(2, number);
    lstAreas->setColumnWidth(3, number);
    lstAreas->installEventFilter(this);
    layout->addWidget(lstAreas);
    auto* row = new QHBoxLayout;
    lblState = new QLabel(body);
    lblState->setObjectName("lblState");
    lblState->setWordWrap(true);
    row->addWidget(lblState, 1);
    cmdDelete = new QPushButton("删除(&D)", body);
    cmdDelete->setObjectName("cmdDelete");
    cmdDelete->setToolTip("删除选中的面积或弧长 (Del)");
    row->addWidget(cmdDelete);
    cmdCopy = new QPushButton("复制(&C)", body);
    cmdCopy->setObjectName("cmdCopy");
    cmdCopy->setToolTip("复制选中的行 (Ctrl+C)");
    row->addWidget(cmdCopy);
    layout->addLayout(row);
    setWidget(body);
    connect(cmdCopy, &QPushButton::clicked, this, &frmAreas::CopySelected);
    connect(cmdDelete, &QPushButton::clicked, this, &frmAreas::DeleteSelected);
    connect(lstAreas, &QTableWidget::cellChanged, this, &frmAreas::Toggled);
    Fill();
}

int frmAreas::ContentWidth() const {
    const int description =
        lstAreas->fontMetrics().horizontalAdvance("面积: y=x^2 与 y=2-x^2, x从-1到1") + 16;
    return lstAreas->columnWidth(0) + description + lstAreas->columnWidth(2) +
           lstAreas->columnWidth(3) + 2 * lstAreas->frameWidth() + 24;
}

void frmAreas::SetDocument(frmDocument* document) {
    if (document == document_) return;
    disconnect(changed_);
    document_ = document;
    if (document) changed_ = connect(document, &frmDocument::AreasChanged, this, &frmAreas::Fill);
    Fill();
}

void frmAreas::Fill() {
    filling_ = true;
    // The chosen rows stay chosen while the values follow a constant.
    std::vector<int> chosen;
    for (const QModelIndex& index : lstAreas->selectionModel()->selectedRows())
        chosen.push_back(index.row());
    const std::vector<AreaRecord> none;
    const std::vector<AreaRecord>& areas = document_ ? document_->Model().Areas() : none;
    lstAreas->setRowCount(static_cast<int>(areas.size()));
    for (size_t i = 0; i < areas.size(); ++i) {
        const auto row = static_cast<int>(i);
        const AreaRecord& a = areas[i];
        auto* shown = new QTableWidgetItem;
        shown->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        shown->setCheckState(a.Shown ? Qt::Checked : Qt::Unchecked);
        lstAreas->setItem(row, 0, shown);
        lstAreas->setItem(row, 1, Cell(Q(AreaDescription(document_->Model(), a))));
        const Integral value = MeasureArea(document_->Model(), context_.Parser, i);
        if (value.Ok()) {
            lstAreas->setItem(row, 2, Cell(Q(FullValue(value.Signed))));
            lstAreas->setItem(row, 3, Cell(Q(FullValue(value.Unsigned))));
        } else {
            const QString why = Q(OutcomeText(value));
            const QString tip = Q(value.Problem.empty() ? OutcomeText(value) : value.Problem);
            lstAreas->setItem(row, 2, Cell(why, tip));
            lstAreas->setItem(row, 3, Cell(why, tip));
        }
    }
    for (int row : chosen)
        if (row < lstAreas->rowCount()) lstAreas->selectRow(row);
    lblState->setText(!document_       ? "没有活动的文档"
                      : areas.empty() ? "没有面积或弧长: 用“计算”菜单的“面积”或“弧长”添加"
                                      : QString());
    cmdDelete->setEnabled(!areas.empty());
    cmdCopy->setEnabled(!areas.empty());
    filling_ = false;
}

void frmAreas::Toggled(int row, int column) {
    if (filling_ || column != 0 || !document_) return;
    const QTableWidgetItem* item = lstAreas->item(row, 0);
    if (!item) return;
    document_->SetAreaShown(static_cast<size_t>(row), item->checkState() == Qt::Checked);
}

QString frmAreas::SelectedText() const {
    QModelIndexList rows = lstAreas->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList lines;
    for (const QModelIndex& index : rows) {
        QStringList cells;
        for (int column = 1; column < lstAreas->columnCount(); ++column)
            if (const QTableWidgetItem* item = lstAreas->item(index.row(), column))
                cells << item->text();
        lines << cells.join('\t');
    }
    return lines.join('\n');
}

void frmAreas::CopySelected() const {
    const QString text = SelectedText();
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

void frmAreas::DeleteSelected() {
    if (!document_) return;
    std::vector<int> rows;
    for (const QModelIndex& index : lstAreas->selectionModel()->selectedRows())
        rows.push_back(index.row());
    // From the last, so that the places of the others stay.
    std::sort(rows.rbegin(), rows.rend());
    for (int row : rows)
        document_->RemoveArea(static_cast<size_t>(row));
}

bool frmAreas::eventFilter(QObject* watched, QEvent* event) {
    // Ctrl+C and Del in the table are its own, not the window's shortcuts.
    if (watched == lstAreas &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool copy = key->matches(QKeySequence::Copy);
        const bool remove = key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier;
        if (copy || remove) {
            if (event->type() == QEvent::KeyPress) {
                if (copy)
                    CopySelected();
                else
                    DeleteSelected();
            }
            event->accept();
            return event->type() == QEvent::KeyPress;
        }
    }
    return QDockWidget::eventFilter(watched, event);
}

} // namespace orbiplot
