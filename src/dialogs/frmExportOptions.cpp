#include "dialogs/frmExportOptions.h"

#include "dialogs/Named.h"

#include "services/QtSeams.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace orbiplot {

namespace {
constexpr double CmPerInch = 2.54;
} // namespace

frmExportOptions::frmExportOptions(PictureFormat format, QSize window, QWidget* owner)
    : QDialog(owner), window_(window.expandedTo(QSize(1, 1))) {
    setObjectName("frmExportOptions");
    setWindowTitle("图形大小");
    UseDialogFrame(this);

    QGroupBox* box = BuildSizeBox();
    chkTransparent = Named(new QCheckBox("透明背景(&T)", this), "chkTransparent");
    chkTransparent->setEnabled(format == PictureFormat::Png);
    lblResult = Named(new QLabel(this), "lblResult");

    auto* buttons = new QDialogButtonBox(this);
    auto* cmdOK = buttons->addButton("确定(&O)", QDialogButtonBox::AcceptRole);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    buttons->addButton("取消(&C)", QDialogButtonBox::RejectRole)->setObjectName("cmdCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addWidget(chkTransparent);
    layout->addWidget(lblResult);
    layout->addWidget(buttons);

    ConnectControls();
    SizeChanged();
}

QGroupBox* frmExportOptions::BuildSizeBox() {
    auto* box = new QGroupBox("大小", this);
    auto* grid = new QGridLayout(box);
    optWindow = Named(
        new QRadioButton(
            QString("窗口大小(&W): %1 × %2 像素").arg(window_.width()).arg(window_.height()), box),
        "optWindow");
    optPixels = Named(new QRadioButton("像素(&P):", box), "optPixels");
    optPhysical = Named(new QRadioButton("实际尺寸(&S):", box), "optPhysical");
    txtPixelWidth = Named(new QSpinBox(box), "txtPixelWidth");
    txtPixelHeight = Named(new QSpinBox(box), "txtPixelHeight");
    for (QSpinBox* spin : {txtPixelWidth, txtPixelHeight})
        spin->setRange(1, MaxExportSide);
    txtPixelWidth->setValue(window_.width() * 2);
    txtPixelHeight->setValue(window_.height() * 2);
    txtWidth = Named(new QDoubleSpinBox(box), "txtWidth");
    txtHeight = Named(new QDoubleSpinBox(box), "txtHeight");
    for (QDoubleSpinBox* spin : {txtWidth, txtHeight}) {
        spin->setRange(0.1, 1000);
        spin->setDecimals(2);
        spin->setSingleStep(0.5);
    }
    cboUnit = Named(new QComboBox(box), "cboUnit");
    cboUnit->addItems({"厘米", "英寸"});
    txtDpi = Named(new QSpinBox(box), "txtDpi");
    txtDpi->setRange(30, 2400);
    txtDpi->setValue(300);
    txtDpi->setSuffix(" dpi");
    // 15 cm wide, as tall as the window's shape makes it.
    widthCm_ = 15;
    heightCm_ = std::round(1500.0 * window_.height() / window_.width()) / 100;
    txtWidth->setValue(widthCm_);
    txtHeight->setValue(heightCm_);
    chkKeepShape = Named(new QCheckBox("保持窗口的宽高比(&K)", box), "chkKeepShape");
    chkKeepShape->setChecked(true);

    grid->addWidget(optWindow, 0, 0, 1, 5);
    grid->addWidget(optPixels, 1, 0);
    grid->addWidget(txtPixelWidth, 1, 1);
    grid->addWidget(new QLabel("×", box), 1, 2);
    grid->addWidget(txtPixelHeight, 1, 3);
    grid->addWidget(new QLabel("像素", box), 1, 4);
    grid->addWidget(optPhysical, 2, 0);
    grid->addWidget(txtWidth, 2, 1);
    grid->addWidget(new QLabel("×", box), 2, 2);
    grid->addWidget(txtHeight, 2, 3);
    grid->addWidget(cboUnit, 2, 4);
    // The label's access key goes to the box it names (without a buddy it shows the '&').
    auto* resolution = Named(new QLabel("分辨率(&R):", box), "lblDpi");
    resolution->setBuddy(txtDpi);
    grid->addWidget(resolution, 3, 0, Qt::AlignRight);
    grid->addWidget(txtDpi, 3, 1);
    grid->addWidget(chkKeepShape, 4, 0, 1, 5);
    return box;
}

void frmExportOptions::ConnectControls() {
    optWindow->setChecked(true);
    for (QRadioButton* option : {optWindow, optPixels, optPhysical})
        connect(option, &QRadioButton::toggled, this, &frmExportOptions::SizeChanged);
    connect(txtPixelWidth, &QSpinBox::valueChanged, this, [this] { KeepShape(true); });
    connect(txtPixelHeight, &QSpinBox::valueChanged, this, [this] { KeepShape(false); });
    // The lengths are kept in centimetres as typed; the boxes show them in the unit chosen,
    // so that switching units and back gives the length typed, not its rounding.
    connect(txtWidth, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        widthCm_ = value * UnitCm();
        KeepShape(true);
    });
    connect(txtHeight, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        heightCm_ = value * UnitCm();
        KeepShape(false);
    });
    connect(txtDpi, &QSpinBox::valueChanged, this, &frmExportOptions::SizeChanged);
    connect(chkKeepShape, &QCheckBox::toggled, this, [this] { KeepShape(true); });
    connect(cboUnit, &QComboBox::currentIndexChanged, this, [this] {
        // The same lengths in the other unit.
        ShowLengths();
        SizeChanged();
    });
}

