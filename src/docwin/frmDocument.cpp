#include "docwin/frmDocument.h"

#include "analysis/AreaValues.h"
#include "base/Seams.h"
#include "base/modError.h"
#include "docwin/DocumentHost.h"
#include "docwin/frmProgress.h"
#include "expr/CoreContext.h"
#include "expr/ExpressionGrammar.h"
#include "expr/clsExpressionParser.h"
#include "plot/TextBoxes.h"
#include "services/MarkPainting.h"
#include "services/PictureFile.h"
#include "services/PictureJob.h"
#include "services/QtCanvas.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QRubberBand>
#include <QToolTip>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace orbiplot {

struct frmDocument::Redraw {
    std::unique_ptr<PictureJob> job;
    std::thread thread;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    bool handled = false;
    // A slider's redraw: the boxes of curves whose parameters failed before drawing (their
    // curves and what failed, in a line), and whether the slider still moves (then nothing is
    // boxed, only told).
    std::vector<MessageRequest> failedBefore;
    std::vector<int32_t> failedBeforeCurves;
    std::vector<std::string> failedBeforeSummaries;
    bool quiet = false;
    Cause cause = Cause::Command;
    ~Redraw() {
        if (thread.joinable()) thread.join();
    }
};

// A search for key points on its thread, over a copy of the document.
struct frmDocument::Search {
    std::unique_ptr<CoreContext> context;
    std::unique_ptr<DocumentModel> document;
    DefaultRandomSource random; // the search's own: no curve it evaluates uses RND
    clsExpressionParser parser{random};
    PlaneBox box{};
    View view;
    TextMeasure surfaceText, labelText; // measured on the window's thread
    std::atomic<bool> stop{false};
    std::vector<KeyPoint> found;
    std::vector<int32_t> leftOut;
    std::vector<int32_t> partial;
    MarkPlan marks;
    std::thread thread;
    ~Search() {
        stop = true;
        if (thread.joinable()) thread.join();
    }
};

// The shown curves sampled for trace in one view, away from the window's thread.
struct frmDocument::TraceBuild {
    std::unique_ptr<CoreContext> context;
    std::unique_ptr<DocumentModel> document;
    DefaultRandomSource random;
    clsExpressionParser parser{random};
    View view;
    std::atomic<bool> stop{false};
    std::unique_ptr<CurveTracer> tracer;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;    // under mutex
    bool waited = false;  // the window has waited for it once
    bool handled = false; // its samples taken, or found missing
    std::thread thread;
    ~TraceBuild() {
        stop = true;
        if (thread.joinable()) thread.join();
    }
};

namespace {
// What text of a font takes, for laying text out where fonts are not used.
TextMeasure MeasureText(const QFont& font) {
    const QFontMetricsF metrics(font);
    TextMeasure measure;
    for (size_t c = 0; c < measure.Ascii.size(); ++c)
        measure.Ascii[c] = metrics.horizontalAdvance(QChar(static_cast<char16_t>(32 + c)));
    measure.Other = metrics.horizontalAdvance(QChar(0x4E2D));
    measure.Height = metrics.height();
    return measure;
}

// Whether two views show the same part of the plane.
bool SameWindow(const View& a, const View& b) {
    return a.ScaleLeft() == b.ScaleLeft() && a.ScaleTop() == b.ScaleTop() &&
           a.ScaleWidth() == b.ScaleWidth() && a.ScaleHeight() == b.ScaleHeight();
}
} // namespace

frmDocument::frmDocument(CoreContext& context, DocumentHost& host, Clock& clock, QWidget* parent)
    : QWidget(parent), context_(context), host_(host), clock_(clock), model_(context),
      view_(InitialWidthTwips, InitialHeightTwips) {
    model_.SetView(this);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_AcceptTouchEvents);
    grabGesture(Qt::PinchGesture);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // The right button is the band's; its click without a drag, or the menu key, opens the
    // menu.
    setContextMenuPolicy(Qt::PreventContextMenu);
    pictureView_ = view_;
    picture_ = QImage(1, 1, QImage::Format_RGB32);
    picture_.fill(Qt::white);
    gesturePause_.setSingleShot(true);
    gesturePause_.setInterval(GesturePauseMilliseconds);
    connect(&gesturePause_, &QTimer::timeout, this,
            [this] { StartRedraw(std::nullopt, Cause::Moving); });
    undo_.setUndoLimit(UndoLimit);
    // Modified exactly when away from the state last saved (or loaded, or made new).
    const auto follow = [this] { model_.SetModified(!undo_.isClean()); };
    connect(&undo_, &QUndoStack::indexChanged, this, follow);
    connect(&undo_, &QUndoStack::cleanChanged, this, follow);
}

frmDocument::~frmDocument() {
    // Redraws under way end before what they report to goes.
    if (redraw_) redraw_->job->Stop();
    for (const auto& r : superseded_)
        r->job->Stop();
    redraw_.reset();
    superseded_.clear();
    if (loaded_) host_.DocumentUnloaded();
}

QSize frmDocument::PictureSize() const { return size().expandedTo(QSize(1, 1)); }

