#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include <functional>

class QPushButton;

namespace orbiplot {

// A small "please wait" window for redraws and zooms. It appears only once the work has
// lasted a while, so quick redraws do not flicker; a redraw that goes on without holding up
// the window offers to stop it.
class frmProgress : public QWidget {
    Q_OBJECT
public:
    explicit frmProgress(QWidget* parent = nullptr);

    void Begin();
    // Called between steps of the work: shows the window once the delay has passed.
    void Tick();
    void End();
    bool IsBusy() const { return depth_ > 0; }

    // Shows the window over the given one at once, with a button that calls stop.
    void ShowWorking(QWidget* over, std::function<void()> stop);
    // The work shown by ShowWorking has ended.
    void EndWorking();
    bool IsWorking() const { return static_cast<bool>(stop_); }

    static constexpr int DelayMilliseconds = 250;

private:
    void ShowOver(QWidget* over);
    QElapsedTimer timer_;
    int depth_ = 0;
    std::function<void()> stop_;
    QPushButton* cmdStop_;
};

} // namespace orbiplot
