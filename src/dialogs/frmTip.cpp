#include "dialogs/frmTip.h"

#include "base/TipOfDay.h"
#include "base/clsINI.h"
#include "base/modError.h"
#include "expr/CoreContext.h"
#include "services/QtSeams.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <ctime>

namespace orbiplot {

namespace {

// A light bulb on a soft panel.
QPixmap TipPicture() {
    QPixmap picture(64, 96);
    picture.fill(QColor(0x1d, 0x5a, 0x7a));
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xe0, 0x82));
    p.drawEllipse(QPointF(32, 36), 17, 17);
    p.drawRect(QRectF(25, 46, 14, 10));
    p.setBrush(QColor(0xc8, 0xd2, 0xdc));
    p.drawRoundedRect(QRectF(24, 56, 16, 10), 3, 3);
    p.setPen(QPen(QColor(0xff, 0xe0, 0x82), 2));
    for (int i = 0; i < 5; ++i) {
        const double a = (200 + i * 35) * 3.14159265358979 / 180;
        p.drawLine(QPointF(32 + 22 * std::cos(a), 36 + 22 * std::sin(a)),
                   QPointF(32 + 28 * std::cos(a), 36 + 28 * std::sin(a)));
    }
    return picture;
}

} // namespace

frmTip::frmTip(CoreContext& context, const std::string& tipFile, QWidget* owner)
    : QDialog(owner), context_(context) {
    SetUpModalDialog(this, "frmTip", "日积月累");
    auto* layout = new QVBoxLayout(this);
    auto* body = new QHBoxLayout;
    auto* image1 = new QLabel(this);
    image1->setObjectName("Image1");
    image1->setPixmap(TipPicture());
    image1->setAlignment(Qt::AlignTop);
    body->addWidget(image1);
    auto* panel = new QVBoxLayout;
    auto* title = new QLabel("<b>你知道吗...</b>", this);
    panel->addWidget(title);
    lblTipText_ = new QLabel(this);
    lblTipText_->setObjectName("lblTipText");
    lblTipText_->setWordWrap(true);
    lblTipText_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    lblTipText_->setMinimumSize(340, 110);
    panel->addWidget(lblTipText_, 1);
    body->addLayout(panel, 1);
    layout->addLayout(body);
    auto* buttons = new QHBoxLayout;
    chkLoadTipsAtStartup_ = new QCheckBox("在启动时显示提示(&S)", this);
    chkLoadTipsAtStartup_->setObjectName("chkLoadTipsAtStartup");
    buttons->addWidget(chkLoadTipsAtStartup_);
    buttons->addStretch();
    auto* cmdNextTip = new QPushButton("下一条提示(&N)", this);
    cmdNextTip->setObjectName("cmdNextTip");
    auto* cmdOK = new QPushButton("确定", this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    buttons->addWidget(cmdNextTip);
    buttons->addWidget(cmdOK);
    layout->addLayout(buttons);

    chkLoadTipsAtStartup_->setChecked(context_.Settings.IsShowTip);
    context_.Random.Reseed(static_cast<double>(std::time(nullptr)));
    if (auto tips = LoadTips(tipFile)) {
        tips_ = std::move(*tips);
        ShowNextTip();
    } else {
        lblTipText_->setText(QString::fromStdString(MissingTipFileText()));
    }
    connect(chkLoadTipsAtStartup_, &QCheckBox::clicked, this, &frmTip::chkLoadTipsAtStartup_Click);
    connect(cmdNextTip, &QPushButton::clicked, this, &frmTip::ShowNextTip);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::close);
}

void frmTip::ShowNextTip() {
    currentTip_ = NextTipNumber(context_.Random, tips_.size());
    DisplayCurrentTip();
}

void frmTip::DisplayCurrentTip() {
    if (tips_.empty() || currentTip_ < 1 || static_cast<size_t>(currentTip_) > tips_.size()) return;
    lblTipText_->setText(QString::fromStdString(tips_[static_cast<size_t>(currentTip_) - 1]));
}

void frmTip::chkLoadTipsAtStartup_Click(bool checked) {
    try {
        clsINI().INIWriteString("General", "IsShowTip", checked ? "1" : "0",
                                context_.SettingsFile());
    } catch (...) {
        ReportCurrentError(context_.Messages);
    }
    context_.Settings.IsShowTip = checked;
    if (!checked)
        context_.Messages.ShowMessage(
            {MsgIcon::Information, MsgButtons::OK, MsgResult::OK, "Orbiplot", TipHintText});
}

} // namespace orbiplot