void frmDocument::StartRedraw(std::optional<int32_t> only, Cause cause) {
    if (reporting_) {
        // The boxes of the last redraw are up: one redraw of everything after them.
        if (!redrawPending_ || cause == Cause::Command) pendingCause_ = cause;
        redrawPending_ = true;
        return;
    }
    gesturePause_.stop();
    // One curve over the picture only when the picture is the view's, whole and settled.
    if (only &&
        (redraw_ || !(SameWindow(pictureView_, view_) &&
                      picture_.size() == (QSizeF(PictureSize()) * devicePixelRatioF()).toSize())))
        only.reset();
    if (redraw_) {
        redraw_->job->Stop();
        superseded_.push_back(std::move(redraw_));
    }
    auto redraw = std::make_shared<Redraw>();
    redraw->job = std::make_unique<PictureJob>(model_, view_, context_, clock_, font(),
                                               PictureSize(), devicePixelRatioF());
    if (only) redraw->job->DrawOver(picture_, *only);
    if (slider_) {
        // Only the curves using the constant are worked out; the rest is painted as it was.
        const bool sameFrame = SameWindow(drawingsView_, view_) && drawingsSize_ == PictureSize() &&
                               drawingsRatio_ == devicePixelRatioF();
        if (sameFrame && !only)
            redraw->job->Reuse(
                drawings_, [anew = slider_->anew](int32_t curve) { return anew.count(curve) > 0; });
        for (const int32_t curve : slider_->leftOut)
            redraw->job->LeaveOut(curve);
        redraw->failedBefore = std::move(slider_->failures);
        redraw->failedBeforeCurves = std::move(slider_->failedCurves);
        redraw->failedBeforeSummaries = std::move(slider_->summaries);
        redraw->quiet = slider_->quiet;
        slider_.reset();
    }
    redraw->cause = cause;
    redraw_ = redraw;
    const std::weak_ptr<Redraw> weak = redraw;
    const auto draw = [raw = redraw.get(), weak, self = QPointer<frmDocument>(this)] {
        raw->job->Run();
        {
            const std::lock_guard<std::mutex> lock(raw->mutex);
            raw->done = true;
        }
        raw->ended.notify_all();
        // Told on the window's thread; a window gone by then is asked nothing.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [weak, self] {
                if (const auto r = weak.lock(); r && self) self->RedrawDone(r);
            },
            Qt::QueuedConnection);
    };
    try {
        redraw->thread = std::thread(draw);
    } catch (const std::system_error&) {
        draw(); // no thread to be had: drawn here, while the window waits
    }
    // Most redraws are done in a moment: the window waits for those, so the picture changes
    // at once. A longer one goes on while the window answers, with a way to stop it.
    bool done;
    {
        std::unique_lock<std::mutex> lock(redraw->mutex);
        done =
            redraw->ended.wait_for(lock, std::chrono::milliseconds(host_.RedrawWaitMilliseconds()),
                                   [&] { return redraw->done; });
    }
    if (done)
        RedrawDone(redraw);
    else
        host_.Progress().ShowWorking(this, [this] { StopRedraw(); });
}

void frmDocument::SetKeyPointsShown(bool shown) {
    keyPointsShown_ = shown;
    if (shown) {
        FindKeyPoints();
    } else {
        search_.reset();
        keyPoints_.clear();
        marks_ = {};
        markOf_.clear();
        marksLayer_ = QImage();
        emit KeyPointsChanged();
    }
    update();
}

void frmDocument::FindKeyPoints() {
    if (!keyPointsShown_ || !loaded_) return;
    auto search = std::make_shared<Search>();
    search->context = std::make_unique<CoreContext>(context_.Messages, context_.Dialogs,
                                                    context_.Random, context_.AppFolder);
    search->document = std::make_unique<DocumentModel>(*search->context);
    search->context->Settings = context_.Settings;
    search->document->CopyCurvesFrom(model_);
    search->parser = context_.Parser;
    search->parser.SetRandomSource(search->random);
    search->box = {view_.ScaleLeft(), view_.Right(), view_.Bottom(), view_.ScaleTop()};
    search->view = view_;
    // Fonts are measured here; the search lays its labels out with the measures alone.
    search->surfaceText = MeasureText(font());
    search->labelText = MeasureText(MarkFont());
    search_ = search; // the one before is stopped and waited for as it goes
    const std::weak_ptr<Search> weak = search;
    const auto find = [raw = search.get(), weak, self = QPointer<frmDocument>(this)] {
        raw->found = orbiplot::FindKeyPoints(*raw->document, raw->parser, raw->box, &raw->stop,
                                             &raw->partial);
        raw->leftOut = CurvesWithoutKeyPoints(*raw->document, raw->parser);
        if (!raw->stop)
            raw->marks = LayOutMarks(
                raw->found, raw->view, raw->labelText,
                SurfaceTextBoxes(*raw->document, raw->view, *raw->context, raw->surfaceText));
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [weak, self] {
                if (const auto s = weak.lock(); s && self) self->SearchDone(s);
            },
            Qt::QueuedConnection);
    };
    try {
        search->thread = std::thread(find);
    } catch (const std::system_error&) {
        find(); // no thread to be had: searched here
    }
    emit KeyPointsChanged(); // a search is under way
}

void frmDocument::SearchDone(const std::shared_ptr<Search>& search) {
    if (search != search_ || search->stop) return;
    if (search->thread.joinable()) search->thread.join();
    keyPoints_ = std::move(search->found);
    leftOut_ = std::move(search->leftOut);
    partial_ = std::move(search->partial);
    marks_ = std::move(search->marks);
    marksView_ = search->view;
    markOf_.assign(keyPoints_.size(), std::nullopt);
    for (size_t m = 0; m < marks_.Marks.size(); ++m)
        if (marks_.Marks[m].Point < markOf_.size()) markOf_[marks_.Marks[m].Point] = m;
    search_.reset();
    PaintMarksLayer();
    update();
    emit KeyPointsChanged();
}

