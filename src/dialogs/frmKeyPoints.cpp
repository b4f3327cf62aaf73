#include "dialogs/frmKeyPoints.h"

#include "docwin/frmDocument.h"
#include "services/QtCanvas.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace orbiplot {

namespace {
QIcon Swatch(const QColor& color) {
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(90, 90, 90));
    painter.setBrush(color);
    painter.drawRect(1, 1, 10, 10);
    return QIcon(pixmap);
}
} // namespace

frmKeyPoints::frmKeyPoints(QWidget* owner) : QDockWidget("关键点", owner) {
    setObjectName("frmKeyPoints");
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    lstPoints = new QTableWidget(0, 4, body);
    lstPoints->setObjectName("lstPoints");
    lstPoints->setHorizontalHeaderLabels({"类型", "曲线", "x", "y"});
    lstPoints->verticalHeader()->hide();
    lstPoints->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstPoints->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstPoints->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The descriptions can be long: their column gets what the numbers leave, elided.
    QHeaderView* header = lstPoints->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    lstPoints->setTextElideMode(Qt::ElideRight);
    lstPoints->verticalHeader()->setDefaultSectionSize(lstPoints->fontMetrics().height() + 6);
    lstPoints->setMinimumWidth(440);
    lstPoints->installEventFilter(this);
    layout->addWidget(lstPoints);
    auto* row = new QHBoxLayout;
    lblState = new QLabel(body);
    lblState->setObjectName("lblState");
    row->addWidget(lblState, 1);
    cmdCopy = new QPushButton("复制(&C)", body);
    cmdCopy->setObjectName("cmdCopy");
    cmdCopy->setToolTip("复制选中的行 (Ctrl+C)");
    row->addWidget(cmdCopy);
    layout->addLayout(row);
    setWidget(body);
    connect(cmdCopy, &QPushButton::clicked, this, &frmKeyPoints::CopySelected);
    connect(lstPoints, &QTableWidget::itemSelectionChanged, this, &frmKeyPoints::RowChosen);
    Fill();
}

void frmKeyPoints::SetDocument(frmDocument* document) {
    if (document == document_) return;
    disconnect(changed_);
    document_ = document;
    if (document)
        changed_ = connect(document, &frmDocument::KeyPointsChanged, this, &frmKeyPoints::Fill);
    Fill();
}

void frmKeyPoints::Fill() {
    // The row chosen before stays chosen when its point is found again.
    std::optional<KeyPoint> chosen;
    if (const int current = lstPoints->currentRow(); current >= 0 &&
                                                     static_cast<size_t>(current) < shown_.size() &&
                                                     lstPoints->item(current, 0)->isSelected())
        chosen = shown_[static_cast<size_t>(current)];
    filling_ = true;
    shown_ =
        document_ && document_->KeyPointsShown() ? document_->KeyPoints() : std::vector<KeyPoint>{};
    lstPoints->clearContents();
    lstPoints->setRowCount(static_cast<int>(shown_.size()));
    const DocumentModel* model = document_ ? &document_->Model() : nullptr;
    const std::vector<std::string> names = model ? model->GetFunList() : std::vector<std::string>{};
    const auto curveName = [&](int32_t curve) {
        return curve >= 0 && static_cast<size_t>(curve) < names.size()
                   ? QString::fromStdString(names[static_cast<size_t>(curve)])
                   : QString();
    };
    for (size_t i = 0; i < shown_.size(); ++i) {
        const KeyPoint& p = shown_[i];
        const int r = static_cast<int>(i);
        lstPoints->setItem(r, 0, new QTableWidgetItem(QString::fromStdString(KindName(p.Kind))));
        QString curves = curveName(p.Curve);
        if (p.Other >= 0) curves += " ∩ " + curveName(p.Other);
        auto* curve = new QTableWidgetItem(curves);
        if (model && p.Curve >= 0 && p.Curve < model->CurveCount())
            curve->setIcon(Swatch(ToQColor(model->Curve(p.Curve).LineColor)));
        curve->setToolTip(curves);
        lstPoints->setItem(r, 1, curve);
        lstPoints->setItem(r, 2, new QTableWidgetItem(QString::fromStdString(FullValue(p.X))));
        lstPoints->setItem(r, 3, new QTableWidgetItem(QString::fromStdString(FullValue(p.Y))));
        if (chosen && *chosen == p) {
            lstPoints->setCurrentCell(r, 0);
            lstPoints->selectRow(r);
        }
    }
    filling_ = false;
    if (!document_)
        lblState->setText("没有活动的文档");
    else if (!document_->KeyPointsShown())
        lblState->setText("关键点未打开");
    else if (document_->IsFindingKeyPoints())
        lblState->setText("正在查找...");
    else if (document_->CurvesLeftOut().empty())
        lblState->setText(QString("%1 个关键点").arg(shown_.size()));
    else
        lblState->setText(QString("%1 个关键点，%2 条曲线无法计算")
                              .arg(shown_.size())
                              .arg(document_->CurvesLeftOut().size()));
    // Which curves have none, and why.
    QString tip;
    if (document_ && document_->KeyPointsShown() && !document_->IsFindingKeyPoints() &&
        !document_->CurvesLeftOut().empty()) {
        tip = "这些曲线的表达式含 RND 或只能逐点代入求值，无法求关键点：";
        for (const int32_t curve : document_->CurvesLeftOut())
            tip += "\n" + curveName(curve);
    }
    lblState->setToolTip(tip);
    cmdCopy->setEnabled(!shown_.empty());
}

void frmKeyPoints::RowChosen() {
    if (filling_ || !document_) return;
    const QList<QTableWidgetItem*> items = lstPoints->selectedItems();
    // One row chosen: its point to the middle; several are for copying only.
    const int row = items.isEmpty() ? -1 : items.front()->row();
    for (const QTableWidgetItem* item : items)
        if (item->row() != row) return;
    if (row >= 0 && static_cast<size_t>(row) < shown_.size())
        document_->CentreOn(shown_[static_cast<size_t>(row)].X, shown_[static_cast<size_t>(row)].Y);
}

QString frmKeyPoints::SelectedText() const {
    QString text;
    for (int r = 0; r < lstPoints->rowCount(); ++r) {
        if (!lstPoints->item(r, 0) || !lstPoints->item(r, 0)->isSelected()) continue;
        QStringList cells;
        for (int c = 0; c < lstPoints->columnCount(); ++c)
            cells << lstPoints->item(r, c)->text();
        text += cells.join('\t') + '\n';
    }
    return text;
}

void frmKeyPoints::CopySelected() const {
    const QString text = SelectedText();
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

bool frmKeyPoints::eventFilter(QObject* watched, QEvent* event) {
    // Ctrl+C in the table copies its rows rather than opening the constants manager.
    if (watched == lstPoints &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        if (event->type() == QEvent::KeyPress) CopySelected();
        event->accept();
        return event->type() == QEvent::KeyPress;
    }
    return QDockWidget::eventFilter(watched, event);
}

} // namespace orbiplot
