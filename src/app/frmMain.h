#pragma once

#include "analysis/KeyPoints.h"
#include "base/RandomSource.h"
#include "doc/CurveRecord.h"
#include "doc/DocumentModel.h"
#include "docwin/DocumentHost.h"

#include <QAction>
#include <QMainWindow>
#include <QPointer>
#include <QUndoGroup>
#include <QUrl>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace orbiplot {

class AppContext;
class frmDocument;
class frmExpressionParse;
class frmProgress;

// The multiple-document main window: menus, toolbars, status bar and the document
// commands.
class frmMain : public QMainWindow, public DocumentHost {
    Q_OBJECT
public:
    explicit frmMain(AppContext& context, QWidget* parent = nullptr);
    ~frmMain() override;

    // Shows the new-document dialog.
    void LoadNewDoc();
    // The save command on the active document; true when it was saved.
    bool mnuFileSave_Click();
    // Opens a document file in a new window; false when the file was refused.
    bool OpenDocument(const std::string& path);

    // The active document window, or none.
    frmDocument* ActiveDocument() const;
    QList<frmDocument*> Documents() const;
    QMdiArea* MdiArea() const { return mdiArea_; }

    // Enables or disables the commands that need an open document.
    void SetDocumentCommandsEnabled(bool enabled);

    // Every command of the window: one action each, shared by its menu item and its toolbar
    // button.
    struct Commands {
        QMenu *FileMenu, *ViewMenu, *CurveMenu, *ZoomMenu, *CalculateMenu, *ToolsMenu, *WindowMenu,
            *HelpMenu;
        QAction *FileNew, *FileOpen, *FileClose, *FileSave, *FileSaveAs, *FileExport,
            *FileProperties, *FilePrint, *FileExit, *FileShutDown;
        // Sharing the picture, after the file menu's own items.
        QAction *FileCopyPicture, *FilePrintPreview;
        QAction *ViewToolbar, *ViewStatusBar, *ViewRefresh;
        QAction* CurveManager;
        // Taking back the active document's last change, and making it again.
        QAction *CurveUndo, *CurveRedo;
        // The add-curve items by curve type.
        std::array<QAction*, CurveTypeCount> CurveAdd;
        // The implicit curve, after the general curves' items.
        QAction* CurveAddImplicit;
        QAction *ZoomIn, *ZoomOut, *ZoomInByX, *ZoomInByY, *ZoomOutByX, *ZoomOutByY;
        // Moving around the plane, after the zoom steps.
        QAction *ViewReset, *ViewEqualScale, *ViewCentre;
        QAction *CalculateExpression, *CalculatePL, *CalculateLL;
        // Reading the graph, after the calculators: both checkable, per document.
        QAction *CalculateKeyPoints, *CalculateTrace;
        // The constants' sliders, a panel of its own.
        QAction* CalculateSliders;
        // Calculus on the graph, after the sliders: new curves, areas and lengths, and the
        // panel that lists the areas and lengths (checkable).
        QAction *CalculateDerivative, *CalculateTangent, *CalculateNormal, *CalculateArea,
            *CalculateLength, *CalculateAreas;
        QAction *ToolsConstantManager, *ToolsNote, *ToolsCalc, *ToolsExplorer, *ToolsOptions;
        QAction *WindowNew, *WindowCascade, *WindowTileHorizontal, *WindowTileVertical,
            *WindowArrangeIcons;
        QAction *HelpContents, *HelpTip, *HelpHomepage, *HelpEmail, *HelpBoard, *HelpHost,
            *HelpAbout;
        // The main toolbar's web button, with its own menu of the web commands.
        QAction* OnWeb;
        // The documents last opened or saved, at the end of the file menu.
        std::array<QAction*, 8> Recent;
    };
    const Commands& Command() const { return commands_; }

    // DocumentHost
    void SetStatusText(StatusPanel panel, const QString& text) override;
    void ShowNotice(const QString& text) override;
    // How long a passing note stays over the status bar.
    static constexpr int NoticeMilliseconds = 8000;
    void DocumentLoaded() override;
    void DocumentUnloaded() override;
    void DocumentSaved(const std::string& path) override;
    void ShowDocumentMenu(frmDocument& document, QPoint at) override;
    bool SaveUntitled(frmDocument& document) override;
    void OpenCurveManager(frmDocument& document) override;
    void PlaceNewWindow(QWidget& frame) override;
    frmProgress& Progress() override { return *progress_; }
    int RedrawWaitMilliseconds() const override;

    // Opens a new expression calculator window with the next number in its caption.
    frmExpressionParse* OpenCalculator();

    // The tip of the day, modal.
    void ShowTip();
    // The help window at its start page.
    void ShowHelp();
    // The about window, playing the music while it is open.
    void ShowAbout();
    // The splash window of start-up.
    void ShowSplash();

    // Opens the curve dialog for a new curve of the type on the active document.
    void AddCurve(int32_t type);

    // Opens each dropped document file in a window of its own; other files are ignored.
    void OpenDroppedFiles(const QList<QUrl>& urls);

