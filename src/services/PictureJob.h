#pragma once

#include "base/AppSettings.h"
#include "base/Seams.h"
#include "doc/DocumentModel.h"
#include "expr/CoreContext.h"
#include "plot/View.h"
#include "services/PaintOps.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QSize>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace orbiplot {

class RandomSource;

// What a redraw had to say, passed on by the window in curve order once the picture is made.
struct RedrawReport {
    std::vector<MessageRequest> Messages; // the error boxes of failing curves
    std::vector<int32_t> MessageCurves;   // the curve each box is about
    std::vector<std::string> Summaries;   // and what failed, in a line
    std::vector<std::string> Readouts;    // the timing texts of the equation curves
    std::vector<std::string> Notices;     // passing notes for the status bar
    std::vector<int32_t> NoticeCurves;    // the curve each note is about
};

// How a redraw hands its parts to the worker threads. Replaceable, so that a pool that cannot
// start threads can be tried; returns the one it replaces. Not to be changed during a redraw.
using TaskStarter = std::function<void(std::function<void()>)>;
TaskStarter SetTaskStarter(TaskStarter starter);

// Paints a picture drawn for view `drawn` as it shows in view `now` on a surface of the
// given size: moved and scaled, the rest in the background colour. What a gesture shows at
// once, before the picture is drawn anew.
void PaintPictureInView(QPainter& painter, const QImage& picture, const View& drawn,
                        const View& now, QSizeF surface, const QColor& background);
// The same for a transparent layer over the picture: moved and scaled, nothing else painted.
void PaintLayerInView(QPainter& painter, const QImage& layer, const View& drawn, const View& now,
                      QSizeF surface);

// A redraw made away from its window, from a snapshot of the document, the view, the
// settings and the parser. The curves are drawn each on its own into a recorded picture, on
// as many worker threads as the machine has cores (the curves that use RND one after another
// in list order, as they take their numbers from one sequence), each as far as the painter
// calls its strokes take; then runs of curves are
// painted in parallel, the first on the picture, the others on layers laid over it in list
// order: the pixels of a redraw done curve after curve, but for the rounding of edges that
// were antialiased on a layer.
class PictureJob {
public:
    PictureJob(const DocumentModel& document, const View& view, const CoreContext& context,
               Clock& clock, const QFont& font, QSize size, qreal pixelRatio);
    ~PictureJob();
    PictureJob(const PictureJob&) = delete;
    PictureJob& operator=(const PictureJob&) = delete;

    // Draws only curve `only` over the given picture (a curve just added).
    void DrawOver(const QImage& base, int32_t only);

    // One curve's drawing: its painter calls and what it reported, and the record it was
    // drawn from. Kept after a redraw, it is painted again by a later one of the same view
    // and size without the curve being worked out anew.
    struct CurveDrawing {
        int32_t curve = -1;
        CurveRecord record;
        RecordedOps drawing;
        std::vector<MessageRequest> messages;
        std::vector<std::string> readouts;
        std::vector<std::string> notices;
        std::string failed; // what made the curve fail, in a line
        bool finished = false;
    };
    using Drawings = std::vector<std::shared_ptr<const CurveDrawing>>;
    // Paints again, from before, each curve whose record is the same and that anew does not
    // name; the others (and those using RND, whose numbers come in drawing order) are worked
    // out. before must be of a picture of this job's view and size.
    void Reuse(Drawings before, std::function<bool(int32_t curve)> anew);
    // Leaves a shown curve out of the picture (its values failed before drawing).
    void LeaveOut(int32_t curve);
    // After a Run that finished every curve: the drawings, shared, for a later Reuse; none
    // when they hold more points than are worth keeping.
    Drawings Kept() const;
    // How many curves this run worked out (the others were painted from before).
    int CurvesWorkedOut() const { return static_cast<int>(shared_.size() + sequenced_.size()); }
    // Threads to use; the default is one per core.
    void SetThreads(int threads) { threads_ = std::max(threads, 1); }
    // A picture with an alpha channel whose background is left clear (not with DrawOver).
    void SetTransparent(bool transparent) { transparent_ = transparent; }

    // Draws; returns when the picture is made or the redraw was stopped.
    void Run();
    // Asks a running redraw to stop as soon as it can, from any thread. The picture then
    // holds the curves finished so far.
    void Stop() { stop_ = true; }
    bool WasStopped() const { return stop_; }

    // How far the redraw has come, for a progress display: curves finished of all.
    int CurvesDone() const { return done_; }
    int CurvesToDraw() const { return static_cast<int>(order_.size()); }

    // After Run: the picture and what the redraw reported.
    QImage& Picture() { return picture_; }
    const RedrawReport& Report() const { return report_; }
    const View& ViewDrawn() const { return view_; }

private:
    void DrawCurves(size_t worker);
    // A place in the painting: a curve's slot and one of its painter calls.
    struct Place {
        size_t slot, call;
    };
    // Paints the recorded calls from one place to another over the image.
    void Paint(QImage& image, Place from, Place to);
    void PaintGrid(QImage& image);
    int NextCurve(size_t worker);
    // Which curves are worked out and which painted from before.
    void PlanCurves();
    std::vector<Place> ShareOutPainting(QSize pixels) const;

    // The snapshot: a context of its own for the document copy, and the parser and settings
    // each worker copies.
    class Silent;
    std::unique_ptr<Silent> silent_;
    CoreContext context_;
    DocumentModel document_;
    View view_;
    Clock& clock_;
    std::mutex clockMutex_;
    QFont font_;
    QSize size_;
    qreal ratio_;
    std::optional<QImage> base_;
    std::vector<int32_t> order_;    // the shown curves to draw, in list order
    std::vector<size_t> sequenced_; // positions in order_ of the curves using RND, in order
    std::vector<size_t> shared_;    // positions of the others
    std::vector<std::shared_ptr<const CurveDrawing>> slots_; // by position in order_
    Drawings reusable_;
    std::vector<bool> reused_; // by position: painted from before, not worked out
    std::function<bool(int32_t)> anew_;
    std::atomic<size_t> nextShared_{0};
    size_t nextSequenced_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> done_{0};
    int threads_;
    bool transparent_ = false;
    QImage picture_;
    RedrawReport report_;
};

} // namespace orbiplot
