#include "dialogs/frmKeyPoints.h"

#include "analysis/MarkLayout.h"
#include "docwin/frmDocument.h"
#include "services/QtCanvas.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <set>
#include <tuple>

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

bool Before(const KeyPoint& a, const KeyPoint& b) {
    return std::tie(a.Kind, a.Curve, a.Other, a.X, a.Y) <
           std::tie(b.Kind, b.Curve, b.Other, b.X, b.Y);
}

} // namespace

// The rows of the table, made when the view asks for them.
class KeyPointsModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void Set(std::vector<KeyPoint> points, std::vector<QString> names,
             std::vector<QIcon> swatches) {
        beginResetModel();
        points_ = std::move(points);
        names_ = std::move(names);
        swatches_ = std::move(swatches);
        endResetModel();
    }
    const std::vector<KeyPoint>& Points() const { return points_; }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(points_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 4;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        static const char* const titles[] = {"类型", "曲线", "x", "y"};
        return section >= 0 && section < 4 ? QString(titles[section]) : QVariant();
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || static_cast<size_t>(index.row()) >= points_.size()) return {};
        const KeyPoint& p = points_[static_cast<size_t>(index.row())];
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
            switch (index.column()) {
            case 0: return QString::fromStdString(KindName(p.Kind));
            case 1: return Curves(p);
            case 2: return QString::fromStdString(FullValue(p.X));
            case 3: return QString::fromStdString(FullValue(p.Y));
            default: return {};
            }
        }
        if (role == Qt::DecorationRole && index.column() == 1 && p.Curve >= 0 &&
            static_cast<size_t>(p.Curve) < swatches_.size())
            return swatches_[static_cast<size_t>(p.Curve)];
        return {};
    }

private:
    QString Name(int32_t curve) const {
        return curve >= 0 && static_cast<size_t>(curve) < names_.size()
                   ? names_[static_cast<size_t>(curve)]
                   : QString();
    }
    QString Curves(const KeyPoint& p) const {
        return p.Other >= 0 ? Name(p.Curve) + " ∩ " + Name(p.Other) : Name(p.Curve);
    }
    std::vector<KeyPoint> points_;
    std::vector<QString> names_;
    std::vector<QIcon> swatches_;
};

frmKeyPoints::frmKeyPoints(QWidget* owner) : QDockWidget("关键点", owner) {
    setObjectName("frmKeyPoints");
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    model_ = new KeyPointsModel(this);
    lstPoints = new QTableView(body);
    lstPoints->setObjectName("lstPoints");
    lstPoints->setModel(model_);
    lstPoints->verticalHeader()->hide();
    lstPoints->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstPoints->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstPoints->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstPoints->setWordWrap(false);
    // Every row of one height, each column of a width set once: nothing is measured row by
    // row, however many there are. The descriptions get what the numbers leave, elided.
    lstPoints->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lstPoints->verticalHeader()->setDefaultSectionSize(lstPoints->fontMetrics().height() + 6);
    QHeaderView* header = lstPoints->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    lstPoints->setTextElideMode(Qt::ElideRight);
    lstPoints->installEventFilter(this);
    layout->addWidget(lstPoints);
    auto* row = new QHBoxLayout;
    lblState = new QLabel(body);
    lblState->setObjectName("lblState");
    lblState->setWordWrap(true);
    row->addWidget(lblState, 1);
    cmdCopy = new QPushButton("复制(&C)", body);
    cmdCopy->setObjectName("cmdCopy");
    cmdCopy->setToolTip("复制选中的行 (Ctrl+C)");
    row->addWidget(cmdCopy);
    layout->addLayout(row);
    setWidget(body);
    SizeColumns();
    connect(cmdCopy, &QPushButton::clicked, this, &frmKeyPoints::CopySelected);
    connect(lstPoints->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmKeyPoints::RowChosen);
    Fill();
}

void frmKeyPoints::SizeColumns() {
    // Wide enough for a kind and for a value of 15 digits with its sign (a longer one is
    // elided, and told whole by its tip).
    const QFontMetrics metrics = lstPoints->fontMetrics();
    lstPoints->setColumnWidth(0, metrics.horizontalAdvance("y 截距") + 16);
    const int number = metrics.horizontalAdvance("-1.41421356237310") + 16;
    lstPoints->setColumnWidth(2, number);
    lstPoints->setColumnWidth(3, number);
}

