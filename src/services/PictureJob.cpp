#include "services/PictureJob.h"

#include "analysis/AreaValues.h"

#include "base/TextEncoding.h"
#include "plot/EquationCurves.h"
#include "plot/GridAxes.h"
#include "plot/PlotEngine.h"
#include "services/QtCanvas.h"
#include "services/VectorState.h"

#include <QPainter>
#include <QThreadPool>

#include <algorithm>
#include <exception>
#include <functional>
#include <latch>
#include <thread>

namespace orbiplot {

// Nobody is asked anything by the snapshot's own context.
class PictureJob::Silent : public MessageSeam, public DialogSeam {
public:
    MsgResult ShowMessage(const MessageRequest& request) override { return request.DefaultButton; }
    std::optional<std::string> ShowFileDialog(const FileDialogRequest&) override { return {}; }
    std::optional<Rgb> ShowColorDialog(Rgb, const std::array<Rgb, 16>&) override { return {}; }
};

namespace {

// What one curve reports while it is drawn, kept for its window.
class Recorder : public MessageSeam, public PlotStatus {
public:
    std::vector<MessageRequest> messages;
    std::vector<std::string> readouts;
    std::vector<std::string> notices;
    MsgResult ShowMessage(const MessageRequest& request) override {
        messages.push_back(request);
        return request.DefaultButton;
    }
    void SetStatusText(StatusPanel panel, const std::string& text) override {
        if (panel == StatusPanel::Readout) readouts.push_back(text);
    }
    void Notice(const std::string& text) override { notices.push_back(text); }
    void CurveFailed(const std::string& summary) override { failed = summary; }
    std::string failed;
};

// The workers share one clock, read one at a time.
class SharedClock : public Clock {
public:
    SharedClock(Clock& clock, std::mutex& mutex) : clock_(clock), mutex_(mutex) {}
    float Timer() override {
        const std::lock_guard<std::mutex> lock(mutex_);
        return clock_.Timer();
    }

private:
    Clock& clock_;
    std::mutex& mutex_;
};

// Threads that live as long as the program, so that what the toolkit keeps for each thread
// (its fonts and their glyphs) is made once, not for every picture: a fresh thread paints the
// grid's labels twice as slowly. Never torn down: a thread ending after the application would
// free fonts the application already has.
QThreadPool& Workers() {
    static QThreadPool* const pool = [] {
        auto* p = new QThreadPool;
        p->setExpiryTimeout(-1);
        p->setMaxThreadCount(std::max(2, QThread::idealThreadCount()));
        return p;
    }();
    return *pool;
}

TaskStarter& Starter() {
    static TaskStarter starter = [](std::function<void()> task) {
        Workers().start(std::move(task));
    };
    return starter;
}

// work(0) on the calling thread, work(1)..work(count-1) on the workers; returns when all are
// done and passes on the first failure. A pool that cannot make a thread drops the task
// without a word, so each part is claimed by whoever comes first: the calling thread takes
// every part no worker has begun and waits only for those one has.
template <class Work> void OnWorkers(int count, const Work& work) {
    struct Shared {
        explicit Shared(size_t n) : claimed(n), failures(n), done(static_cast<std::ptrdiff_t>(n)) {}
        std::vector<std::atomic<bool>> claimed;
        std::vector<std::exception_ptr> failures;
        std::latch done;
    };
    const size_t parts = static_cast<size_t>(std::max(count, 1));
    const auto shared = std::make_shared<Shared>(parts);
    const auto run = [&work](Shared& state, size_t t) {
        try {
            work(static_cast<int>(t));
        } catch (...) {
            state.failures[t] = std::current_exception();
        }
        state.done.count_down();
    };
    for (size_t t = 1; t < parts; ++t) {
        try {
            // A late worker finds its part taken and touches nothing else of the caller's.
            Starter()([shared, t, run] {
                if (!shared->claimed[t].exchange(true)) run(*shared, t);
            });
        } catch (...) {
            // The part stays unclaimed and is done below.
        }
    }
    shared->claimed[0] = true;
    run(*shared, 0);
    for (size_t t = 1; t < parts; ++t)
        if (!shared->claimed[t].exchange(true)) run(*shared, t);
    shared->done.wait();
    for (const std::exception_ptr& failure : shared->failures)
        if (failure) std::rethrow_exception(failure);
}

// Whether an expression may call RND: its numbers come from one sequence, in drawing order.
bool UsesRandom(const CurveRecord& curve) {
    if (curve.FType < CurveGeneralY) return false;
    return AsciiLower(curve.Expression1 + " " + curve.Expression2).find("rnd") != std::string::npos;
}

} // namespace

TaskStarter SetTaskStarter(TaskStarter starter) {
    TaskStarter before = std::move(Starter());
    Starter() = std::move(starter);
    return before;
}

namespace {
// Paints an image drawn for view `drawn` as it shows in view `now`; background fills the rest
// when given.
void PaintInView(QPainter& painter, const QImage& picture, const View& drawn, const View& now,
                 QSizeF surface, const QColor* background) {
    const CleanVectorState clean;
    const QSizeF then = QSizeF(picture.size()) / picture.devicePixelRatio();
    const double sx = drawn.ScaleWidth() / now.ScaleWidth() * surface.width() / then.width();
    const double sy = drawn.ScaleHeight() / now.ScaleHeight() * surface.height() / then.height();
    const double ox = (drawn.ScaleLeft() - now.ScaleLeft()) / now.ScaleWidth() * surface.width();
    const double oy = (drawn.ScaleTop() - now.ScaleTop()) / now.ScaleHeight() * surface.height();
    if (sx == 1 && sy == 1 && ox == 0 && oy == 0) {
        painter.drawImage(0, 0, picture);
        return;
    }
    if (background) painter.fillRect(QRectF(QPointF(0, 0), surface), *background);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setTransform(QTransform(sx, 0, 0, sy, ox, oy), true);
    painter.drawImage(QPointF(0, 0), picture);
    painter.restore();
}
} // namespace

void PaintPictureInView(QPainter& painter, const QImage& picture, const View& drawn,
                        const View& now, QSizeF surface, const QColor& background) {
    PaintInView(painter, picture, drawn, now, surface, &background);
}

void PaintLayerInView(QPainter& painter, const QImage& layer, const View& drawn, const View& now,
                      QSizeF surface) {
    PaintInView(painter, layer, drawn, now, surface, nullptr);
}

PictureJob::PictureJob(const DocumentModel& document, const View& view, const CoreContext& context,
                       Clock& clock, const QFont& font, QSize size, qreal pixelRatio)
    : silent_(std::make_unique<Silent>()),
      context_(*silent_, *silent_, context.Random, context.AppFolder), document_(context_),
      view_(view), clock_(clock), font_(font), size_(size.expandedTo(QSize(1, 1))),
      ratio_(pixelRatio),
      threads_(static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))) {
    context_.Parser = context.Parser;
    context_.Settings = context.Settings;
    document_.CopyCurvesFrom(document);
    for (int32_t i = 0; i < document_.CurveCount(); ++i)
        if (document_.Curve(i).ShowHide) order_.push_back(i);
}

