#pragma once

#include "analysis/KeyPoints.h"
#include "analysis/MarkLayout.h"
#include "doc/DocumentModel.h"
#include "docwin/DocumentUndo.h"
#include "plot/PlotEngine.h"
#include "plot/View.h"
#include "services/PictureExport.h"
#include "services/PictureJob.h"

#include <QImage>
#include <QPoint>
#include <QTimer>
#include <QUndoStack>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class QRubberBand;

namespace orbiplot {

class Clock;
class CoreContext;
class DocumentHost;
class QtCanvas;
class frmProgress;

// A graph document in its own child window: the drawing surface showing the engine's
// persistent picture, the view, the keys and gestures, the pointer read-out and the save
// question. Redraws run on worker threads; the window waits for one only briefly, then goes
// on answering and shows the picture when it is done.
class frmDocument : public QWidget, private DocumentView, private PlotStatus, private UndoTarget {
    Q_OBJECT
public:
    frmDocument(CoreContext& context, DocumentHost& host, Clock& clock, QWidget* parent = nullptr);
    ~frmDocument() override;

    // The document operations the other windows use. Every change is a step of the undo
    // stack, and the document is modified exactly when the stack is away from where it was
    // last saved.
    bool ModifyFun(const CurveRecord& curve, int32_t modifyNum, bool isNew);
    bool DeleteFun(int32_t num);
    int32_t GetLastCountAdd1() const { return model_.GetLastCountAdd1(); }
    std::vector<std::string> GetFunList() const { return model_.GetFunList(); }
    std::vector<bool> GetFunListShowHide() const { return model_.GetFunListShowHide(); }
    bool SetFunListShowHide(int32_t num, bool show);
    void RefreshFun(int32_t num = 0, bool isAll = false);
    void RefreshAll() { RefreshFun(0, true); }
    void NewDoc(const DocInfo& info);
    DocInfo GetDocInfo() const { return model_.GetDocInfo(); }
    void ModifyDocInfo(const DocInfo& info);
    void Zoom(float factor, bool byX = true, bool byY = true);
    void CloseDoc();
    bool SaveDoc(const std::string& path, bool fromScratch = false);
    // Fills the window from a file and shows it; false when the file was refused.
    bool LoadDoc(const std::string& path);
    const std::string& GetIPath() const { return model_.GetIPath(); }

    // Moving around the plane.
    void ResetView();
    void EqualScale();
    void CentreOnOrigin();

    DocumentModel& Model() { return model_; }
    // The steps that take the document's changes back, at most UndoLimit of them.
    QUndoStack& UndoStack() { return undo_; }
    static constexpr int UndoLimit = 100;
    frmProgress& Progress();
    const View& ViewState() const { return view_; }
    // The picture drawn anew as SVG.
    std::string SvgPicture();
    // What an exported picture is drawn from: the document, the view, the window's picture.
    ExportSource PictureSource();
    // The drawing surface's size in logical pixels.
    QSize PictureSize() const;
    // Draws the document on a printed page (any paint device), scaled from the window's
    // picture to fit it, sharp at the device's resolution; false when it cannot be painted.
    // A page the device took but the drawing failed on says why in failure.
    bool PrintTo(QPaintDevice& page, std::string* failure = nullptr);
    // The persistent picture: what the window shows and exports, as last drawn.
    const QImage& Picture() const { return picture_; }
    // Whether a redraw is under way.
    bool IsRedrawing() const { return static_cast<bool>(redraw_); }
    // Stops the redraw under way; the picture then holds the curves finished so far.
    void StopRedraw();

    // The document is ready to be shown: caption, placement inside its frame, first draw.
    void ShowDocument();
    // Asks about unsaved changes before the program exits: false when the exit is to stop
    // (Cancel, or a save that did not happen). Once answered, closing asks nothing more;
    // ForgetCloseAnswer takes the answer back when the exit stopped at a later document.
    bool ConfirmClose();
    void ForgetCloseAnswer() { closeAnswered_ = false; }

