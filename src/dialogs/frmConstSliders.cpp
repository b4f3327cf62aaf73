#include "dialogs/frmConstSliders.h"

#include "base/AppError.h"
#include "base/NumberFormat.h"
#include "base/TextEncoding.h"
#include "base/modError.h"
#include "docwin/frmDocument.h"
#include "expr/CoreContext.h"
#include "expr/modConst.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace orbiplot {

namespace {

// The shortest text that reads back to the value in use.
QString Number(double value) { return QString::fromStdString(ShortestText(value)); }

std::optional<double> ReadNumber(const QString& text) {
    const std::string s = text.trimmed().toStdString();
    if (s.empty()) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

// Steps of the slider's int positions over the range: every multiple of the step, then the
// end (0 to 1 in steps of 0.3 stops at 0.9, then 1).
int Steps(const SliderRange& range) {
    const double steps = (range.Max - range.Min) / range.Step;
    return static_cast<int>(std::ceil(steps - 1e-9 * std::max(1.0, steps)));
}

constexpr double Speeds[] = {0.5, 1, 2, 5};

} // namespace

frmConstSliders::frmConstSliders(CoreContext& context,
                                 std::function<QList<frmDocument*>()> documents, QWidget* owner)
    : QDockWidget("常数滑块", owner), context_(context), documents_(std::move(documents)) {
    setObjectName("frmConstSliders");
    player_.setInterval(TickMilliseconds);
    connect(&player_, &QTimer::timeout, this, &frmConstSliders::Tick);
    Reload();
}

void frmConstSliders::Reload() {
    player_.stop();
    rows_.clear();
    failures_.clear();
    auto* outer = new QWidget(this);
    auto* layout = new QVBoxLayout(outer);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* speedRow = new QHBoxLayout;
    speedRow->addWidget(new QLabel("播放速度:", outer));
    const int oldSpeed = cboSpeed ? cboSpeed->currentIndex() : 1;
    cboSpeed = new QComboBox(outer);
    cboSpeed->setObjectName("cboSpeed");
    for (const double speed : Speeds)
        cboSpeed->addItem(QString("%1 倍").arg(speed));
    cboSpeed->setCurrentIndex(oldSpeed);
    speedRow->addWidget(cboSpeed);
    speedRow->addStretch(1);
    layout->addLayout(speedRow);

    auto* scroll = new QScrollArea(outer);
    scroll->setWidgetResizable(true);
    body_ = new QWidget(scroll);
    auto* grid = new QGridLayout(body_);
    grid->setContentsMargins(2, 2, 2, 2);
    int column = 0;
    for (const char* title : {"常数", "", "值", "最小值", "最大值", "步长", "", ""})
        grid->addWidget(new QLabel(title, body_), 0, column++);
    const UserConstants& constants = context_.Constants;
    const std::map<std::string, SliderRange> stored =
        LoadSliderRanges(context_.SettingsFile(), constants.Names);
    rows_.reserve(constants.Names.size());
    for (size_t i = 0; i < constants.Names.size(); ++i) {
        Row row;
        const double value = constants.Values[i];
        const auto found = stored.find(AsciiUpper(TrimBlanks(constants.Names[i])));
        row.range = found != stored.end() ? found->second : DefaultSliderRange(value);
        if (!IsUsableRange(row.range)) row.range = {value - 1, value + 1, 0.1};
        row.fileValue = value;
        rows_.push_back(row);
        AddRow(grid, i);
    }
    grid->setRowStretch(2 * static_cast<int>(rows_.size()) + 2, 1);
    grid->setColumnStretch(1, 1);
    lblEmpty = new QLabel("没有用户常数。可在“工具 → 常数管理器”中添加。", body_);
    lblEmpty->setObjectName("lblEmpty");
    lblEmpty->setVisible(rows_.empty());
    grid->addWidget(lblEmpty, 2 * static_cast<int>(rows_.size()) + 1, 0, 1, 8);
    scroll->setWidget(body_);
    layout->addWidget(scroll);
    QWidget* before = widget();
    setWidget(outer);
    if (before) before->deleteLater();
}

void frmConstSliders::AddRow(QGridLayout* grid, size_t i) {
    Row& row = rows_[i];
    // Each constant on a line of its own, its note on the line below.
    const int r = 2 * static_cast<int>(i) + 1;
    const QString n = QString::number(i + 1);
    const QString name = QString::fromStdString(context_.Constants.Names[i]);
    auto* label = new QLabel(name, body_);
    label->setObjectName("lblName" + n);
    grid->addWidget(label, r, 0);
    row.slider = new QSlider(Qt::Horizontal, body_);
    row.slider->setObjectName("sldValue" + n);
    row.slider->setMinimumWidth(140);
    grid->addWidget(row.slider, r, 1);
    row.value = new QDoubleSpinBox(body_);
    row.value->setObjectName("txtValue" + n);
    row.value->setDecimals(6);
    row.value->setKeyboardTracking(false);
    grid->addWidget(row.value, r, 2);
    const auto edit = [&](QLineEdit*& box, const char* object, double v, int column) {
        box = new QLineEdit(Number(v), body_);
        box->setObjectName(object + n);
        box->setMaximumWidth(70);
        grid->addWidget(box, r, column);
    };
    edit(row.min, "txtMin", row.range.Min, 3);
    edit(row.max, "txtMax", row.range.Max, 4);
    edit(row.step, "txtStep", row.range.Step, 5);
    row.play = new QToolButton(body_);
    row.play->setObjectName("cmdPlay" + n);
    // The style's own media icons: not every font has the pause sign.
    row.play->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    row.play->setCheckable(true);
    row.play->setToolTip("来回播放 " + name);
    grid->addWidget(row.play, r, 6);
    row.save = new QPushButton("保存", body_);
    row.save->setObjectName("cmdSave" + n);
    row.save->setToolTip("把 " + name + " 的当前值保存到常数文件");
    grid->addWidget(row.save, r, 7);
    row.note = new QLabel(body_);
    row.note->setObjectName("lblNote" + n);
    row.note->setStyleSheet("color: #b00000;");
    row.note->setWordWrap(true);
    row.note->hide();
    grid->addWidget(row.note, r + 1, 0, 1, 8);
    SetSliderFrom(row, context_.Constants.Values[i]);

    connect(row.slider, &QSlider::valueChanged, this, [this, i](int position) {
        MoveTo(static_cast<int>(i), ValueAt(rows_[i], position), rows_[i].slider->isSliderDown());
    });
    connect(row.slider, &QSlider::sliderReleased, this, [this, i] {
        MoveTo(static_cast<int>(i), ValueAt(rows_[i], rows_[i].slider->value()), false);
    });
    connect(row.value, &QDoubleSpinBox::valueChanged, this,
            [this, i](double v) { MoveTo(static_cast<int>(i), v, false); });
    for (QLineEdit* box : {row.min, row.max, row.step})
        connect(box, &QLineEdit::editingFinished, this, [this, i] { RangeEdited(i); });
    connect(row.play, &QToolButton::toggled, this, [this, i](bool on) {
        rows_[i].play->setIcon(
            style()->standardIcon(on ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
        if (on) {
            player_.start();
            return;
        }
        bool any = false;
        for (const Row& other : rows_)
            any = any || other.play->isChecked();
        if (!any) player_.stop();
        // Stopped: the value is drawn as after any change, with its boxes.
        MoveTo(static_cast<int>(i), context_.Constants.Values[i], false);
    });
    connect(row.save, &QPushButton::clicked, this, [this, i] { Keep(i); });
}

double frmConstSliders::ValueAt(const Row& row, int position) const {
    if (position >= Steps(row.range)) return row.range.Max;
    // To the decimals of the minimum and the step: -8 + 110 steps of 0.1 is 3, not
    // 3.0000000000000004, so that a value meant to equal another does.
    const auto decimals = [](double v) {
        const std::string text = GeneralText(v);
        const size_t point = text.find('.');
        return point == std::string::npos || text.find('E') != std::string::npos
                   ? 0
                   : static_cast<int>(text.size() - point - 1);
    };
    const int places = std::min(15, std::max(decimals(row.range.Min), decimals(row.range.Step)));
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", places, row.range.Min + position * row.range.Step);
    return std::strtod(text, nullptr);
}

void frmConstSliders::SetSliderFrom(Row& row, double value) {
    const QSignalBlocker a(row.slider), b(row.value);
    row.slider->setRange(0, Steps(row.range));
    row.slider->setSingleStep(1);
    row.slider->setPageStep(std::max(1, Steps(row.range) / 10));
    const int steps = Steps(row.range);
    row.slider->setValue(value >= row.range.Max
                             ? steps
                             : std::min(steps, static_cast<int>(std::lround(
                                                   (value - row.range.Min) / row.range.Step))));
    row.value->setRange(std::min(row.range.Min, value), std::max(row.range.Max, value));
    row.value->setSingleStep(row.range.Step);
    row.value->setValue(value);
}

void frmConstSliders::MoveTo(int r, double value, bool moving) {
    if (r < 0 || static_cast<size_t>(r) >= rows_.size()) return;
    const auto i = static_cast<size_t>(r);
    Row& row = rows_[i];
    value = std::clamp(value, std::min(row.range.Min, value), std::max(row.range.Max, value));
    try {
        modConst::SetUserConstantValue(context_, i, value);
    } catch (...) {
        ReportCurrentError(context_.Messages);
        return;
    }
    if (!row.slider->isSliderDown()) SetSliderFrom(row, value);
    {
        const QSignalBlocker block(row.value);
        row.value->setValue(value);
    }
    RedrawAll(i, moving);
}

void frmConstSliders::RedrawAll(size_t r, bool moving) {
    if (r != lastRow_) failures_.clear();
    lastRow_ = r;
    const std::string name = context_.Constants.Names[r];
    for (frmDocument* document : documents_()) {
        connect(document, &frmDocument::RedrawFailures, this, &frmConstSliders::Failures,
                Qt::UniqueConnection);
        if (!document->RedrawForConstant(name, moving)) failures_.erase(document);
    }
    ShowNote(r);
}

void frmConstSliders::Failures(const QStringList& failures) {
    if (failures.isEmpty())
        failures_.erase(sender());
    else
        failures_[sender()] = failures;
    ShowNote(lastRow_);
}

void frmConstSliders::ShowNote(size_t r) {
    for (size_t i = 0; i < rows_.size(); ++i) {
        QStringList all;
        if (i == r)
            for (const auto& [document, texts] : failures_)
                all << texts;
        Row& row = rows_[i];
        row.note->setVisible(!all.isEmpty());
        if (all.isEmpty()) continue;
        // The first line of the first failure, the whole of every one in the tip.
        const QString& first = all.front();
        row.note->setText("无法绘制 " + first.section('\n', 0, 0).left(50) + " — " +
                          first.section('\n', -1).left(40));
        row.note->setToolTip(all.join("\n\n"));
    }
}

void frmConstSliders::RangeEdited(size_t r) {
    Row& row = rows_[r];
    const auto min = ReadNumber(row.min->text()), max = ReadNumber(row.max->text()),
               step = ReadNumber(row.step->text());
    const SliderRange range{min.value_or(NAN), max.value_or(NAN), step.value_or(NAN)};
    if (!IsUsableRange(range)) {
        // Back to the range in use: a range must run upwards, in a step it holds.
        row.min->setText(Number(row.range.Min));
        row.max->setText(Number(row.range.Max));
        row.step->setText(Number(row.range.Step));
        return;
    }
    if (range == row.range) return;
    row.range = range;
    SetSliderFrom(row, context_.Constants.Values[r]);
    try {
        SaveSliderRange(context_.SettingsFile(), context_.Constants.Names[r], range);
    } catch (...) {
        ReportCurrentError(context_.Messages);
    }
}

void frmConstSliders::Keep(size_t r) {
    // Only this constant's value goes to the file; the others keep what the file has.
    UserConstants& constants = context_.Constants;
    const std::vector<double> memory = constants.Values;
    for (size_t i = 0; i < rows_.size() && i < constants.Values.size(); ++i)
        if (i != r) constants.Values[i] = rows_[i].fileValue;
    const bool saved = modConst::SaveUserConstants(context_);
    constants.Values = memory;
    if (saved) rows_[r].fileValue = memory[r];
}

bool frmConstSliders::ConfirmClose() {
    bool changed = false;
    for (size_t i = 0; i < rows_.size(); ++i)
        changed = changed || rows_[i].fileValue != context_.Constants.Values[i];
    if (!changed) return true;
    const MsgResult answer = context_.Messages.ShowMessage(
        {MsgIcon::Question, MsgButtons::YesNoCancel, MsgResult::Yes, "常数滑块",
         "常数的值已经改变。\n\n是否把新的值保存到常数文件?"});
    if (answer == MsgResult::Cancel) return false;
    for (Row& row : rows_)
        row.play->setChecked(false);
    if (answer == MsgResult::Yes) {
        if (!modConst::SaveUserConstants(context_)) return false;
        for (size_t i = 0; i < rows_.size(); ++i)
            rows_[i].fileValue = context_.Constants.Values[i];
        return true;
    }
    // No: the values of the file again, and the curves with them.
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].fileValue != context_.Constants.Values[i])
            MoveTo(static_cast<int>(i), rows_[i].fileValue, false);
    return true;
}

void frmConstSliders::closeEvent(QCloseEvent* event) {
    if (!ConfirmClose()) {
        event->ignore();
        return;
    }
    player_.stop();
    QDockWidget::closeEvent(event);
}

bool frmConstSliders::IsPlaying(int r) const {
    return r >= 0 && static_cast<size_t>(r) < rows_.size() &&
           rows_[static_cast<size_t>(r)].play->isChecked();
}

void frmConstSliders::Tick() {
    // A frame still being drawn takes this tick: the values move no faster than the
    // documents can show them.
    for (frmDocument* document : documents_())
        if (document->IsRedrawing()) return;
    const double speed = Speeds[std::clamp(cboSpeed->currentIndex(), 0, 3)];
    for (size_t i = 0; i < rows_.size(); ++i) {
        Row& row = rows_[i];
        if (!row.play->isChecked()) continue;
        double value = context_.Constants.Values[i] + row.direction * row.range.Step * speed;
        if (value >= row.range.Max) {
            value = row.range.Max;
            row.direction = -1;
        } else if (value <= row.range.Min) {
            value = row.range.Min;
            row.direction = 1;
        }
        MoveTo(static_cast<int>(i), value, true);
    }
}

} // namespace orbiplot
