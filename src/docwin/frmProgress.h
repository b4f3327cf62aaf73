#pragma once

#include <QElapsedTimer>
#include <QWidget>

namespace orbiplot {

// A small "please wait" window for redraws and zooms. It appears only once the work has
// lasted a quarter second, so quick redraws do not flicker.
class frmProgress : public QWidget {
    Q_OBJECT
public:
    explicit frmProgress(QWidget* parent = nullptr);

    void Begin();
    // Called between steps of the work: shows the window once the delay has passed.
    void Tick();
    void End();
    bool IsBusy() const { return depth_ > 0; }

    static constexpr int DelayMilliseconds = 250;

private:
    QElapsedTimer timer_;
    int depth_ = 0;
};

} // namespace orbiplot