QRectF frmDocument::LabelRect(size_t point) const {
    if (point >= markOf_.size() || !markOf_[point]) return {};
    const std::optional<PixelBox>& box = marks_.Marks[*markOf_[point]].Label;
    return box ? QRectF(box->Left, box->Top, box->Width, box->Height) : QRectF();
}

bool frmDocument::RedrawForConstant(std::string_view name, bool moving) {
    if (!loaded_) return false;
    auto slider = std::make_unique<SliderRedraw>();
    slider->quiet = moving;
    for (int32_t i = 0; i < model_.CurveCount(); ++i) {
        const CurveRecord& c = model_.Curve(i);
        if (!c.ShowHide) continue;
        bool uses = MentionsName(c.Expression1, name) || MentionsName(c.Expression2, name);
        for (int k = 1; k <= 4 && c.FType < CurveGeneralY; ++k)
            uses = uses || MentionsName(c.SData(k), name);
        if (!uses) continue;
        slider->anew.insert(i);
        if (const std::optional<AppError> failure = model_.ReevaluateParameters(i)) {
            // Undrawn at this value; said as loading says it, once the slider stops.
            slider->leftOut.push_back(i);
            const ErrorReport report = BuildErrorReport(*failure);
            slider->failures.push_back({MsgIcon::Critical, MsgButtons::OK, MsgResult::OK,
                                        report.Title,
                                        CurveDescription(model_.Curve(i)) + "\n\n" + report.Text});
            slider->failedCurves.push_back(i);
            slider->summaries.push_back(CurveDescription(model_.Curve(i)) + ": " +
                                        failure->Description);
        }
    }
    if (slider->anew.empty()) return false;
    slider_ = std::move(slider);
    StartRedraw(std::nullopt, Cause::Moving);
    return true;
}

void frmDocument::SetTracing(bool on) {
    tracing_ = on;
    traced_.reset();
    StopTracer();
    if (on) BuildTracer();
    update();
}

void frmDocument::StopTracer() {
    tracer_.reset();
    traceBuild_.reset(); // stopped, and waited for as it goes
}

bool frmDocument::IsSamplingForTrace() const { return traceBuild_ && !traceBuild_->handled; }

void frmDocument::BuildTracer() {
    if (!loaded_) return;
    auto build = std::make_shared<TraceBuild>();
    build->context = std::make_unique<CoreContext>(context_.Messages, context_.Dialogs,
                                                   context_.Random, context_.AppFolder);
    build->document = std::make_unique<DocumentModel>(*build->context);
    build->context->Settings = context_.Settings;
    build->document->CopyCurvesFrom(model_);
    build->parser = context_.Parser;
    build->parser.SetRandomSource(build->random);
    build->view = view_;
    traceBuild_ = build;
    const std::weak_ptr<TraceBuild> weak = build;
    const auto sample = [raw = build.get(), weak, self = QPointer<frmDocument>(this)] {
        const View& v = raw->view;
        try {
            raw->tracer = std::make_unique<CurveTracer>(
                *raw->document, raw->parser,
                PlaneBox{v.ScaleLeft(), v.Right(), v.Bottom(), v.ScaleTop()}, &raw->stop);
        } catch (...) {
            // Stopped, or no memory for the samples: no trace in this view.
            raw->tracer.reset();
        }
        {
            const std::lock_guard<std::mutex> lock(raw->mutex);
            raw->done = true;
        }
        raw->ended.notify_all();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [weak, self] {
                const auto b = weak.lock();
                if (!b || !self || b != self->traceBuild_ || b->handled) return;
                self->TracerBuilt(b);
                // The pointer snaps where it rests.
                if (self->tracing_ && self->drag_ == Drag::None && self->pointerInside_)
                    self->TraceAt(self->tracePointer_);
            },
            Qt::QueuedConnection);
    };
    try {
        build->thread = std::thread(sample);
    } catch (const std::system_error&) {
        sample(); // no thread to be had: sampled here
    }
}

void frmDocument::TracerBuilt(const std::shared_ptr<TraceBuild>& build) {
    if (build->thread.joinable()) build->thread.join();
    build->handled = true;
    if (!build->tracer) return; // kept, so that the view is not sampled again for nothing
    tracer_ = std::move(build->tracer);
    tracerView_ = build->view;
    traceBuild_.reset();
}

bool frmDocument::TracerReady(int waitMilliseconds) {
    if (tracer_ && SameWindow(tracerView_, view_)) return true;
    if (!traceBuild_ || !SameWindow(traceBuild_->view, view_)) BuildTracer();
    const std::shared_ptr<TraceBuild> build = traceBuild_;
    if (!build || build->handled) return false;
    if (waitMilliseconds >= 0 && build->waited) return false;
    build->waited = true;
    {
        std::unique_lock<std::mutex> lock(build->mutex);
        if (waitMilliseconds < 0)
            build->ended.wait(lock, [&] { return build->done; });
        else if (!build->ended.wait_for(lock, std::chrono::milliseconds(waitMilliseconds),
                                        [&] { return build->done; }))
            return false;
    }
    TracerBuilt(build);
    return tracer_ && SameWindow(tracerView_, view_);
}

