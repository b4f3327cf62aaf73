#pragma once

#include "doc/DocumentModel.h"
#include "plot/PlotEngine.h"
#include "plot/View.h"

#include <QImage>
#include <QWidget>

#include <functional>

namespace orbiplot {

class Clock;
class CoreContext;
class DocumentHost;
class QtCanvas;
class frmProgress;

// A graph document in its own child window: the drawing surface showing the engine's
// persistent picture, the view, the keys, the pointer read-out and the save question.
class frmDocument : public QWidget, private DocumentView, private PlotStatus {
    Q_OBJECT
public:
    frmDocument(CoreContext& context, DocumentHost& host, Clock& clock, QWidget* parent = nullptr);
    ~frmDocument() override;

    // The document operations the other windows use.
    bool ModifyFun(const CurveRecord& curve, int32_t modifyNum, bool isNew);
    bool DeleteFun(int32_t num) { return model_.DeleteFun(num); }
    int32_t GetLastCountAdd1() const { return model_.GetLastCountAdd1(); }
    std::vector<std::string> GetFunList() const { return model_.GetFunList(); }
    std::vector<bool> GetFunListShowHide() const { return model_.GetFunListShowHide(); }
    bool SetFunListShowHide(int32_t num, bool show) { return model_.SetFunListShowHide(num, show); }
    void RefreshFun(int32_t num = 0, bool isAll = false);
    void RefreshAll() { RefreshFun(0, true); }
    void NewDoc(const DocInfo& info);
    DocInfo GetDocInfo() const { return model_.GetDocInfo(); }
    void ModifyDocInfo(const DocInfo& info) { model_.ModifyDocInfo(info); }
    void Zoom(float factor, bool byX = true, bool byY = true);
    void CloseDoc();
    bool SaveDoc(const std::string& path, bool fromScratch = false);
    // Fills the window from a file and shows it; false when the file was refused.
    bool LoadDoc(const std::string& path);
    const std::string& GetIPath() const { return model_.GetIPath(); }

    DocumentModel& Model() { return model_; }
    frmProgress& Progress();
    const View& ViewState() const { return view_; }
    // The picture drawn anew as SVG.
    std::string SvgPicture();
    // Draws the document on a printed page (any paint device), scaled from the window's
    // picture to fit it, sharp at the device's resolution; false when it cannot be painted.
    bool PrintTo(QPaintDevice& page);
    // The persistent picture: what the window shows and exports.
    const QImage& Picture() const { return picture_; }

    // The document is ready to be shown: caption, placement inside its frame, first draw.
    void ShowDocument();

    // Outer size of a new document window in twips.
    static constexpr int InitialWidthTwips = 5400;
    static constexpr int InitialHeightTwips = 5115;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    // DocumentView
    void DrawCurve(int32_t num) override;
    void SetCaption(const std::string& title) override;
    // PlotStatus
    void SetStatusText(StatusPanel panel, const std::string& text) override;
    void ShowProgress() override;
    void HideProgress() override;

    // Runs drawing work on the picture; a redraw asked for meanwhile is folded into one
    // full redraw afterwards, so redraws never nest.
    void Draw(const std::function<void(PlotEngine&)>& work);
    void ResizePicture();
    // The picture's size in logical pixels: the window's.
    QSize PictureSize() const;
    // A full redraw on another surface, leaving the window's status and picture alone.
    void DrawQuietly(Canvas& canvas);
    bool AskToSave();

    CoreContext& context_;
    DocumentHost& host_;
    Clock& clock_;
    DocumentModel model_;
    View view_;
    QImage picture_;
    bool drawing_ = false;
    bool redrawPending_ = false;
    bool loaded_ = false;
    bool placing_ = false;
};

} // namespace orbiplot