PictureJob::~PictureJob() = default;

void PictureJob::DrawOver(const QImage& base, int32_t only) {
    base_ = base;
    order_.clear();
    if (only >= 0 && only < document_.CurveCount() && document_.Curve(only).ShowHide)
        order_.push_back(only);
}

void PictureJob::Reuse(Drawings before, std::function<bool(int32_t curve)> anew) {
    reusable_ = std::move(before);
    anew_ = std::move(anew);
}

void PictureJob::LeaveOut(int32_t curve) { std::erase(order_, curve); }

PictureJob::Drawings PictureJob::Kept() const {
    // Beyond this many points kept (16 bytes each) the memory is worth more than the time.
    constexpr size_t MostPoints = 4'000'000;
    if (stop_ || base_) return {};
    size_t points = 0;
    for (const auto& slot : slots_) {
        if (!slot || !slot->finished) return {};
        points += slot->drawing.Points();
    }
    if (points > MostPoints) return {};
    return slots_;
}

int PictureJob::NextCurve(size_t worker) {
    // The first worker takes the curves that use RND, in order, before any other.
    if (worker == 0 && nextSequenced_ < sequenced_.size())
        return static_cast<int>(sequenced_[nextSequenced_++]);
    const size_t n = nextShared_++;
    return n < shared_.size() ? static_cast<int>(shared_[n]) : -1;
}