bool frmDocument::TraceAt(QPointF p) {
    tracePointer_ = p;
    traced_.reset();
    if (TracerReady(host_.RedrawWaitMilliseconds())) {
        const auto [wx, wy] = view_.FromPixels(p.x(), p.y());
        traced_ = tracer_->Nearest(wx, wy, width() / double(view_.ScaleWidth()),
                                   height() / -double(view_.ScaleHeight()), TraceReach);
    }
    update();
    if (!traced_) return false;
    const std::vector<std::string> names = model_.GetFunList();
    const std::string name = static_cast<size_t>(traced_->Curve) < names.size()
                                 ? names[static_cast<size_t>(traced_->Curve)]
                                 : std::string();
    host_.SetStatusText(StatusPanel::Readout,
                        QString::fromStdString(name + "  " + PointLabel(traced_->X, traced_->Y)));
    return true;
}

void frmDocument::CentreOn(double x, double y) {
    view_.Pan(view_.CentreX() - x, view_.CentreY() - y);
    ViewChanged(true);
}

void frmDocument::StopRedraw() {
    if (redraw_) redraw_->job->Stop();
}

void frmDocument::RedrawDone(const std::shared_ptr<Redraw>& redraw) {
    if (redraw->handled) return;
    redraw->handled = true;
    if (redraw != redraw_) {
        // Superseded: its picture is not wanted.
        std::erase(superseded_, redraw);
        return;
    }
    redraw_.reset();
    if (redraw->thread.joinable()) redraw->thread.join();
    if (host_.Progress().IsWorking()) host_.Progress().EndWorking();
    // The curves or the view changed: the points and the trace follow.
    StopTracer();
    if (tracing_) BuildTracer();
    FindKeyPoints();
    PictureJob& job = *redraw->job;
    if (!job.Picture().isNull()) {
        picture_ = std::move(job.Picture());
        pictureView_ = job.ViewDrawn();
    }
    lastWorkedOut_ = job.CurvesWorkedOut();
    drawings_ = job.Kept();
    drawingsView_ = job.ViewDrawn();
    drawingsSize_ = PictureSize();
    drawingsRatio_ = devicePixelRatioF();
    update();
    if (!model_.Areas().empty()) emit AreasChanged();
    ReportFailures(*redraw);
}

void frmDocument::ReportFailures(Redraw& redraw) {
    const RedrawReport& report = redraw.job->Report();
    // What the redraw reported, in curve order, as the curves would have said it.
    std::vector<MessageRequest> messages = std::move(redraw.failedBefore);
    std::vector<int32_t> curves = std::move(redraw.failedBeforeCurves);
    std::vector<std::string> summaries = std::move(redraw.failedBeforeSummaries);
    messages.insert(messages.end(), report.Messages.begin(), report.Messages.end());
    curves.insert(curves.end(), report.MessageCurves.begin(), report.MessageCurves.end());
    summaries.insert(summaries.end(), report.Summaries.begin(), report.Summaries.end());
    reporting_ = true;
    for (const std::string& text : report.Readouts)
        host_.SetStatusText(StatusPanel::Readout, QString::fromStdString(text));
    QStringList said;
    for (const MessageRequest& message : messages)
        said << QString::fromStdString(message.Text);
    emit RedrawFailures(said);
    // Notes: what the curves' failures suggest, in one line for them all, then the failures
    // not boxed again (those with a suggestion are told by it).
    std::vector<std::string> notes;
    if (!report.NoticeCurves.empty()) {
        std::vector<std::string> equations;
        for (const int32_t curve : report.NoticeCurves)
            if (curve >= 0 && curve < model_.CurveCount())
                equations.push_back(CurveEquation(model_.Curve(curve)));
        notes.push_back(UndefinedPartsNotice(equations));
    }
    const auto noted = [&](int32_t curve) {
        return std::find(report.NoticeCurves.begin(), report.NoticeCurves.end(), curve) !=
               report.NoticeCurves.end();
    };
    for (size_t i = 0; i < messages.size(); ++i) {
        const int32_t curve = i < curves.size() ? curves[i] : -1;
        const bool known = curve >= 0 && curve < model_.CurveCount() &&
                           reported_.count(curve) > 0 &&
                           reported_[curve].curve == model_.Curve(curve) &&
                           reported_[curve].text == messages[i].Text;
        if (redraw.quiet) continue;
        if (known && redraw.cause == Cause::Moving) {
            if (i < summaries.size() && !summaries[i].empty() && !noted(curve))
                notes.push_back(summaries[i]);
            continue;
        }
        if (curve >= 0 && curve < model_.CurveCount())
            reported_[curve] = {model_.Curve(curve), messages[i].Text};
        context_.Messages.HideProgress();
        context_.Messages.ShowMessage(messages[i]);
    }
    // A redraw with nothing to note takes an old note away.
    QStringList text;
    for (const std::string& note : notes)
        text << QString::fromStdString(note);
    host_.ShowNotice(text.join("; "));
    reporting_ = false;
    if (redrawPending_) {
        redrawPending_ = false;
        StartRedraw(std::nullopt, pendingCause_);
    }
}

void frmDocument::RefreshFun(int32_t num, bool isAll) {
    if (isAll)
        StartRedraw();
    else
        StartRedraw(num);
}

