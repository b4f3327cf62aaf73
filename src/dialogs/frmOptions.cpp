#include "dialogs/frmOptions.h"

#include "base/clsDialogs.h"
#include "base/modError.h"
#include "expr/CoreContext.h"
#include "services/QtSeams.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace orbiplot {

namespace {

// A short line in the style, as the grid will draw it.
QIcon StylePicture(Qt::PenStyle style) {
    QPixmap picture(48, 12);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    QPen pen(Qt::black, 1, style);
    painter.setPen(pen);
    painter.drawLine(2, 6, 46, 6);
    return QIcon(picture);
}

QPushButton* Swatch(QWidget* parent) {
    auto* swatch = new QPushButton(parent);
    swatch->setFixedSize(48, 22);
    swatch->setToolTip("单击选择颜色");
    return swatch;
}

} // namespace

frmOptions::frmOptions(CoreContext& context, const clsDialogs& dialogs, QWidget* owner)
    : QDialog(owner), context_(context), dialogs_(dialogs) {
    SetUpModalDialog(this, "frmOptions", "Orbiplot 选项");
    auto* layout = new QVBoxLayout(this);
    tabOptions_ = new QTabWidget(this);
    tabOptions_->setObjectName("tabOptions");
    layout->addWidget(tabOptions_);

    QWidget* page1 = BuildGridPage();
    QWidget* page2 = BuildGeneralPage();
    tabOptions_->addTab(page1, "坐标系");
    tabOptions_->setTabToolTip(0, "坐标系选项");
    tabOptions_->addTab(page2, "一般");
    tabOptions_->setTabToolTip(1, "Orbiplot 一般选项");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* cmdOk = new QPushButton("确定(&O)", this);
    cmdOk->setObjectName("cmdOk");
    cmdOk->setDefault(true);
    auto* cmdCancel = new QPushButton("取消(&C)", this);
    cmdCancel->setObjectName("cmdCancel");
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons);

    FillFromSettings();
    ConnectControls(cmdOk, cmdCancel);
    CheckUnit();
}

QWidget* frmOptions::BuildGridPage() {
    auto* page1 = new QWidget;
    auto* grid1 = new QVBoxLayout(page1);
    auto* backRow = new QHBoxLayout;
    backRow->addWidget(new QLabel("坐标背景颜色:", page1));
    picBackColor_ = Swatch(page1);
    picBackColor_->setObjectName("picBackColor");
    backRow->addWidget(picBackColor_);
    backRow->addStretch();
    grid1->addLayout(backRow);

    auto* look = new QGroupBox("网格外观", page1);
    auto* lookGrid = new QGridLayout(look);
    chkGrid_ = new QCheckBox("显示网格", look);
    chkGrid_->setObjectName("chkGrid");
    chkGrid_->setToolTip("是否显示网格");
    lookGrid->addWidget(chkGrid_, 0, 0, 1, 2);
    auto* styleLabel = new QLabel("网格样式:", look);
    styleLabel->setToolTip("设置网格样式");
    imgcboLineStyle_ = new QComboBox(look);
    imgcboLineStyle_->setObjectName("imgcboLineStyle");
    imgcboLineStyle_->setToolTip("选择网格样式");
    imgcboLineStyle_->setIconSize(QSize(48, 12));
    const std::pair<const char*, Qt::PenStyle> styles[] = {{"实线", Qt::SolidLine},
                                                           {"虚线", Qt::DashLine},
                                                           {"点线", Qt::DotLine},
                                                           {"点划线", Qt::DashDotLine},
                                                           {"双点划线", Qt::DashDotDotLine}};
    for (const auto& [text, style] : styles)
        imgcboLineStyle_->addItem(StylePicture(style), text);
    lookGrid->addWidget(styleLabel, 1, 0);
    lookGrid->addWidget(imgcboLineStyle_, 1, 1);
    lookGrid->addWidget(new QLabel("网格颜色:", look), 2, 0);
    picColor_ = Swatch(look);
    picColor_->setObjectName("picColor");
    lookGrid->addWidget(picColor_, 2, 1, Qt::AlignLeft);
    grid1->addWidget(look);

    auto* unit = new QGroupBox("坐标轴单位", page1);
    unit->setToolTip("设置坐标轴单位");
    auto* unitGrid = new QGridLayout(unit);
    option1_ = new QRadioButton("使用圆周率Pi", unit);
    option1_->setObjectName("Option1");
    option1_->setToolTip("以圆周率Pi为单位");
    optCustom_ = new QRadioButton("自定义", unit);
    optCustom_->setObjectName("optCustom");
    optCustom_->setToolTip("自定义单位(默认为1)");
    txtValue_ = new QLineEdit(DefaultUnitText, unit);
    txtValue_->setObjectName("txtValue");
    txtValue_->setMaximumWidth(80);
    vScroll1_ = new QScrollBar(Qt::Vertical, unit);
    vScroll1_->setObjectName("VScroll1");
    vScroll1_->setRange(-1000, 1000);
    vScroll1_->setFixedSize(16, txtValue_->sizeHint().height());
    unitGrid->addWidget(option1_, 0, 0, 1, 3);
    unitGrid->addWidget(optCustom_, 1, 0);
    unitGrid->addWidget(txtValue_, 1, 1);
    unitGrid->addWidget(vScroll1_, 1, 2, Qt::AlignLeft);
    unitGrid->setColumnStretch(3, 1);
    grid1->addWidget(unit);
    grid1->addStretch();
    return page1;
}

