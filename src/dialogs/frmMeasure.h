#pragma once

#include "doc/DocumentModel.h"

#include <QDialog>

#include <optional>
#include <utility>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace orbiplot {

class CoreContext;
class frmDocument;

// The area and arc length dialog: the curve, for an area perhaps a second curve, and the
// interval, typed, chosen among the meetings of the curves (the default for two curves:
// between consecutive intersections), or dragged across the graph. OK works the value out
// and keeps the dialog open, saying why, when there is none.
class frmMeasure : public QDialog {
    Q_OBJECT
public:
    frmMeasure(CoreContext& context, frmDocument& document, AreaRecord::Kind kind, QWidget* owner);

    // What the dialog starts with: a curve (-1: the first it lists), a second curve, and
    // ends (the meeting nearest the view's middle when none are given).
    void Preset(int32_t curve, int32_t other, std::optional<std::pair<double, double>> ends);

    enum class Outcome { Cancelled, Chosen, Pick };
    // Shows the dialog. Pick: the person asked to drag the interval across the graph; the
    // caller lets them, and opens the dialog again with Preset.
    Outcome Run();
    // The area or length chosen, once Run said Chosen; the curves chosen, once it said Pick.
    const AreaRecord& Chosen() const { return chosen_; }
    // Whether the interval lies along x (Y=f(X) curves), else along y; parametric and polar
    // curves have no interval on the graph.
    bool AlongX() const;
    bool CanPick() const;

private:
    void FillCurves();
    void FillOthers();
    void FillIntervals();
    void IntervalChosen(int index);
    void SetEnds(double from, double to);
    int32_t CurveChosen() const;
    int32_t OtherChosen() const;
    void Accept();
    bool ReadEnds(double& from, double& to);

    CoreContext& context_;
    frmDocument& document_;
    AreaRecord::Kind kind_;
    AreaRecord chosen_;
    std::vector<std::pair<double, double>> intervals_;
    Outcome outcome_ = Outcome::Cancelled;

    QComboBox* cboCurve;
    QComboBox* cboOther;
    QComboBox* cboInterval;
    QLabel* lblFrom;
    QLineEdit* txtFrom;
    QLineEdit* txtTo;
    QPushButton* cmdPick;
    QLabel* lblProblem;
};

} // namespace orbiplot