void PictureJob::DrawCurves(size_t worker) {
    Recorder recorder;
    Silent dialogs;
    CoreContext context(recorder, dialogs, context_.Random, context_.AppFolder);
    context.Parser = context_.Parser;
    context.Settings = context_.Settings;
    View view = view_;
    SharedClock clock(clock_, clockMutex_);
    for (int position; !stop_ && (position = NextCurve(worker)) >= 0;) {
        auto slot = std::make_shared<CurveDrawing>();
        slot->curve = order_[static_cast<size_t>(position)];
        slot->record = document_.Curve(slot->curve);
        recorder.messages.clear();
        recorder.readouts.clear();
        recorder.notices.clear();
        recorder.failed.clear();
        {
            QtCanvas canvas(slot->drawing, view, font_, size_);
            PlotEngine engine(document_, view, canvas, context, clock, recorder);
            engine.SetStopFlag(&stop_);
            try {
                engine.DrawCurve(slot->curve);
                slot->finished = true;
            } catch (const DrawingStopped&) {
                // What was worked out of it is dropped.
            }
        }
        slot->messages = std::move(recorder.messages);
        slot->readouts = std::move(recorder.readouts);
        slot->notices = std::move(recorder.notices);
        slot->failed = std::move(recorder.failed);
        slots_[static_cast<size_t>(position)] = std::move(slot);
        ++done_;
    }
}

void PictureJob::PaintGrid(QImage& image) {
    const CleanVectorState clean; // the worker takes curves next
    QPainter painter(&image);
    View view = view_;
    QtCanvas canvas(painter, view, font_, size_);
    canvas.SetTransparentBackground(transparent_);
    DrawGridAndAxes(canvas, view, context_.Settings);
    DrawDocumentAreas(canvas, view, document_, context_.Parser);
    canvas.Finish();
}

void PictureJob::Paint(QImage& image, Place from, Place to) {
    const CleanVectorState clean;
    QPainter painter(&image);
    painter.setFont(font_);
    PainterOps direct(painter);
    for (size_t s = from.slot; s <= to.slot && s < slots_.size(); ++s) {
        const CurveDrawing* slot = slots_[s].get();
        if (!slot || !slot->finished) continue;
        slot->drawing.Replay(direct, s == from.slot ? from.call : 0,
                             s == to.slot ? to.call : slot->drawing.Calls());
    }
}

// Where the painting is cut into parts of about equal work, from the first place to the end.
std::vector<PictureJob::Place> PictureJob::ShareOutPainting(QSize pixels) const {
    static const RecordedOps none;
    const auto ops = [&](size_t s) -> const RecordedOps& {
        return slots_[s] && slots_[s]->finished ? slots_[s]->drawing : none;
    };
    double total = 0;
    for (size_t s = 0; s < slots_.size(); ++s)
        total += ops(s).WorkBefore(ops(s).Calls());
    // A layer costs its clearing and laying over, about a microsecond for 2500 pixels here:
    // a part is worth one only when it spares twice that.
    const double layerWork = 0.8 * pixels.width() * pixels.height() / 1000;
    const int parts = std::clamp(static_cast<int>(total / layerWork), 1, threads_);
    std::vector<Place> cuts{{0, 0}};
    double before = 0;
    for (size_t s = 0; s < slots_.size() && cuts.size() < static_cast<size_t>(parts); ++s) {
        const RecordedOps& recorded = ops(s);
        const double after = before + recorded.WorkBefore(recorded.Calls());
        while (cuts.size() < static_cast<size_t>(parts) &&
               after >= total * static_cast<double>(cuts.size()) / parts) {
            // The first call at which the share is reached.
            const double target = total * static_cast<double>(cuts.size()) / parts - before;
            size_t lo = 0, hi = recorded.Calls();
            while (lo < hi) {
                const size_t mid = (lo + hi) / 2;
                if (recorded.WorkBefore(mid + 1) < target)
                    lo = mid + 1;
                else
                    hi = mid;
            }
            cuts.push_back({s, std::min(lo + 1, recorded.Calls())});
        }
        before = after;
    }
    cuts.push_back({slots_.size(), 0});
    return cuts;
}

