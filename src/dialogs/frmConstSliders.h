#pragma once

#include "base/SliderRanges.h"

#include <QDockWidget>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <map>
#include <vector>

class QComboBox;
class QDoubleSpinBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QToolButton;

namespace orbiplot {

class CoreContext;
class frmDocument;

// The user constants, each with a slider over its range: moving one changes the constant in
// memory and redraws, in every open document, the curves that use it. A value is written to
// the constants file only when kept (保存, or yes to the question on closing); the ranges and
// steps are kept in the settings file.
class frmConstSliders : public QDockWidget {
    Q_OBJECT
public:
    frmConstSliders(CoreContext& context, std::function<QList<frmDocument*>()> documents,
                    QWidget* owner);

    // The constants were added to or removed from (their values are the file's again).
    void Reload();
    // Asks, when values differ from the file, whether to keep them; false when cancelled.
    // No puts the file's values back.
    bool ConfirmClose();

    int Rows() const { return static_cast<int>(rows_.size()); }
    // A new value for row r as the slider gives it; moving: the slider is still held.
    void MoveTo(int r, double value, bool moving);
    bool IsPlaying(int r) const;
    // Per playback tick: each playing row moves a step times the speed, back at the ends.
    static constexpr int TickMilliseconds = 40;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Row {
        SliderRange range;
        double fileValue = 0;
        int direction = 1;
        QSlider* slider;
        QDoubleSpinBox* value;
        QLineEdit *min, *max, *step;
        QToolButton* play;
        QPushButton* save;
        QLabel* note;
    };
    void AddRow(QGridLayout* grid, size_t index);
    void SetSliderFrom(Row& row, double value);
    double ValueAt(const Row& row, int position) const;
    void RangeEdited(size_t r);
    void Keep(size_t r);
    void Tick();
    void Failures(const QStringList& failures);
    void ShowNote(size_t r);
    void RedrawAll(size_t r, bool moving);

    CoreContext& context_;
    std::function<QList<frmDocument*>()> documents_;
    std::vector<Row> rows_;
    QWidget* body_ = nullptr;
    QComboBox* cboSpeed = nullptr;
    QLabel* lblEmpty = nullptr;
    QTimer player_;
    size_t lastRow_ = 0;
    std::map<const QObject*, QStringList> failures_; // by document, for the row last moved
};

} // namespace orbiplot
