#include "docwin/frmDocument.h"

#include "base/Seams.h"
#include "docwin/DocumentHost.h"
#include "docwin/frmProgress.h"
#include "expr/CoreContext.h"
#include "services/PictureFile.h"
#include "services/QtCanvas.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QPainter>

namespace orbiplot {

namespace {

// The picture's canvas; between curves it lets the progress window appear and, once it is
// up, shows the picture growing curve by curve.
class DocumentCanvas : public QtCanvas {
public:
    DocumentCanvas(QImage& picture, const View& view, QWidget& window, frmProgress& progress)
        : QtCanvas(picture, view, window.font()), window_(window), progress_(progress) {}
    void Repaint() override {
        QtCanvas::Repaint();
        progress_.Tick();
        if (progress_.isVisible()) window_.repaint();
    }

private:
    QWidget& window_;
    frmProgress& progress_;
};

} // namespace

frmDocument::frmDocument(CoreContext& context, DocumentHost& host, Clock& clock, QWidget* parent)
    : QWidget(parent), context_(context), host_(host), clock_(clock), model_(context),
      view_(InitialWidthTwips, InitialHeightTwips) {
    model_.SetView(this);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    ResizePicture();
}

frmDocument::~frmDocument() {
    if (loaded_) host_.DocumentUnloaded();
}

QSize frmDocument::PictureSize() const { return size().expandedTo(QSize(1, 1)); }

void frmDocument::ResizePicture() {
    // The picture has the screen's own pixels (two per logical pixel at 200 %), so curves and
    // text stay sharp; everything that measures in pixels keeps measuring in logical ones.
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(PictureSize()) * ratio).toSize().expandedTo(QSize(1, 1));
    if (picture_.size() == pixels && picture_.devicePixelRatio() == ratio) return;
    picture_ = QImage(pixels, QImage::Format_RGB32);
    picture_.setDevicePixelRatio(ratio);
    picture_.fill(Qt::white);
}

void frmDocument::Draw(const std::function<void(PlotEngine&)>& work) {
    if (drawing_) {
        redrawPending_ = true;
        return;
    }
    drawing_ = true;
    std::function<void(PlotEngine&)> next = work;
    do {
        redrawPending_ = false;
        ResizePicture(); // a resize met during the last pass left the size for now
        {
            DocumentCanvas canvas(picture_, view_, *this, host_.Progress());
            PlotEngine engine(model_, view_, canvas, context_, clock_, *this);
            next(engine);
        }
        next = [](PlotEngine& engine) { engine.RefreshAll(); };
    } while (redrawPending_);
    drawing_ = false;
    update();
}

void frmDocument::RefreshFun(int32_t num, bool isAll) {
    Draw([&](PlotEngine& engine) { engine.RefreshFun(num, isAll); });
}

void frmDocument::Zoom(float factor, bool byX, bool byY) {
    Draw([&](PlotEngine& engine) { engine.Zoom(factor, byX, byY); });
}

bool frmDocument::ModifyFun(const CurveRecord& curve, int32_t modifyNum, bool isNew) {
    return model_.ModifyFun(curve, modifyNum, isNew);
}

void frmDocument::DrawCurve(int32_t num) {
    if (!loaded_) return;
    Draw([&](PlotEngine& engine) { engine.DrawCurve(num); });
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
    ShowDocument();
}

bool frmDocument::LoadDoc(const std::string& path) {
    if (!model_.LoadDoc(path)) return false;
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
    return model_.SaveDoc(path, fromScratch);
}

std::string frmDocument::SvgPicture() {
    return EncodeSvg(PictureSize(), QString::fromStdString(model_.GetDocInfo().Title),
                     [&](QPaintDevice& device) {
                         QtCanvas canvas(device, view_, font());
                         DrawQuietly(canvas);
                     });
}

bool frmDocument::PrintTo(QPaintDevice& page) {
    QtCanvas canvas(page, view_, font(), PictureSize());
    if (!canvas.IsActive()) return false;
    DrawQuietly(canvas);
    return true;
}

void frmDocument::DrawQuietly(Canvas& canvas) {
    PlotStatus quiet;
    PlotEngine engine(model_, view_, canvas, context_, clock_, quiet);
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
    painter.drawImage(0, 0, picture_);
}

void frmDocument::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (width() < 1 || height() < 1) return;
    view_.Resize(width() * TwipsPerPixel, height() * TwipsPerPixel);
    if (drawing_) {
        // The picture is being painted; the redraw after it picks up the new size.
        redrawPending_ = true;
        return;
    }
    ResizePicture();
    if (loaded_ && !placing_) RefreshAll();
}

void frmDocument::keyPressEvent(QKeyEvent* event) {
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
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void frmDocument::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta > 0)
        Zoom(ZoomInFactor, true, true);
    else if (delta < 0)
        Zoom(ZoomOutFactor, true, true);
    event->accept();
}

void frmDocument::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    const float x = view_.ScaleLeft() + static_cast<float>(p.x() / width()) * view_.ScaleWidth();
    const float y = view_.ScaleTop() + static_cast<float>(p.y() / height()) * view_.ScaleHeight();
    host_.SetStatusText(StatusPanel::Readout, QString::fromStdString(PointerReadout(x, y)));
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

void frmDocument::closeEvent(QCloseEvent* event) {
    if (model_.IsModified() && !AskToSave()) {
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