void PictureJob::PlanCurves() {
    slots_.assign(order_.size(), nullptr);
    reused_.assign(order_.size(), false);
    // Drawings from before, by curve, for the curves not to be worked out again.
    std::vector<std::shared_ptr<const CurveDrawing>> drawn(
        static_cast<size_t>(std::max(document_.CurveCount(), 0)));
    for (const auto& d : reusable_)
        if (d && d->finished && d->curve >= 0 && static_cast<size_t>(d->curve) < drawn.size())
            drawn[static_cast<size_t>(d->curve)] = d;
    for (size_t position = 0; position < order_.size(); ++position) {
        const int32_t curve = order_[position];
        const CurveRecord& record = document_.Curve(curve);
        const bool random = UsesRandom(record);
        const auto& old = drawn[static_cast<size_t>(curve)];
        if (!random && old && old->record == record && !(anew_ && anew_(curve))) {
            slots_[position] = old;
            reused_[position] = true;
            ++done_;
            continue;
        }
        (random ? sequenced_ : shared_).push_back(position);
    }
    reusable_.clear();
}

void PictureJob::Run() {
    PlanCurves();
    const QSize pixels = (QSizeF(size_) * ratio_).toSize().expandedTo(QSize(1, 1));
    if (base_ && base_->size() == pixels) {
        picture_ = base_->convertToFormat(QImage::Format_RGB32);
    } else {
        base_.reset();
        picture_ = QImage(pixels, transparent_ ? QImage::Format_ARGB32_Premultiplied
                                               : QImage::Format_RGB32);
        if (transparent_) picture_.fill(Qt::transparent);
    }
    if (picture_.isNull()) return;
    picture_.setDevicePixelRatio(ratio_);

    // The grid is painted on the picture while the curves are worked out, by the calling
    // thread: text is laid out only there, never on a pool's thread.
    const int drawers = std::max(2, std::min<int>(threads_, static_cast<int>(order_.size()) + 1));
    OnWorkers(drawers, [&](int worker) {
        if (worker == 0 && !base_) PaintGrid(picture_);
        DrawCurves(static_cast<size_t>(worker));
    });

    // The painting, curve after curve, shared out in parts of about equal work; the first part
    // is painted on the picture, each other on a transparent layer of its own, and the layers
    // are laid over the picture in order.
    const std::vector<Place> cuts = ShareOutPainting(pixels);
    const size_t count = cuts.size() - 1;
    std::vector<QImage> layers(count);
    OnWorkers(static_cast<int>(count), [&](int part) {
        const auto r = static_cast<size_t>(part);
        if (r == 0) {
            Paint(picture_, cuts[0], cuts[1]);
            return;
        }
        layers[r] = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        layers[r].setDevicePixelRatio(ratio_);
        layers[r].fill(Qt::transparent);
        Paint(layers[r], cuts[r], cuts[r + 1]);
    });
    // The layers, and the legend over everything on the calling thread: the legend is text.
    {
        const CleanVectorState clean;
        QPainter painter(&picture_);
        for (size_t r = 1; r < count; ++r)
            if (!layers[r].isNull()) painter.drawImage(0, 0, layers[r]);
        // The legend once, over everything, as the last of its reprints leaves it.
        Recorder quiet;
        Silent dialogs;
        CoreContext context(quiet, dialogs, context_.Random, context_.AppFolder);
        View view = view_;
        QtCanvas canvas(painter, view, font_, size_);
        SharedClock clock(clock_, clockMutex_);
        PlotEngine(document_, view, canvas, context, clock, quiet).DrawLegend();
        canvas.Finish();
    }
    // What a curve painted from before had to say was said when it was drawn.
    for (size_t position = 0; position < slots_.size(); ++position) {
        const auto& slot = slots_[position];
        if (!slot || reused_[position]) continue;
        report_.Messages.insert(report_.Messages.end(), slot->messages.begin(),
                                slot->messages.end());
        report_.MessageCurves.insert(report_.MessageCurves.end(), slot->messages.size(),
                                     slot->curve);
        report_.Summaries.insert(report_.Summaries.end(), slot->messages.size(), slot->failed);
        report_.Notices.insert(report_.Notices.end(), slot->notices.begin(), slot->notices.end());
        report_.NoticeCurves.insert(report_.NoticeCurves.end(), slot->notices.size(), slot->curve);
        report_.Readouts.insert(report_.Readouts.end(), slot->readouts.begin(),
                                slot->readouts.end());
    }
}

} // namespace orbiplot