void frmDocument::Zoom(float factor, bool byX, bool byY) {
    view_.Scale(factor, byX, byY);
    view_.CenterView();
    ViewChanged(true, Cause::Command);
}

void frmDocument::ViewChanged(bool redrawNow, Cause cause) {
    if (loaded_)
        host_.SetStatusText(StatusPanel::Zoom, QString::fromStdString(view_.ZoomStatusText()));
    update();
    if (!loaded_) return;
    if (redrawNow)
        StartRedraw(std::nullopt, cause);
    else
        gesturePause_.start();
}

void frmDocument::ResetView() {
    view_.Reset();
    ViewChanged(true);
}

void frmDocument::EqualScale() {
    view_.EqualScale();
    ViewChanged(true);
}

void frmDocument::CentreOnOrigin() {
    view_.CentreOnOrigin();
    ViewChanged(true);
}

bool frmDocument::ModifyFun(const CurveRecord& curve, int32_t modifyNum, bool isNew) {
    const bool inRange = modifyNum >= 0 && modifyNum < MaxCurves;
    CurveRecord before = inRange ? model_.Curve(modifyNum) : CurveRecord();
    CurveChanged(modifyNum); // before it is drawn, which may report it
    if (!model_.ModifyFun(curve, modifyNum, isNew)) return false;
    undo_.push(new CurveStep(*this, isNew ? CurveStep::Kind::Add : CurveStep::Kind::Edit, modifyNum,
                             std::move(before), model_.Curve(modifyNum)));
    return true;
}

bool frmDocument::DeleteFun(int32_t num) {
    CurveRecord removed = model_.Curve(num);
    RemovalStep::PlacedAreas areas = model_.AreasOf(num);
    const bool hadAreas = !areas.empty();
    const bool result = model_.DeleteFun(num);
    CurveChanged(num);
    undo_.push(new RemovalStep(*this, num, std::move(removed), std::move(areas)));
    if (hadAreas) emit AreasChanged();
    return result;
}

void frmDocument::AddArea(const AreaRecord& area) {
    const size_t at = model_.Areas().size();
    model_.InsertArea(at, area);
    undo_.push(
        new AreaStep(*this, AreaStep::Kind::Add, at, area, area, AreaStepName("添加", area)));
    StepRedraw(Drawing::All, -1);
}

void frmDocument::RemoveArea(size_t at) {
    if (at >= model_.Areas().size()) return;
    const QString name = AreaStepName("删除", model_.Areas()[at]);
    const AreaRecord removed = model_.RemoveArea(at);
    undo_.push(new AreaStep(*this, AreaStep::Kind::Remove, at, removed, removed, name));
    StepRedraw(Drawing::All, -1);
}

void frmDocument::SetAreaShown(size_t at, bool shown) {
    if (at >= model_.Areas().size() || model_.Areas()[at].Shown == shown) return;
    const AreaRecord before = model_.Areas()[at];
    AreaRecord after = before;
    after.Shown = shown;
    model_.SetArea(at, after);
    undo_.push(new AreaStep(*this, shown ? AreaStep::Kind::Show : AreaStep::Kind::Hide, at, before,
                            after, AreaStepName(shown ? "显示" : "隐藏", after)));
    StepRedraw(Drawing::All, -1);
}

QString frmDocument::AreaStepName(const char* verb, const AreaRecord& area) const {
    QString description = QString::fromStdString(AreaDescription(model_, area));
    if (description.size() > StepNameLength)
        description = description.left(StepNameLength - 1) + QChar(0x2026);
    return QString::fromUtf8(verb) + description;
}

std::optional<TracedPoint> frmDocument::PointNear(QPointF at, double reach, int32_t only) {
    // A command asks: it waits for the samples.
    if (!TracerReady(-1)) return std::nullopt;
    const auto [wx, wy] = view_.FromPixels(at.x(), at.y());
    return tracer_->Nearest(wx, wy, width() / double(view_.ScaleWidth()),
                            height() / -double(view_.ScaleHeight()), reach, only);
}

void frmDocument::PickInterval(bool alongX, std::function<void(double, double)> done) {
    if (drag_ != Drag::None) EndDrag(true);
    pickDone_ = std::move(done);
    pickAlongX_ = alongX;
    setCursor(alongX ? Qt::SizeHorCursor : Qt::SizeVerCursor);
    setFocus();
}

bool frmDocument::SetFunListShowHide(int32_t num, bool show) {
    CurveRecord before = model_.Curve(num);
    if (before.ShowHide != show) CurveChanged(num);
    const bool result = model_.SetFunListShowHide(num, show);
    if (before.ShowHide != show)
        undo_.push(new CurveStep(*this, show ? CurveStep::Kind::Show : CurveStep::Kind::Hide, num,
                                 std::move(before), model_.Curve(num)));
    return result;
}

void frmDocument::ModifyDocInfo(const DocInfo& info) {
    DocInfo before = model_.GetDocInfo();
    model_.ModifyDocInfo(info);
    undo_.push(new InfoStep(*this, std::move(before), info));
}

void frmDocument::StepRedraw(Drawing drawing, int32_t num) {
    CurveChanged(num);
    emit AreasChanged();
    if (!loaded_) return;
    // Undo is no command of the Parts: what other curves reported is not boxed again.
    if (drawing == Drawing::All) StartRedraw(std::nullopt, Cause::Moving);
    if (drawing == Drawing::One) StartRedraw(num, Cause::Moving);
}