int frmKeyPoints::ContentWidth() const {
    const int curve = lstPoints->fontMetrics().horizontalAdvance("普通方程: y=") + 24;
    return lstPoints->columnWidth(0) + curve + lstPoints->columnWidth(2) +
           lstPoints->columnWidth(3) + 2 * lstPoints->frameWidth() +
           lstPoints->verticalScrollBar()->sizeHint().width() + 12;
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
    // The rows chosen before stay chosen where their points are found again, and so does the
    // row a Shift+click counts from.
    std::vector<KeyPoint> chosen;
    for (const QModelIndex& index : lstPoints->selectionModel()->selectedRows())
        chosen.push_back(model_->Points()[static_cast<size_t>(index.row())]);
    std::sort(chosen.begin(), chosen.end(), Before);
    std::optional<KeyPoint> current;
    if (const QModelIndex at = lstPoints->currentIndex(); at.isValid())
        current = model_->Points()[static_cast<size_t>(at.row())];

    filling_ = true;
    std::vector<QString> names;
    std::vector<QIcon> swatches;
    const bool shown = document_ && document_->KeyPointsShown();
    if (shown) {
        const DocumentModel& model = document_->Model();
        for (const std::string& name : model.GetFunList())
            names.push_back(QString::fromStdString(name));
        for (int32_t i = 0; i < model.CurveCount(); ++i)
            swatches.push_back(Swatch(ToQColor(model.Curve(i).LineColor)));
    }
    model_->Set(shown ? document_->KeyPoints() : std::vector<KeyPoint>{}, std::move(names),
                std::move(swatches));
    const std::vector<KeyPoint>& points = model_->Points();
    QItemSelection selection;
    int currentRow = -1;
    for (size_t r = 0; r < points.size(); ++r) {
        const int row = static_cast<int>(r);
        if (std::binary_search(chosen.begin(), chosen.end(), points[r], Before))
            selection.select(model_->index(row, 0), model_->index(row, 3));
        if (current && points[r] == *current) currentRow = row;
    }
    if (currentRow >= 0)
        lstPoints->selectionModel()->setCurrentIndex(model_->index(currentRow, 0),
                                                     QItemSelectionModel::NoUpdate);
    lstPoints->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    filling_ = false;

    const size_t count = points.size();
    QString state, tip;
    if (!document_) {
        state = "没有活动的文档";
    } else if (!document_->KeyPointsShown()) {
        state = "关键点未打开";
    } else if (document_->IsFindingKeyPoints()) {
        state = "正在查找...";
    } else {
        state = QString("%1 个关键点").arg(count);
        if (!document_->CurvesLeftOut().empty())
            state += QString("，%1 条曲线无法计算").arg(document_->CurvesLeftOut().size());
        const std::vector<int32_t>& partial = document_->CurvesFoundInPart();
        if (!partial.empty()) state += QString("，%1 条曲线振荡过快").arg(partial.size());
        const MarkPlan& marks = document_->Marks();
        if (marks.NotMarked > 0)
            state += QString("，图上只标出离中心最近的 %1 个").arg(marks.Marks.size());
        // Which curves have none, and why; which labels found no room.
        if (!document_->CurvesLeftOut().empty()) {
            tip = "这些曲线的表达式含 RND 或只能逐点代入求值，无法求关键点：";
            const std::vector<std::string> all = document_->Model().GetFunList();
            for (const int32_t curve : document_->CurvesLeftOut())
                if (static_cast<size_t>(curve) < all.size())
                    tip += "\n" + QString::fromStdString(all[static_cast<size_t>(curve)]);
        }
        if (!partial.empty()) {
            tip += QString(tip.isEmpty() ? "" : "\n") + PartialKeyPointsText + "：";
            const std::vector<std::string> all = document_->Model().GetFunList();
            for (const int32_t curve : partial)
                if (static_cast<size_t>(curve) < all.size())
                    tip += "\n" + QString::fromStdString(all[static_cast<size_t>(curve)]);
        }
        if (marks.NotMarked > 0)
            tip += QString(tip.isEmpty() ? "" : "\n") +
                   QString("%1 个点离视图中心较远，没有在图上标出").arg(marks.NotMarked);
        if (marks.Hidden > 0)
            tip += QString(tip.isEmpty() ? "" : "\n") +
                   QString("%1 个标签放不下，鼠标停在点上时显示").arg(marks.Hidden);
    }
    lblState->setText(state);
    lblState->setToolTip(tip);
    cmdCopy->setEnabled(count > 0);
}

void frmKeyPoints::RowChosen() {
    if (filling_ || !document_) return;
    // One row chosen: its point to the middle; several are for copying only.
    const QModelIndexList rows = lstPoints->selectionModel()->selectedRows();
    if (rows.size() != 1) return;
    const size_t row = static_cast<size_t>(rows.front().row());
    if (row < model_->Points().size())
        document_->CentreOn(model_->Points()[row].X, model_->Points()[row].Y);
}

QString frmKeyPoints::SelectedText() const {
    QModelIndexList rows = lstPoints->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QString text;
    for (const QModelIndex& row : rows) {
        QStringList cells;
        for (int c = 0; c < model_->columnCount(); ++c)
            cells << model_->index(row.row(), c).data().toString();
        text += cells.join('\t') + '\n';
    }
    return text;
}

std::vector<KeyPoint> frmKeyPoints::SelectedPoints() const {
    std::vector<int> rows;
    for (const QModelIndex& index : lstPoints->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    std::vector<KeyPoint> points;
    for (int row : rows)
        if (static_cast<size_t>(row) < model_->Points().size())
            points.push_back(model_->Points()[static_cast<size_t>(row)]);
    return points;
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