    // The file commands, callable directly.
    void FileOpen();
    bool FileSaveAs();
    void FileExport();
    void FilePrint();
    void FilePrintPreview();
    void ReportPrintFailure(const std::string& why);
    // The active document's picture on the clipboard, as an image and as SVG.
    void CopyPicture();
    void FileProperties();
    // The options dialog; after OK the active document is drawn with the new look.
    void ShowOptions();
    // Opens entry i of the recent documents: the window of an open one comes to the front; a
    // file gone is reported and leaves the list.
    void OpenRecent(int i);
    const std::vector<std::string>& RecentDocuments() const { return recent_; }
    QUndoGroup& UndoGroup() { return undoGroup_; }
    class frmKeyPoints* KeyPointsPanel() const {
        return keyPoints_;
    }
    class frmConstSliders* SlidersPanel() const {
        return sliders_;
    }
    // Opens or closes the constants' sliders (closing asks about values not kept).
    void ShowSliders(bool shown);

    // Calculus on the active document. The point a command works at is where the document's
    // menu was opened, else the one key point chosen in the key points panel, else the traced
    // point.
    // A new curve, the derivative of a Y=f(X) or X=f(Y) curve (asked for when several).
    void AddDerivative();
    // A new line, the tangent or the normal at the point.
    void AddTangent(bool normal);
    // The area or length dialog; OK adds it to the document and shows the panel.
    void OpenMeasure(AreaRecord::Kind kind);
    void ShowAreas(bool shown);
    class frmAreas* AreasPanel() const {
        return areas_;
    }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* AddAction(QMenu* menu, const char* name, const QString& caption,
                       const QKeySequence& shortcut = {});
    QMenu* AddMenu(QMenu* parent, const char* name, const QString& caption);
    void BuildMenus();
    void BuildMainToolbar();
    void BuildViewToolbars();
    class QToolBar* NewToolbar(const char* name, const QString& title);
    void AddButton(class QToolBar* bar, QAction* command, const char* icon,
                   const QString& buttonText, const QString& tooltip);
    void BuildFileMenu();
    void BuildViewMenu();
    void BuildCurveMenu();
    void BuildZoomMenu();
    void BuildCalculateMenu();
    void BuildToolsMenu();
    void BuildWindowMenu();
    void BuildHelpMenu();
    // Connects a command to what it does; the command is returned.
    template <class Slot> QAction* On(QAction* action, Slot slot) {
        connect(action, &QAction::triggered, this, slot);
        return action;
    }
    // What a command does to the active document, when there is one.
    std::function<void()> WithDocument(void (frmDocument::*method)());
    void BuildToolbars();
    void BuildStatusBar();
    void UpdateLockPanels();
    void RebuildWindowList();
    void CascadeWindows();
    void TileWindows(bool horizontal);
    void ArrangeIcons();
    void ShutDown();
    void LoadPlacement();
    void SavePlacement();
    // Sizes the window so that its outer frame has the stored size; the frame is known
    // only after the window manager has framed the window, so it is tried a few times.
    void FitFrameToPlacement(int triesLeft);
    bool SaveDocumentAs(frmDocument& document, const std::string& title);
    frmDocument* CreateDocumentWindow();
    // Puts a document opened or saved at the head of the recent list, in the settings file.
    void RememberDocument(const std::string& path);
    void ShowRecentDocuments();
    // The list kept (in the settings file when it can be written) and shown.
    void SetRecentDocuments(std::vector<std::string> list);
    void UpdateUndoCommands();
    void ZoomActive(float factor, bool byX, bool byY);

    AppContext& context_;
    QMdiArea* mdiArea_;
    frmProgress* progress_;
    Commands commands_{};
    QList<QToolBar*> toolbars_;
    QList<QAction*> windowListActions_;
    std::array<QLabel*, StatusPanelCount> panels_{};
    QLabel* Panel(StatusPanel panel) const { return panels_[static_cast<size_t>(panel) - 1]; }
    QPointer<class frmFunManager> funManager_;
    QUndoGroup undoGroup_;
    std::vector<std::string> recent_;
    QAction* recentSeparator_ = nullptr;
    // The placement as loaded: the outer frame in pixels and the stored twips.
    struct Placement {
        QRect Outer;
        int Twips[4];
    } placement_{};
    bool framed_ = false;
    QPointer<class frmHelp> help_;
    // The key points of the active document, docked at the right once first shown.
    class frmKeyPoints* keyPoints_ = nullptr;
    void ShowKeyPoints(bool shown);
    class frmConstSliders* sliders_ = nullptr;
    class frmAreas* areas_ = nullptr;
    // Where on the document's surface its menu was opened, while the menu is open.
    std::optional<QPointF> menuPoint_;
    // The point the calculus commands work at, or why there is none.
    std::optional<TracedPoint> CommandPoint(frmDocument& document, std::string& why);
    // The dialog again after an interval was dragged.
    void ContinueMeasure(AreaRecord area, std::optional<std::pair<double, double>> ends);
    void BuildCalculusItems(QMenu* calculate);
    void SetTracing(bool on);
    // The checkable commands show the state of the document that came to the front.
    void FollowActiveDocument();
    std::unique_ptr<class MciCommandSink> ownMci_;
    std::unique_ptr<class clsMultimedia> music_;
    // The music's alias numbers draw from a source of their own, so that opening the about
    // window never reseeds what RND gives in expressions.
    DefaultRandomSource musicRandom_;
    // The lock keys' panels read the keyboard through one connection, closed with the window.
    std::unique_ptr<class KeyboardLockReader> lockReader_;
    class frmSplash* NewSplash();
};

} // namespace orbiplot