void frmDocument::DrawCurve(int32_t num) {
    if (!loaded_) return;
    StartRedraw(num);
}

void frmDocument::SetCaption(const std::string& title) {
    setWindowTitle(QString::fromStdString(title));
}

void frmDocument::SetStatusText(StatusPanel panel, const std::string& text) {
    host_.SetStatusText(panel, QString::fromStdString(text));
}

frmProgress& frmDocument::Progress() { return host_.Progress(); }

void frmDocument::ShowProgress() { host_.Progress().Begin(); }
void frmDocument::HideProgress() { host_.Progress().End(); }

void frmDocument::NewDoc(const DocInfo& info) {
    model_.NewDoc(info);
    undo_.clear();
    reported_.clear();
    ShowDocument();
}

bool frmDocument::LoadDoc(const std::string& path) {
    if (!model_.LoadDoc(path)) return false;
    undo_.clear();
    reported_.clear();
    ShowDocument();
    return true;
}

void frmDocument::ShowDocument() {
    if (!loaded_) {
        loaded_ = true;
        host_.DocumentLoaded();
    }
    QWidget* frame =
        parentWidget() && qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
    if (!frame->isVisible()) {
        // Showing and placing resize the window; the one redraw comes after.
        placing_ = true;
        frame->resize(InitialWidthTwips / TwipsPerPixel, InitialHeightTwips / TwipsPerPixel);
        frame->show();
        if (frame != this) host_.PlaceNewWindow(*frame);
        placing_ = false;
    }
    setFocus();
    host_.SetStatusText(StatusPanel::Zoom, QString::fromStdString(view_.ZoomStatusText()));
    RefreshAll();
}

bool frmDocument::SaveDoc(const std::string& path, bool fromScratch) {
    if (!model_.SaveDoc(path, fromScratch)) return false;
    // A document without curves is written but stays as modified as it was.
    if (!model_.IsModified()) undo_.setClean();
    host_.DocumentSaved(path);
    return true;
}

std::string frmDocument::SvgPicture() {
    return VectorPicture(PictureFormat::Svg, GeometryOf({}, PictureSize()), PictureSource());
}

ExportSource frmDocument::PictureSource() {
    return {model_, view_, context_, clock_, font(), &picture_};
}

bool frmDocument::PrintTo(QPaintDevice& page, std::string* failure) {
    try {
        QtCanvas canvas(page, view_, font(), PictureSize());
        if (!canvas.IsActive()) return false;
        DrawQuietly(canvas);
        return true;
    } catch (...) {
        // A page too large for memory, say: the caller reports it with the error's text.
        if (failure) *failure = "无法绘制页面 - " + BuildErrorReport(CurrentError()).Text;
        return false;
    }
}

void frmDocument::DrawQuietly(Canvas& canvas) {
    PlotStatus quiet;
    PlotEngine engine(model_, view_, canvas, context_, clock_, quiet);
    engine.SetUnderlay(
        [&](Canvas& c, const View& v) { DrawDocumentAreas(c, v, model_, context_.Parser); });
    engine.RefreshAll();
}

void frmDocument::CloseDoc() {
    if (QWidget* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

void frmDocument::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Rgb back = context_.Settings.BackColor;
    PaintPictureInView(painter, picture_, pictureView_, view_, QSizeF(width(), height()),
                       QColor(static_cast<int>(back & 0xFF), static_cast<int>((back >> 8) & 0xFF),
                              static_cast<int>((back >> 16) & 0xFF)));
    PaintMarks(painter);
}

QFont frmDocument::MarkFont() const {
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    return small;
}

void frmDocument::PaintMarksLayer() {
    marksLayer_ = QImage();
    if (!keyPointsShown_ || marks_.Marks.empty()) return;
    const QSize size = marksView_.ClientWidthTwips() / TwipsPerPixel > 0
                           ? QSize(marksView_.ClientWidthTwips() / TwipsPerPixel,
                                   marksView_.ClientHeightTwips() / TwipsPerPixel)
                           : PictureSize();
    marksLayer_ = PaintMarkLayer(marks_, keyPoints_, model_, MarkFont(), size, devicePixelRatioF());
}

void frmDocument::PaintMarks(QPainter& painter) {
    if (keyPointsShown_ && !marksLayer_.isNull())
        PaintLayerInView(painter, marksLayer_, marksView_, view_, QSizeF(width(), height()));
    if (tracing_ && traced_) {
        const auto [px, py] = view_.ToPixels(traced_->X, traced_->Y);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(CurveColor(model_, traced_->Curve));
        painter.drawEllipse(QPointF(px, py), 4.5, 4.5);
    }
}

void frmDocument::ShowMarkTip(QPointF at, QPoint global) {
    // Among the marks painted, as they lie in the view now.
    const MarkPlan::Mark* nearest = nullptr;
    double reach = 6;
    for (const MarkPlan::Mark& mark : marks_.Marks) {
        const KeyPoint& p = keyPoints_[mark.Point];
        const auto [px, py] = view_.ToPixels(p.X, p.Y);
        const double distance = std::hypot(px - at.x(), py - at.y());
        if (distance <= reach) {
            reach = distance;
            nearest = &mark;
        }
    }
    if (!nearest) {
        QToolTip::hideText();
        return;
    }
    // Every point at that place (those sharing its label): its kinds on one line, its curves
    // each once.
    std::vector<std::string> kinds;
    std::vector<int32_t> curves;
    const KeyPoint& shown = keyPoints_[nearest->Point];
    for (const MarkPlan::Mark& mark : marks_.Marks) {
        const KeyPoint& p = keyPoints_[mark.Point];
        const bool same = (p.X == shown.X && p.Y == shown.Y) ||
                          (std::hypot(mark.X - nearest->X, mark.Y - nearest->Y) < 1 &&
                           mark.Text == nearest->Text);
        if (!same) continue;
        const std::string kind = KindName(p.Kind);
        if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) kinds.push_back(kind);
        for (const int32_t curve : {p.Curve, p.Other})
            if (curve >= 0 && std::find(curves.begin(), curves.end(), curve) == curves.end())
                curves.push_back(curve);
    }
    std::string text;
    for (const std::string& kind : kinds)
        text += (text.empty() ? "" : "、") + kind;
    text += "\nx = " + FullValue(shown.X) + "\ny = " + FullValue(shown.Y);
    const std::vector<std::string> names = model_.GetFunList();
    for (const int32_t curve : curves)
        if (static_cast<size_t>(curve) < names.size())
            text += "\n" + names[static_cast<size_t>(curve)];
    QToolTip::showText(global, QString::fromStdString(text), this);
}

