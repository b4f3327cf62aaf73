#pragma once

#include "services/PictureExport.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QRadioButton;
class QSpinBox;

namespace orbiplot {

// The size of an exported picture: the window's (proposed), a size in pixels, or a physical
// size at a resolution; and, for a PNG, a background left clear. Shows the pixels the file
// will have.
class frmExportOptions : public QDialog {
    Q_OBJECT
public:
    frmExportOptions(PictureFormat format, QSize window, QWidget* owner);

    ExportSize Size() const;

private:
    QGroupBox* BuildSizeBox();
    void ConnectControls();
    void SizeChanged();
    void KeepShape(bool byWidth);
    // Centimetres in the unit chosen; the boxes showing the lengths in it.
    double UnitCm() const;
    void ShowLengths();

    QSize window_;
    QRadioButton* optWindow;
    QRadioButton* optPixels;
    QRadioButton* optPhysical;
    QSpinBox* txtPixelWidth;
    QSpinBox* txtPixelHeight;
    QDoubleSpinBox* txtWidth;
    QDoubleSpinBox* txtHeight;
    QComboBox* cboUnit;
    QSpinBox* txtDpi;
    QCheckBox* chkKeepShape;
    QCheckBox* chkTransparent;
    QLabel* lblResult;
    bool keeping_ = false;
    double widthCm_ = 15, heightCm_ = 10;
};

} // namespace orbiplot