    // Reading the graph. Key points are found for the view on a thread of their own after
    // each redraw and marked over the picture, with labels that keep clear of each other;
    // a mark under the pointer tells its full values.
    void SetKeyPointsShown(bool shown);
    bool KeyPointsShown() const { return keyPointsShown_; }
    const std::vector<KeyPoint>& KeyPoints() const { return keyPoints_; }
    // The shown curves the last search could not give points for (their texts use RND or are
    // read only by substituting each value).
    const std::vector<int32_t>& CurvesLeftOut() const { return leftOut_; }
    // The shown curves whose key points were found only in part: they wave too fast.
    const std::vector<int32_t>& CurvesFoundInPart() const { return partial_; }
    bool IsFindingKeyPoints() const { return static_cast<bool>(search_); }
    // Trace: the pointer snaps to the nearest shown curve within TraceReach pixels, and the
    // read-out names the curve and its point. The curves are sampled for each view on a thread
    // of their own: the pointer snaps once that is done, and the window answers meanwhile.
    void SetTracing(bool on);
    bool Tracing() const { return tracing_; }
    bool IsSamplingForTrace() const;
    const std::optional<TracedPoint>& Traced() const { return traced_; }
    // Moves the view so that (x, y) is at the middle of the surface.
    void CentreOn(double x, double y);
    static constexpr double TraceReach = 8;
    // The label of key point i, where it is painted (empty: it shares another's, it found no
    // room, or the point is not marked).
    QRectF LabelRect(size_t point) const;
    // How the last search's points are marked: at most MostMarks of them, nearest the middle.
    const MarkPlan& Marks() const { return marks_; }

    // Outer size of a new document window in twips.
    static constexpr int InitialWidthTwips = 5400;
    static constexpr int InitialHeightTwips = 5115;
    // How long a gesture must rest before the picture is drawn anew.
    static constexpr int GesturePauseMilliseconds = 150;

    // Areas and lengths: each change a step of the undo stack, told by AreasChanged.
    void AddArea(const AreaRecord& area);
    void RemoveArea(size_t at);
    void SetAreaShown(size_t at, bool shown);
    // The point of a shown curve nearest a point of the surface, at most reach pixels away,
    // with the value of the curve's variable there; only curve `only` is looked at unless it
    // is -1.
    std::optional<TracedPoint> PointNear(QPointF at, double reach, int32_t only = -1);
    // The next left drag across the surface chooses an interval along x (or along y) instead
    // of moving the view: done is given its ends. Esc, or another pick, gives up the pick.
    void PickInterval(bool alongX, std::function<void(double, double)> done);
    bool IsPickingInterval() const { return static_cast<bool>(pickDone_); }

    // A constant's value changed in memory (a slider moved it): the shown curves that use it
    // are worked out again (a line's or conic's numbers from its texts, as loading does), the
    // others painted from the last picture's drawings. A curve whose numbers fail is left
    // undrawn. While moving, failures are not boxed, only told by RedrawFailures; once the
    // slider stops the boxes come as after any redraw. False when no shown curve uses it.
    bool RedrawForConstant(std::string_view name, bool moving);
    // How many curves the last redraw worked out (the others it painted from before).
    int LastCurvesWorkedOut() const { return lastWorkedOut_; }

signals:
    // The key points were found anew, or cleared.
    void KeyPointsChanged();
    // An area or a length was added, deleted, shown or hidden, or the picture drawn anew (a
    // value may have followed a constant).
    void AreasChanged();
    // What the last redraw had to say about failing curves (empty: nothing failed).
    void RedrawFailures(const QStringList& failures);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    // DocumentView
    void DrawCurve(int32_t num) override;
    void SetCaption(const std::string& title) override;
    // UndoTarget
    DocumentModel& UndoModel() override { return model_; }
    void StepRedraw(Drawing drawing, int32_t num) override;
    // PlotStatus
    void SetStatusText(StatusPanel panel, const std::string& text) override;
    void ShowProgress() override;
    void HideProgress() override;