void frmExportOptions::KeepShape(bool byWidth) {
    if (keeping_) return;
    if (chkKeepShape->isChecked()) {
        keeping_ = true;
        const double shape = double(window_.height()) / window_.width();
        if (byWidth) {
            txtPixelHeight->setValue(static_cast<int>(std::lround(txtPixelWidth->value() * shape)));
            heightCm_ = widthCm_ * shape;
        } else {
            txtPixelWidth->setValue(static_cast<int>(std::lround(txtPixelHeight->value() / shape)));
            widthCm_ = heightCm_ / shape;
        }
        ShowLengths();
        keeping_ = false;
    }
    SizeChanged();
}

double frmExportOptions::UnitCm() const { return cboUnit->currentIndex() == 1 ? CmPerInch : 1; }

void frmExportOptions::ShowLengths() {
    const QSignalBlocker w(txtWidth), h(txtHeight);
    txtWidth->setValue(widthCm_ / UnitCm());
    txtHeight->setValue(heightCm_ / UnitCm());
}

ExportSize frmExportOptions::Size() const {
    ExportSize size;
    if (optPixels->isChecked()) {
        size.Kind = ExportSize::Mode::Pixels;
        size.Pixels = QSize(txtPixelWidth->value(), txtPixelHeight->value());
    } else if (optPhysical->isChecked()) {
        size.Kind = ExportSize::Mode::Physical;
        size.WidthCm = widthCm_;
        size.HeightCm = heightCm_;
        size.Dpi = txtDpi->value();
    }
    size.Transparent = chkTransparent->isEnabled() && chkTransparent->isChecked();
    return size;
}

void frmExportOptions::SizeChanged() {
    const bool pixels = optPixels->isChecked(), physical = optPhysical->isChecked();
    txtPixelWidth->setEnabled(pixels);
    txtPixelHeight->setEnabled(pixels);
    for (QWidget* w : std::initializer_list<QWidget*>{txtWidth, txtHeight, cboUnit, txtDpi})
        w->setEnabled(physical);
    chkKeepShape->setEnabled(pixels || physical);
    const ExportGeometry out = GeometryOf(Size(), window_);
    lblResult->setText(QString("图形: %1 × %2 像素, %3 × %4 毫米")
                           .arg(out.Pixels.width())
                           .arg(out.Pixels.height())
                           .arg(out.PageMm.width(), 0, 'f', 1)
                           .arg(out.PageMm.height(), 0, 'f', 1));
}

} // namespace orbiplot