void frmDocument::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (width() < 1 || height() < 1) return;
    view_.Resize(width() * TwipsPerPixel, height() * TwipsPerPixel);
    if (loaded_ && !placing_) RefreshAll();
}

void frmDocument::keyPressEvent(QKeyEvent* event) {
    if (drag_ != Drag::None && event->key() == Qt::Key_Escape) {
        EndDrag(true); // Esc during a drag undoes the drag, not the window
        event->accept();
        return;
    }
    if (pickDone_ && event->key() == Qt::Key_Escape) {
        pickDone_ = nullptr; // and the pick, not the window
        unsetCursor();
        host_.ShowNotice(QString());
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: Zoom(ZoomInFactor, true, true); break;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: Zoom(ZoomOutFactor, true, true); break;
    case Qt::Key_Right: Zoom(ZoomInFactor, true, false); break;
    case Qt::Key_Up: Zoom(ZoomInFactor, false, true); break;
    case Qt::Key_Left: Zoom(ZoomOutFactor, true, false); break;
    case Qt::Key_Down: Zoom(ZoomOutFactor, false, true); break;
    case Qt::Key_Escape: CloseDoc(); break;
    case Qt::Key_Space: host_.OpenCurveManager(*this); break;
    case Qt::Key_Home: ResetView(); break;
    case Qt::Key_Menu: host_.ShowDocumentMenu(*this, mapToGlobal(rect().center())); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void frmDocument::ZoomAt(QPointF at, int steps, bool byX, bool byY) {
    if (steps == 0) return;
    const auto [x, y] = view_.FromPixels(at.x(), at.y());
    for (int i = 0; i < std::abs(steps); ++i)
        view_.ZoomAbout(steps > 0 ? ZoomInFactor : ZoomOutFactor, byX, byY, x, y);
    ViewChanged(false);
}

void frmDocument::wheelEvent(QWheelEvent* event) {
    // A notch zooms about the pointer by one step of the zoom commands; with Ctrl only along
    // X, with Shift only along Y. A touchpad's small turns add up to notches.
    const Qt::KeyboardModifiers keys = event->modifiers();
    const bool byX = !(keys & Qt::ShiftModifier), byY = !(keys & Qt::ControlModifier);
    const QPoint delta = event->angleDelta();
    wheelRest_ += delta.y() != 0 ? delta.y() : delta.x(); // Shift may turn the wheel sideways
    const int steps = wheelRest_ / 120;
    wheelRest_ -= steps * 120;
    ZoomAt(event->position(), steps, byX || !byY, byY || !byX);
    event->accept();
}

bool frmDocument::event(QEvent* event) {
    if (event->type() == QEvent::NativeGesture) {
        // A touchpad's pinch zooms about the fingers.
        auto* gesture = static_cast<QNativeGestureEvent*>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture && gesture->value() > -1) {
            const auto [x, y] = view_.FromPixels(gesture->position().x(), gesture->position().y());
            view_.ZoomAbout(static_cast<float>(1 / (1 + gesture->value())), true, true, x, y);
            ViewChanged(false);
            return true;
        }
    }
    return QWidget::event(event);
}

void frmDocument::mousePressEvent(QMouseEvent* event) {
    if (drag_ != Drag::None) return;
    pressAt_ = releaseAt_ = event->position();
    viewAtPress_ = view_;
    if (event->button() == Qt::RightButton ||
        (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier))) {
        drag_ = Drag::Band;
        bandByRight_ = event->button() == Qt::RightButton;
        if (!band_) band_ = new QRubberBand(QRubberBand::Rectangle, this);
        band_->setGeometry(QRect(pressAt_.toPoint(), QSize()));
        band_->show();
    } else if (event->button() == Qt::LeftButton && pickDone_) {
        drag_ = Drag::Interval;
        if (!band_) band_ = new QRubberBand(QRubberBand::Rectangle, this);
        band_->setGeometry(IntervalBand(pressAt_, pressAt_));
        band_->show();
    } else if (event->button() == Qt::LeftButton) {
        drag_ = Drag::Pan;
        setCursor(Qt::ClosedHandCursor);
    }
    event->accept();
}