QWidget* frmOptions::BuildGeneralPage() {
    auto* page2 = new QWidget;
    auto* grid2 = new QVBoxLayout(page2);
    chkTip_ = new QCheckBox("在启动时显示日积月累(&S)", page2);
    chkTip_->setObjectName("chkTip");
    chkTip_->setToolTip("在启动时显示日积月累");
    grid2->addWidget(chkTip_);
    chkDefinedOnly_ = new QCheckBox("只画函数有定义的部分(&D)", page2);
    chkDefinedOnly_->setObjectName("chkDefinedOnly");
    chkDefinedOnly_->setToolTip(
        "函数在部分取值处无定义时(如 sqr(x) 在 x<0 处), 只画有定义的部分, 不在极点处连线");
    grid2->addWidget(chkDefinedOnly_);
    grid2->addStretch();
    return page2;
}

void frmOptions::FillFromSettings() {
    // From the settings in memory.
    const OptionsChoice shown = ChoiceFromSettings(context_.Settings);
    option1_->setChecked(shown.IsPi);
    optCustom_->setChecked(!shown.IsPi);
    txtValue_->setEnabled(!shown.IsPi);
    vScroll1_->setEnabled(!shown.IsPi);
    chkGrid_->setChecked(shown.IsShow);
    SetSwatch(picColor_, shown.Color);
    SetSwatch(picBackColor_, shown.BackColor);
    imgcboLineStyle_->setCurrentIndex(shown.Style - 1);
    chkTip_->setChecked(shown.IsShowTip);
    chkDefinedOnly_->setChecked(shown.DefinedOnly);
    txtValue_->setText(QString::fromStdString(shown.UnitText));
}

void frmOptions::ConnectControls(QPushButton* cmdOk, QPushButton* cmdCancel) {
    connect(option1_, &QRadioButton::clicked, this, [this] {
        txtValue_->setEnabled(false);
        vScroll1_->setEnabled(false);
    });
    connect(optCustom_, &QRadioButton::clicked, this, [this] {
        txtValue_->setEnabled(true);
        vScroll1_->setEnabled(true);
    });
    connect(picColor_, &QPushButton::clicked, this,
            [this] { SetSwatch(picColor_, dialogs_.GetColor(color_)); });
    connect(picBackColor_, &QPushButton::clicked, this,
            [this] { SetSwatch(picBackColor_, dialogs_.GetColor(backColor_)); });
    // The tip switch takes effect at once, even if the dialog is cancelled.
    connect(chkTip_, &QCheckBox::toggled, this,
            [this](bool on) { context_.Settings.IsShowTip = on; });
    connect(txtValue_, &QLineEdit::textChanged, this, &frmOptions::CheckUnit);
    connect(vScroll1_, &QScrollBar::valueChanged, this, &frmOptions::Step);
    connect(cmdOk, &QPushButton::clicked, this, &frmOptions::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmOptions::SetSwatch(QPushButton* swatch, Rgb color) {
    (swatch == picColor_ ? color_ : backColor_) = color;
    PaintSwatch(swatch, color);
}

void frmOptions::CheckUnit() {
    const UnitCheck check = CheckUnitText(txtValue_->text().toStdString());
    if (check.Replaced) txtValue_->setText(QString::fromStdString(check.Text));
    if (check.ShowMessage)
        context_.Messages.ShowMessage(
            {MsgIcon::Exclamation, MsgButtons::OK, MsgResult::OK, "Orbiplot", UnitRangeMessage});
}

void frmOptions::Step(int value) {
    // The lower arrow raises the bar's value and lowers the unit.
    const bool up = value - lastScroll_ <= 0;
    lastScroll_ = value;
    txtValue_->setText(QString::fromStdString(StepUnitText(txtValue_->text().toStdString(), up)));
    if (value == vScroll1_->minimum() || value == vScroll1_->maximum()) {
        // Back to the middle, so the arrows never stop at an end.
        const QSignalBlocker quiet(vScroll1_);
        vScroll1_->setValue(0);
        lastScroll_ = 0;
    }
}

OptionsChoice frmOptions::Choice() const {
    OptionsChoice choice;
    choice.IsShow = chkGrid_->isChecked();
    choice.Style = imgcboLineStyle_->currentIndex() + 1;
    choice.Color = color_;
    choice.BackColor = backColor_;
    choice.IsPi = option1_->isChecked();
    choice.UnitText = txtValue_->text().toStdString();
    choice.IsShowTip = chkTip_->isChecked();
    choice.DefinedOnly = chkDefinedOnly_->isChecked();
    return choice;
}

void frmOptions::cmdOk_Click() {
    try {
        ApplyOptions(context_.Settings, Choice(), context_.SettingsFile());
    } catch (...) {
        ReportCurrentError(context_.Messages);
    }
    accept();
}

} // namespace orbiplot
