#pragma once

#include "doc/CurveDefinition.h"

#include <QDialog>

class QVBoxLayout;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace orbiplot {

class CoreContext;
class clsDialogs;
class frmDocument;

// The curve definition dialog: adds a curve of any type to a document or changes one.
class frmFunAdd : public QDialog {
    Q_OBJECT
public:
    frmFunAdd(CoreContext& context, const clsDialogs& dialogs, frmDocument& document,
              QWidget* owner);

    // Opens modally for a new curve of the given type.
    void NewFun(int32_t funType);
    // Opens modally for curve funNum of the document.
    void ModifyFun(int32_t funNum);

private:
    void BuildParameterFrame(QVBoxLayout* layout);
    void BuildExpressionFrames(QVBoxLayout* layout);
    void BuildRangeAndStyles(QVBoxLayout* layout);
    void BuildButtons(QVBoxLayout* layout);
    // The controls as a person would fill them.
    CurveInput ReadInput() const;
    void WriteInput(const CurveInput& input);
    int32_t SelectedType() const;
    void SelectType(int32_t type);
    void cmdOK_Click();
    void Configure(int32_t type);
    void UpdateNotes();
    void SetSwatch(int index, Rgb color);
    QLineEdit* FieldWidget(InputField field) const;

    QComboBox* cboFunType;
    QGroupBox* fraFunSetting1;
    QLabel* lblFunEquation;
    QLabel* lblLabel[4];
    QLineEdit* txtValue[4];
    QCheckBox* chkExLine[2];
    QGroupBox* fraFunSetting2;
    QRadioButton* optGeneral;
    QRadioButton* optParameter;
    QLabel* lblLabel2[3];
    QLineEdit* txtExpressionG;
    QLineEdit* txtExpressionP[2];
    QGroupBox* fraFunSetting3;
    QLineEdit* txtExpressionJ;
    QGroupBox* fraFunSetting4; // the implicit curve's
    QLineEdit* txtExpressionI;
    QLabel* lblNoteI;
    // Under each expression box, why its text cannot be read.
    QLabel* lblNoteG;
    QLabel* lblNoteP[2];
    QLabel* lblNoteJ;
    QGroupBox* frmFrameFL;
    QLabel* lblLabel4[2];
    QLineEdit* txtFirstLast[2];
    QLineEdit* txtLineWidth[2];
    QScrollBar* fsbWidth[2];
    QPushButton* picFunLineColor[2];
    QGroupBox* Frame1;
    QGroupBox* fraCT;
    QLineEdit* txtCT[2];
    QCheckBox* chkHide;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    CoreContext& context_;
    const clsDialogs& dialogs_;
    frmDocument& document_;
    bool isNew_ = true;
    int32_t modifyNum_ = 0;
    Rgb colors_[2] = {0, 0};
};

} // namespace orbiplot