    // A picture job on its thread.
    struct Redraw;
    // What started a redraw: a command that reports every failing curve in a box, or moving
    // around (a gesture, a slider, a command of the view beyond the zoom commands), which
    // boxes only failures not reported yet and tells the others in the status bar.
    enum class Cause { Command, Moving };
    // Starts a redraw of everything, or of one curve over the picture; the window waits for
    // it only briefly. A redraw under way is stopped and superseded.
    void StartRedraw(std::optional<int32_t> only = std::nullopt, Cause cause = Cause::Command);
    void RedrawDone(const std::shared_ptr<Redraw>& redraw);
    // The view changed: the zoom read-out, then a redraw.
    void ViewChanged(bool redrawNow, Cause cause = Cause::Moving);
    // Shows the boxes of failing curves a redraw reported, and notes what it does not box.
    void ReportFailures(Redraw& redraw);
    // A curve changed: its failures are reported again.
    void CurveChanged(int32_t num) { reported_.erase(num); }
    // A full redraw on another surface, leaving the window's status and picture alone.
    void DrawQuietly(Canvas& canvas);
    bool AskToSave();
    // Zooms about a point of the surface, in steps of the zoom commands.
    void ZoomAt(QPointF at, int steps, bool byX, bool byY);
    void EndDrag(bool cancel);
    QRect IntervalBand(QPointF from, QPointF to) const;
    QString AreaStepName(const char* verb, const AreaRecord& area) const;

    CoreContext& context_;
    DocumentHost& host_;
    Clock& clock_;
    DocumentModel model_;
    QUndoStack undo_;
    View view_;
    QImage picture_;
    View pictureView_; // the view the picture was drawn for
    std::shared_ptr<Redraw> redraw_;
    std::vector<std::shared_ptr<Redraw>> superseded_;
    bool reporting_ = false;
    bool redrawPending_ = false;
    bool closeAnswered_ = false;
    Cause pendingCause_ = Cause::Moving;
    // The failures boxed since the document was opened, by curve: the curve as it was and
    // the box's text.
    struct Reported {
        CurveRecord curve;
        std::string text;
    };
    std::map<int32_t, Reported> reported_;
    bool loaded_ = false;
    bool placing_ = false;
    // Slider redraws: the drawings of the last picture and what they were drawn for.
    struct SliderRedraw {
        std::set<int32_t> anew;
        std::vector<int32_t> leftOut;
        std::vector<MessageRequest> failures;
        std::vector<int32_t> failedCurves;
        std::vector<std::string> summaries;
        bool quiet = false;
    };
    std::unique_ptr<SliderRedraw> slider_;
    PictureJob::Drawings drawings_;
    View drawingsView_;
    QSize drawingsSize_;
    qreal drawingsRatio_ = 0;
    int lastWorkedOut_ = 0;
    // Key points and trace.
    struct Search;
    void FindKeyPoints();
    void SearchDone(const std::shared_ptr<Search>& search);
    void PaintMarks(QPainter& painter);
    // The labels' font: the surface's, a little smaller.
    QFont MarkFont() const;
    // The marks of the last search painted once on a layer of their own, laid over the
    // picture as the picture is.
    void PaintMarksLayer();
    void ShowMarkTip(QPointF at, QPoint global);
    bool keyPointsShown_ = false;
    std::vector<KeyPoint> keyPoints_;
    std::vector<int32_t> leftOut_;
    std::vector<int32_t> partial_;
    std::shared_ptr<Search> search_;
    MarkPlan marks_;
    std::vector<std::optional<size_t>> markOf_; // by key point: its mark
    QImage marksLayer_;
    View marksView_;
    bool tracing_ = false;
    std::unique_ptr<CurveTracer> tracer_;
    View tracerView_;
    std::optional<TracedPoint> traced_;
    struct TraceBuild;
    std::shared_ptr<TraceBuild> traceBuild_;
    QPointF tracePointer_;         // where the pointer last was while tracing
    bool pointerInside_ = false;   // it has moved over the surface and not left
    // Starts sampling the shown curves for the view on a thread of their own.
    void BuildTracer();
    // Whether the samples for the view are ready; the first asking of each sampling waits for
    // it at most waitMilliseconds (forever when negative).
    bool TracerReady(int waitMilliseconds);
    void TracerBuilt(const std::shared_ptr<TraceBuild>& build);
    // The traced point under the pointer at p and the read-out for it; whether there is one.
    bool TraceAt(QPointF p);
    void StopTracer();
    // Gestures.
    enum class Drag { None, Pan, Band, Interval };
    // The interval chosen by a drag, while one is being chosen.
    std::function<void(double, double)> pickDone_;
    bool pickAlongX_ = true;
    Drag drag_ = Drag::None;
    QPointF pressAt_, releaseAt_;
    bool bandByRight_ = false; // a right click that does not drag opens the menu
    View viewAtPress_;
    QRubberBand* band_ = nullptr;
    int wheelRest_ = 0; // a touchpad's part of a notch
    QTimer gesturePause_;
};

} // namespace orbiplot