void frmDocument::leaveEvent(QEvent* event) {
    pointerInside_ = false;
    QWidget::leaveEvent(event);
}

void frmDocument::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    pointerInside_ = true;
    if (drag_ == Drag::Pan) {
        // The world point under the pointer at the press stays under it.
        const auto [x0, y0] = viewAtPress_.FromPixels(pressAt_.x(), pressAt_.y());
        const auto [x1, y1] = viewAtPress_.FromPixels(p.x(), p.y());
        view_ = viewAtPress_;
        view_.Pan(x1 - x0, y1 - y0);
        ViewChanged(false);
    } else if (drag_ == Drag::Band) {
        band_->setGeometry(QRectF(pressAt_, p).normalized().toRect());
    } else if (drag_ == Drag::Interval) {
        band_->setGeometry(IntervalBand(pressAt_, p));
    }
    const float x = view_.ScaleLeft() + static_cast<float>(p.x() / width()) * view_.ScaleWidth();
    const float y = view_.ScaleTop() + static_cast<float>(p.y() / height()) * view_.ScaleHeight();
    if (keyPointsShown_ && drag_ == Drag::None) ShowMarkTip(p, event->globalPosition().toPoint());
    if (tracing_ && drag_ == Drag::None && TraceAt(p)) return;
    host_.SetStatusText(StatusPanel::Readout, QString::fromStdString(PointerReadout(x, y)));
}

void frmDocument::mouseReleaseEvent(QMouseEvent* event) {
    if (drag_ == Drag::None) return;
    releaseAt_ = event->position();
    const bool menu = drag_ == Drag::Band && bandByRight_ &&
                      std::abs(releaseAt_.x() - pressAt_.x()) < 4 &&
                      std::abs(releaseAt_.y() - pressAt_.y()) < 4;
    EndDrag(false);
    event->accept();
    if (menu) host_.ShowDocumentMenu(*this, event->globalPosition().toPoint());
}

void frmDocument::EndDrag(bool cancel) {
    const Drag drag = drag_;
    drag_ = Drag::None;
    unsetCursor();
    if (drag == Drag::Pan) {
        if (cancel) view_ = viewAtPress_;
        ViewChanged(true);
        return;
    }
    if (drag == Drag::Interval) {
        band_->hide();
        unsetCursor();
        // A click chooses nothing: the pick waits for a drag.
        const double pixels =
            pickAlongX_ ? releaseAt_.x() - pressAt_.x() : releaseAt_.y() - pressAt_.y();
        if (cancel || std::abs(pixels) < 3) {
            setCursor(pickAlongX_ ? Qt::SizeHorCursor : Qt::SizeVerCursor);
            return;
        }
        const auto [x0, y0] = view_.FromPixels(pressAt_.x(), pressAt_.y());
        const auto [x1, y1] = view_.FromPixels(releaseAt_.x(), releaseAt_.y());
        const auto done = std::move(pickDone_);
        pickDone_ = nullptr;
        if (pickAlongX_)
            done(std::min(x0, x1), std::max(x0, x1));
        else
            done(std::min(y0, y1), std::max(y0, y1));
        return;
    }
    if (drag != Drag::Band) return;
    band_->hide();
    const QRectF r = QRectF(pressAt_, releaseAt_).normalized();
    // A click, or a band too thin to zoom to, changes nothing.
    if (cancel || r.width() < 4 || r.height() < 4) return;
    const auto [left, top] = view_.FromPixels(r.left(), r.top());
    const auto [right, bottom] = view_.FromPixels(r.right(), r.bottom());
    view_.ShowRectangle(left, top, right, bottom);
    ViewChanged(true);
}

QRect frmDocument::IntervalBand(QPointF from, QPointF to) const {
    // Across the whole surface, between the two places along the interval's axis.
    return (pickAlongX_ ? QRectF(QPointF(from.x(), 0), QPointF(to.x(), height()))
                        : QRectF(QPointF(0, from.y()), QPointF(width(), to.y())))
        .normalized()
        .toRect();
}

void frmDocument::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (loaded_)
        host_.SetStatusText(StatusPanel::Zoom, QString::fromStdString(view_.ZoomStatusText()));
}

bool frmDocument::AskToSave() {
    const std::string question = "是否保存对 \"" + model_.GetDocInfo().Title + "\" 的修改？";
    const MsgResult answer = context_.Messages.ShowMessage(
        {MsgIcon::Question, MsgButtons::YesNoCancel, MsgResult::Yes, "Orbiplot", question});
    if (answer == MsgResult::Cancel) return false;
    if (answer == MsgResult::No) return true;
    // A save that did not happen (cancelled or failed) keeps the window and the work.
    if (!model_.GetIPath().empty()) return SaveDoc(model_.GetIPath());
    return host_.SaveUntitled(*this);
}

bool frmDocument::ConfirmClose() {
    if (model_.IsModified() && !AskToSave()) return false;
    closeAnswered_ = true;
    return true;
}

void frmDocument::closeEvent(QCloseEvent* event) {
    if (!closeAnswered_ && model_.IsModified() && !AskToSave()) {
        event->ignore();
        return;
    }
    event->accept();
    if (loaded_) {
        loaded_ = false;
        host_.DocumentUnloaded();
    }
}

} // namespace orbiplot
