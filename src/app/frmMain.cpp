#include "app/frmMain.h"

#include "app/AppContext.h"
#include "app/KeyboardLocks.h"
#include "app/modMain.h"
#include "base/AppError.h"
#include "base/AppSettings.h"
#include "base/FileAccess.h"
#include "base/NumberFormat.h"
#include "base/RecentDocuments.h"
#include "base/TipOfDay.h"
#include "base/WebAddresses.h"
#include "base/clsINI.h"
#include "base/modError.h"
#include "dialogs/LineCalculatorDialog.h"
#include "dialogs/frmAreas.h"
#include "dialogs/frmConstManager.h"
#include "dialogs/frmConstSliders.h"
#include "dialogs/frmExportOptions.h"
#include "dialogs/frmExpressionParse.h"
#include "dialogs/frmFunAdd.h"
#include "dialogs/frmFunManager.h"
#include "dialogs/frmHelp.h"
#include "dialogs/frmKeyPoints.h"
#include "dialogs/frmNewDoc.h"
#include "dialogs/frmOptions.h"
#include "dialogs/frmSplash.h"
#include "dialogs/frmTip.h"
#include "docwin/frmDocument.h"
#include "docwin/frmProgress.h"
#include "services/FluidSynthMci.h"
#include "services/PictureExport.h"
#include "services/PictureFile.h"
#include "services/clsMultimedia.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <filesystem>
#include <functional>

namespace orbiplot {

namespace {

const char* const InitialStatusText = "状态";
const char* const InitialZoomText = "缩放:(X:100.00%; Y:100.00%)";

QIcon Icon(const char* name) { return QIcon(QString(":/icons/") + name + ".svg"); }

const std::vector<FileFilter> DocumentFilters = {{"Orbiplot 文档 (*.opd)", "*.opd"}};
const std::vector<FileFilter> PictureFilters = {{"24 位位图 (*.bmp)", "*.bmp"},
                                                {"PNG 图像 (*.png)", "*.png"},
                                                {"SVG 图像 (*.svg)", "*.svg"},
                                                {"PDF 文档 (*.pdf)", "*.pdf"}};

} // namespace

frmMain::frmMain(AppContext& context, QWidget* parent)
    : QMainWindow(parent), context_(context), mdiArea_(new QMdiArea(this)),
      progress_(new frmProgress(this)), lockReader_(std::make_unique<KeyboardLockReader>()) {
    setObjectName("frmMain");
    setWindowTitle("Orbiplot");
    setWindowIcon(Icon("orbiplot"));
    setAcceptDrops(true);
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->viewport()->installEventFilter(this);
    setCentralWidget(mdiArea_);
    BuildMenus();
    BuildToolbars();
    BuildStatusBar();
    LoadPlacement();
    // The zoom panel and the undo commands follow the window that comes to the front.
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) {
        frmDocument* document = ActiveDocument();
        undoGroup_.setActiveStack(document ? &document->UndoStack() : nullptr);
        if (document)
            SetStatusText(StatusPanel::Zoom,
                          QString::fromStdString(document->ViewState().ZoomStatusText()));
        FollowActiveDocument();
    });
    for (auto signal : {&QUndoGroup::canUndoChanged, &QUndoGroup::canRedoChanged})
        connect(&undoGroup_, signal, this, &frmMain::UpdateUndoCommands);
    for (auto signal : {&QUndoGroup::undoTextChanged, &QUndoGroup::redoTextChanged})
        connect(&undoGroup_, signal, this, &frmMain::UpdateUndoCommands);
    UpdateUndoCommands();
    recent_ = LoadRecentDocuments(context_.Core.SettingsFile());
    ShowRecentDocuments();
}

frmSplash* frmMain::NewSplash() {
    if (!music_) {
        MciCommandSink* sink = context_.Mci;
        if (!sink) {
            ownMci_ = std::make_unique<FluidSynthMci>();
            sink = ownMci_.get();
        }
        music_ = std::make_unique<clsMultimedia>(*sink, musicRandom_);
    }
    return new frmSplash(
        {context_.Core.Messages, context_.OpenUrl, music_.get(), FindDataFile("opabout.opm")},
        this);
}

void frmMain::ShowTip() { frmTip(context_.Core, FindDataFile(TipFileName), this).exec(); }

void frmMain::ShowHelp() {
    const std::string start = FindDataFile("help/index.html");
    if (start.empty()) {
        // Without its pages the help can only say so.
        context_.Core.Messages.ShowMessage({MsgIcon::None, MsgButtons::OK, MsgResult::OK,
                                            "Orbiplot", RuntimeErrorMessage(ErrFileNotFound)});
        return;
    }
    if (!help_) {
        help_ = new frmHelp(QString::fromStdString(start), this);
        // Beside the main window where there is room, always whole on the screen.
        if (const QScreen* screen = this->screen()) {
            const QRect area = screen->availableGeometry();
            help_->resize(help_->size().boundedTo(area.size() - QSize(40, 60)));
            QRect placed(frameGeometry().topRight() + QPoint(8, 0), help_->size());
            if (!area.contains(placed)) placed.moveCenter(area.center());
            help_->move(placed.topLeft());
        }
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void frmMain::ShowAbout() { NewSplash()->ShowAbout(); }

void frmMain::ShowSplash() { NewSplash()->ShowSplash(); }

frmMain::~frmMain() {
    // A splash or about window goes while the music it stops still exists.
    for (frmSplash* splash : findChildren<frmSplash*>())
        delete splash;
    // Documents still open go while this window can still answer them.
    for (QMdiSubWindow* sub : mdiArea_->subWindowList())
        delete sub;
    // The panels hide as the window goes: nothing of it is left to follow them.
    if (sliders_) sliders_->disconnect(this);
    delete sliders_;
    delete keyPoints_;
    delete areas_;
}

QAction* frmMain::AddAction(QMenu* menu, const char* name, const QString& caption,
                            const QKeySequence& shortcut) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
    }
    menu->addAction(action);
    return action;
}

QMenu* frmMain::AddMenu(QMenu* parent, const char* name, const QString& caption) {
    QMenu* m = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    return m;
}

std::function<void()> frmMain::WithDocument(void (frmDocument::*method)()) {
    return [this, method] {
        if (frmDocument* document = ActiveDocument()) (document->*method)();
    };
}

void frmMain::BuildMenus() {
    BuildFileMenu();
    BuildViewMenu();
    BuildCurveMenu();
    BuildZoomMenu();
    BuildCalculateMenu();
    BuildToolsMenu();
    BuildWindowMenu();
    BuildHelpMenu();
}

void frmMain::BuildFileMenu() {
    Commands& c = commands_;
    QMenu* file = c.FileMenu = AddMenu(nullptr, "mnuFile", "文件(&F)");
    c.FileNew =
        On(AddAction(file, "mnuFileNew", "新建(&N)", QKeySequence("Ctrl+N")), &frmMain::LoadNewDoc);
    c.FileOpen = On(AddAction(file, "mnuFileOpen", "打开(&O)...", QKeySequence("Ctrl+O")),
                    &frmMain::FileOpen);
    c.FileClose =
        On(AddAction(file, "mnuFileClose", "关闭(&C)"), WithDocument(&frmDocument::CloseDoc));
    file->addSeparator();
    c.FileSave = On(AddAction(file, "mnuFileSave", "保存(&S)", QKeySequence("Ctrl+S")),
                    [this] { mnuFileSave_Click(); });
    c.FileSaveAs = On(AddAction(file, "mnuFileSaveAs", "另存为(&A)..."), [this] { FileSaveAs(); });
    c.FileExport =
        On(AddAction(file, "mnuFileExport", "保存为 BMP 图像(&E)..."), &frmMain::FileExport);
    file->addSeparator();
    c.FileProperties =
        On(AddAction(file, "mnuFileProperties", "属性(&I)...", QKeySequence("Ctrl+I")),
           &frmMain::FileProperties);
    file->addSeparator();
    c.FilePrint = On(AddAction(file, "mnuFilePrint", "打印(&P)", QKeySequence("Ctrl+P")),
                     &frmMain::FilePrint);
    file->addSeparator();
    c.FileExit =
        On(AddAction(file, "mnuFileExit", "退出(&X)", QKeySequence("Ctrl+X")), &QWidget::close);
    c.FileShutDown =
        On(AddAction(file, "mnuFileShutDown", "关闭系统(&U)...", QKeySequence("Ctrl+U")),
           &frmMain::ShutDown);
    file->addSeparator();
    c.FileCopyPicture =
        On(AddAction(file, "mnuFileCopyPicture", "复制图形(&G)", QKeySequence("Ctrl+Shift+C")),
           &frmMain::CopyPicture);
    c.FilePrintPreview =
        On(AddAction(file, "mnuFilePrintPreview", "打印预览(&V)..."), &frmMain::FilePrintPreview);
    recentSeparator_ = file->addSeparator();
    file->setToolTipsVisible(true); // the whole path of a recent document
    for (int i = 0; i < RecentLimit; ++i) {
        c.Recent[static_cast<size_t>(i)] = AddAction(file, "mnuFileRecent", "");
        c.Recent[static_cast<size_t>(i)]->setObjectName(QString("mnuFileRecent%1").arg(i + 1));
        On(c.Recent[static_cast<size_t>(i)], [this, i] { OpenRecent(i); });
    }
}

void frmMain::BuildViewMenu() {
    Commands& c = commands_;
    QMenu* view = c.ViewMenu = AddMenu(nullptr, "mnuView", "视图(&V)");
    c.ViewToolbar = AddAction(view, "mnuViewToolbar", "工具栏(&T)");
    c.ViewToolbar->setCheckable(true);
    c.ViewToolbar->setChecked(true);
    connect(c.ViewToolbar, &QAction::toggled, this, [this](bool shown) {
        for (QToolBar* t : toolbars_)
            t->setVisible(shown);
    });
    c.ViewStatusBar = AddAction(view, "mnuViewStatusBar", "状态栏(&B)");
    c.ViewStatusBar->setCheckable(true);
    c.ViewStatusBar->setChecked(true);
    connect(c.ViewStatusBar, &QAction::toggled, this,
            [this](bool shown) { statusBar()->setVisible(shown); });
    view->addSeparator();
    c.ViewRefresh = On(AddAction(view, "mnuViewRefresh", "刷新(&R)", QKeySequence(Qt::Key_F5)),
                       WithDocument(&frmDocument::RefreshAll));
}

void frmMain::BuildCurveMenu() {
    Commands& c = commands_;
    QMenu* curve = c.CurveMenu = AddMenu(nullptr, "mnuCurve", "曲线(&U)");
    c.CurveManager =
        On(AddAction(curve, "mnuCurveManager", "曲线函数管理器(&M)...", QKeySequence("Ctrl+M")),
           [this] {
               if (frmDocument* document = ActiveDocument()) OpenCurveManager(*document);
           });
    curve->addSeparator();
    QMenu* add = AddMenu(curve, "mnuCurveAdd", "添加曲线(直角坐标)(&A)");
    const auto addItem = [&](QMenu* m, const char* name, const char* caption, CurveType type) {
        c.CurveAdd[type] = On(AddAction(m, name, caption), [this, type] { AddCurve(type); });
    };
    QMenu* general = AddMenu(add, "mnuCurveAddCurve", "一般曲线(&G)");
    addItem(general, "mnuCurveAddCurveGeneralY", "普通方程 - Y=f(X)(&Y)", CurveGeneralY);
    addItem(general, "mnuCurveAddCurveGeneralX", "普通方程 - X=f(Y)(&X)", CurveGeneralX);
    addItem(general, "mnuCurveAddCurveParameter", "参数方程(&P)", CurveParameter);
    c.CurveAddImplicit = On(AddAction(general, "mnuCurveAddCurveImplicit", "隐函数 F(X,Y)=0(&I)"),
                            [this] { AddCurve(Implicit); });
    add->addSeparator();
    addItem(add, "mnuCurveAddPoint", "点(&P)", Point);
    QMenu* line = AddMenu(add, "mnuCurveAddLine", "直线(&L)");
    addItem(line, "mnuCurveAddLineGeneral", "一般式(&G)", LineGeneral);
    line->addSeparator();
    addItem(line, "mnuCurveAddLinePS", "点斜式(&O)", LinePS);
    addItem(line, "mnuCurveAddLineSI", "斜截式(&S)", LineSI);
    addItem(line, "mnuCurveAddLinePP", "两点式(&P)", LinePP);
    addItem(line, "mnuCurveAddLineII", "截距式(&I)", LineII);
    add->addSeparator();
    QMenu* circle = AddMenu(add, "mnuCurveAddCircle", "圆(&C)");
    addItem(circle, "mnuCurveAddCircleStandard", "标准方程(&S)", CircleStandard);
    circle->addSeparator();
    addItem(circle, "mnuCurveAddCircleGeneral", "一般方程(&G)", CircleGeneral);
    addItem(add, "mnuCurveAddEllipse", "椭圆(&E)", Ellipse);
    QMenu* hyperbola = AddMenu(add, "mnuCurveAddHyperbola", "双曲线(&H)");
    addItem(hyperbola, "mnuCurveAddHyperbolaX", "关于X轴对称(&X)", HyperbolaX);
    addItem(hyperbola, "mnuCurveAddHyperbolaY", "关于Y轴对称(&Y)", HyperbolaY);
    QMenu* parabola = AddMenu(add, "mnuCurveAddParabola", "抛物线(&P)");
    addItem(parabola, "mnuCurveAddParabolaX", "关于X轴对称(&X)", ParabolaX);
    addItem(parabola, "mnuCurveAddParabolaY", "关于Y轴对称(&Y)", ParabolaY);
    addItem(curve, "mnuCurveAddPolar", "添加曲线(极坐标)(&P)", Polar);
    curve->addSeparator();
    // In a text box the keys stay the box's own: the box takes them first.
    c.CurveUndo = On(AddAction(curve, "mnuCurveUndo", "撤销(&U)", QKeySequence("Ctrl+Z")),
                     [this] { undoGroup_.undo(); });
    c.CurveRedo = On(AddAction(curve, "mnuCurveRedo", "重做(&R)", QKeySequence("Ctrl+Y")),
                     [this] { undoGroup_.redo(); });
    c.CurveRedo->setShortcuts({QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")});
}

void frmMain::BuildZoomMenu() {
    Commands& c = commands_;
    QMenu* zoom = c.ZoomMenu = AddMenu(nullptr, "mnuZoom", "缩放(&Z)");
    const auto zoomItem = [&](const char* name, const char* caption, float factor, bool byX,
                              bool byY) {
        return On(AddAction(zoom, name, caption),
                  [this, factor, byX, byY] { ZoomActive(factor, byX, byY); });
    };
    c.ZoomIn = zoomItem("mnuZoomIn", "放大(&I)", ZoomInFactor, true, true);
    c.ZoomOut = zoomItem("mnuZoomOut", "缩小(&O)", ZoomOutFactor, true, true);
    zoom->addSeparator();
    c.ZoomInByX = zoomItem("mnuZoomInByX", "沿X轴放大(&X)", ZoomInFactor, true, false);
    c.ZoomInByY = zoomItem("mnuZoomInByY", "沿Y轴放大(&Y)", ZoomInFactor, false, true);
    c.ZoomOutByX = zoomItem("mnuZoomOutByX", "沿X轴缩小(&C)", ZoomOutFactor, true, false);
    c.ZoomOutByY = zoomItem("mnuZoomOutByY", "沿Y轴缩小(&U)", ZoomOutFactor, false, true);
    zoom->addSeparator();
    // Home is the document window's own key (a text box keeps its Home); the menu names it.
    c.ViewReset = On(AddAction(zoom, "mnuZoomReset", "还原视图(&R)\tHome"),
                     WithDocument(&frmDocument::ResetView));
    c.ViewEqualScale = On(AddAction(zoom, "mnuZoomEqualScale", "等比例(&E)"),
                          WithDocument(&frmDocument::EqualScale));
    c.ViewCentre = On(AddAction(zoom, "mnuZoomCentre", "居中到原点(&G)"),
                      WithDocument(&frmDocument::CentreOnOrigin));
}

void frmMain::BuildCalculateMenu() {
    Commands& c = commands_;
    QMenu* calculate = c.CalculateMenu = AddMenu(nullptr, "mnuCalculate", "计算(&C)");
    c.CalculateExpression = On(AddAction(calculate, "mnuCalculateExpression", "表达式计算器(&C)"),
                               &frmMain::OpenCalculator);
    calculate->addSeparator();
    c.CalculatePL = On(AddAction(calculate, "mnuCalculatePL", "点线位置关系(&P)"),
                       [this] { frmPL(context_.Core.Messages, this).Run(); });
    c.CalculateLL = On(AddAction(calculate, "mnuCalculateLL", "线线位置关系(&L)"),
                       [this] { frmLL(context_.Core.Messages, this).Run(); });
    calculate->addSeparator();
    c.CalculateKeyPoints =
        AddAction(calculate, "mnuCalculateKeyPoints", "关键点(&K)", QKeySequence("Ctrl+K"));
    c.CalculateKeyPoints->setCheckable(true);
    connect(c.CalculateKeyPoints, &QAction::triggered, this, &frmMain::ShowKeyPoints);
    c.CalculateTrace =
        AddAction(calculate, "mnuCalculateTrace", "跟踪(&T)", QKeySequence("Ctrl+T"));
    c.CalculateTrace->setCheckable(true);
    connect(c.CalculateTrace, &QAction::triggered, this, &frmMain::SetTracing);
    c.CalculateSliders = AddAction(calculate, "mnuCalculateSliders", "常数滑块(&S)");
    c.CalculateSliders->setCheckable(true);
    connect(c.CalculateSliders, &QAction::triggered, this, &frmMain::ShowSliders);
    BuildCalculusItems(calculate);
}

void frmMain::BuildToolsMenu() {
    Commands& c = commands_;
    QMenu* tools = c.ToolsMenu = AddMenu(nullptr, "mnuTools", "工具(&T)");
    // Inside a text box Ctrl+C stays the box's copy; everywhere else it opens the manager.
    c.ToolsConstantManager =
        On(AddAction(tools, "mnuToolConstantManager", "常数管理器(&C)...", QKeySequence("Ctrl+C")),
           [this] {
               frmConstManager(context_.Core).exec();
               // The manager saved the constants: the sliders start from the file again.
               if (sliders_) sliders_->Reload();
           });
    tools->addSeparator();
    const auto systemTool = [&](const char* name, const char* caption, int32_t index) {
        return On(AddAction(tools, name, caption),
                  [this, index] { modMain::RunWindowsTool(context_, index); });
    };
    c.ToolsNote = systemTool("mnuToolsWinNote", "记事本(&N)", 0);
    c.ToolsCalc = systemTool("mnuToolsWinCalc", "计算器(&L)", 1);
    c.ToolsExplorer = systemTool("mnuToolsWinExplorer", "文件管理器(&E)", 2);
    tools->addSeparator();
    c.ToolsOptions = On(AddAction(tools, "mnuToolsOptions", "选项(&P)..."), &frmMain::ShowOptions);
}

void frmMain::BuildWindowMenu() {
    Commands& c = commands_;
    QMenu* window = c.WindowMenu = AddMenu(nullptr, "mnuWindow", "窗口(&W)");
    c.WindowNew = On(AddAction(window, "mnuWindowNewWindow", "新建窗口(&N)"), &frmMain::LoadNewDoc);
    window->addSeparator();
    c.WindowCascade =
        On(AddAction(window, "mnuWindowCascade", "层叠(&C)"), &frmMain::CascadeWindows);
    c.WindowTileHorizontal = On(AddAction(window, "mnuWindowTileHorizontal", "横向平铺(&H)"),
                                [this] { TileWindows(true); });
    c.WindowTileVertical = On(AddAction(window, "mnuWindowTileVertical", "纵向平铺(&V)"),
                              [this] { TileWindows(false); });
    c.WindowArrangeIcons =
        On(AddAction(window, "mnuWindowArrangeIcons", "排列图标(&A)"), &frmMain::ArrangeIcons);
    connect(window, &QMenu::aboutToShow, this, &frmMain::RebuildWindowList);
}

void frmMain::BuildHelpMenu() {
    Commands& c = commands_;
    QMenu* help = c.HelpMenu = AddMenu(nullptr, "mnuHelp", "帮助(&H)");
    c.HelpContents = On(AddAction(help, "mnuHelpContents", "目录(&C)", QKeySequence(Qt::Key_F1)),
                        &frmMain::ShowHelp);
    help->addSeparator();
    c.HelpTip = On(AddAction(help, "mnuHelpTip", "日积月累(&T)...", QKeySequence(Qt::Key_F2)),
                   &frmMain::ShowTip);
    help->addSeparator();
    QMenu* web = AddMenu(help, "mnuHelpOnWeb", "Web 上的 Orbiplot(&W)");
    const auto link = [&](QMenu* m, const char* name, const char* caption, const char* address) {
        return On(AddAction(m, name, caption), [this, address] { context_.OpenUrl(address); });
    };
    c.HelpHomepage = link(web, "mnuHelpOnWebHomepage", "Orbiplot 主页", Web::HomePage);
    c.HelpEmail = link(web, "mnuHelpOnWebemail", "作者 e-Mail", Web::MailLink);
    help->addSeparator();
    c.HelpBoard = link(help, "mnuHelpBBS", "Orbiplot 论坛", Web::Board);
    c.HelpHost = link(help, "mnuHelpNimbra", "Orbiplot 网站空间", Web::Host);
    help->addSeparator();
    c.HelpAbout = On(AddAction(help, "mnuHelpAbout", "关于 Orbiplot(&A)..."), &frmMain::ShowAbout);
}

QToolBar* frmMain::NewToolbar(const char* name, const QString& title) {
    QToolBar* t = addToolBar(title);
    t->setObjectName(name);
    t->setIconSize(QSize(22, 22));
    toolbars_ << t;
    return t;
}

// The button is the command's own action; its icon stays out of the menus, which have none.
void frmMain::AddButton(QToolBar* bar, QAction* command, const char* icon,
                        const QString& buttonText, const QString& tooltip) {
    command->setIcon(Icon(icon));
    command->setIconVisibleInMenu(false);
    command->setIconText(buttonText);
    command->setToolTip(tooltip);
    bar->addAction(command);
}

void frmMain::BuildToolbars() {
    BuildMainToolbar();
    BuildViewToolbars();
}

void frmMain::BuildMainToolbar() {
    Commands& c = commands_;
    QToolBar* main = NewToolbar("tbToolBar", "标准");
    AddButton(main, c.FileNew, "new", "新建", "新建文档 (Ctrl+N)");
    AddButton(main, c.FileOpen, "open", "打开", "打开文档  (Ctrl+O)");
    AddButton(main, c.FileSave, "save", "保存", "保存文档 (Ctrl+S)");
    AddButton(main, c.FileClose, "close", "关闭", "关闭文档");
    AddButton(main, c.FileProperties, "properties", "属性", "文档属性 (Ctrl+I)");
    main->addSeparator();
    AddButton(main, c.FilePrint, "print", "打印", "打印文档 (Ctrl+P)");
    main->addSeparator();
    AddButton(main, c.ViewRefresh, "refresh", "刷新", "刷新文档 (F5)");
    main->addSeparator();
    AddButton(main, c.ToolsOptions, "options", "设置", "Orbiplot 设置");
    main->addSeparator();
    // A button of its own: a click goes to the home page, its arrow opens the web commands.
    c.OnWeb = new QAction(Icon("web"), "OnWeb", main);
    c.OnWeb->setObjectName("OnWeb");
    c.OnWeb->setToolTip("Web 上的 Orbiplot");
    connect(c.OnWeb, &QAction::triggered, c.HelpHomepage, &QAction::trigger);
    main->addAction(c.OnWeb);
    auto* webMenu = new QMenu(this);
    webMenu->addAction(c.HelpHomepage);
    QAction* email = webMenu->addAction("作者 e-mail");
    email->setObjectName("emali");
    connect(email, &QAction::triggered, c.HelpEmail, &QAction::trigger);
    webMenu->addSeparator();
    webMenu->addAction(c.HelpBoard);
    webMenu->addAction(c.HelpHost);
    c.OnWeb->setMenu(webMenu);
    if (auto* tool = qobject_cast<QToolButton*>(main->widgetForAction(c.OnWeb)))
        tool->setPopupMode(QToolButton::MenuButtonPopup);
    AddButton(main, c.HelpContents, "help", "帮助", "Orbiplot 帮助 (F1)");
    main->addSeparator();
    AddButton(main, c.CurveUndo, "undo", "撤销", "撤销 (Ctrl+Z)");
    AddButton(main, c.CurveRedo, "redo", "重做", "重做 (Ctrl+Y)");
}

void frmMain::BuildViewToolbars() {
    Commands& c = commands_;
    addToolBarBreak();
    QToolBar* zoom = NewToolbar("tbToolBar3", "缩放");
    zoom->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    AddButton(zoom, c.ZoomIn, "zoomin", "放大XY轴", "放大");
    AddButton(zoom, c.ZoomOut, "zoomout", "缩小XY轴", "缩小");
    zoom->addSeparator();
    AddButton(zoom, c.ZoomInByX, "zoominx", "放大X轴", "沿X轴放大");
    AddButton(zoom, c.ZoomInByY, "zoominy", "放大Y轴", "沿Y轴放大");
    zoom->addSeparator();
    AddButton(zoom, c.ZoomOutByX, "zoomoutx", "缩小X轴", "沿X轴缩小");
    AddButton(zoom, c.ZoomOutByY, "zoomouty", "缩小Y轴", "沿Y轴缩小");

    addToolBarBreak();
    QToolBar* curves = NewToolbar("tbToolBar2", "曲线");
    AddButton(curves, c.CurveManager, "manager", "FunManager", "曲线函数管理器 (Ctrl+M)");
    curves->addSeparator();
    AddButton(curves, c.CurveAdd[CurveGeneralY], "curve", "Curve", "添加普通方程");
    curves->addSeparator();
    AddButton(curves, c.CurveAdd[Point], "point", "Point", "添加点");
    AddButton(curves, c.CurveAdd[LineGeneral], "line", "Line", "添加直线");
    curves->addSeparator();
    AddButton(curves, c.CurveAdd[CircleStandard], "circle", "Circle", "添加圆");
    AddButton(curves, c.CurveAdd[Ellipse], "ellipse", "Ellipse", "添加椭圆");
    AddButton(curves, c.CurveAdd[HyperbolaY], "hyperbola", "Hyperbola", "添加双曲线");
    AddButton(curves, c.CurveAdd[ParabolaY], "parabola", "Parabola", "添加抛物线");

    // Moving around the plane: a bar of its own beside the curves, since the zoom bar's
    // captions fill a window of the first size.
    QToolBar* view = NewToolbar("tbToolBarView", "视图");
    AddButton(view, c.ViewReset, "viewreset", "还原", "还原视图 (Home)");
    AddButton(view, c.ViewEqualScale, "viewequal", "等比例", "X 轴与 Y 轴等比例");
    AddButton(view, c.ViewCentre, "viewcentre", "居中", "居中到原点");
    view->addSeparator();
    AddButton(view, c.CalculateKeyPoints, "keypoints", "关键点",
              "关键点: 零点、极值与交点 (Ctrl+K)");
    AddButton(view, c.CalculateTrace, "trace", "跟踪", "沿曲线跟踪 (Ctrl+T)");
}

void frmMain::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    const QString initial[StatusPanelCount] = {
        InitialStatusText, InitialZoomText, QTime::currentTime().toString("HH:mm"), "CAPS", "NUM"};
    for (size_t i = 0; i < panels_.size(); ++i) {
        QLabel* label = panels_[i] = new QLabel(initial[i], this);
        label->setObjectName(QString("sbPanel%1").arg(i + 1));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setContentsMargins(4, 0, 4, 0);
        if (i == 0)
            bar->addWidget(label, 1);
        else
            bar->addPermanentWidget(label);
    }
    SetStatusText(StatusPanel::Zoom, InitialZoomText);
    // The read-out takes the room the other panels leave; it is clipped, never drawn over
    // them, when the window is too narrow for it.
    QLabel* readout = Panel(StatusPanel::Readout);
    readout->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    readout->setMinimumWidth(
        readout->fontMetrics().horizontalAdvance("当前坐标 X=-10.000 Y=-10.000 R=14.142 Z=0.785") /
        2);
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, [this] {
        Panel(StatusPanel::Clock)->setText(QTime::currentTime().toString("HH:mm"));
        UpdateLockPanels();
    });
    clock->start(1000);
    UpdateLockPanels();
}

void frmMain::UpdateLockPanels() {
    const KeyboardLocks locks = lockReader_->Read();
    Panel(StatusPanel::CapsLock)->setEnabled(locks.Known && locks.CapsLock);
    Panel(StatusPanel::NumLock)->setEnabled(locks.Known && locks.NumLock);
}

void frmMain::SetStatusText(StatusPanel panel, const QString& text) {
    QLabel* label = Panel(panel);
    label->setText(text);
    // The zoom panel is as wide as its text: one or two percentages, never cut.
    if (panel == StatusPanel::Zoom) {
        const QMargins m = label->contentsMargins();
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(text) + m.left() + m.right() +
                               2 * label->frameWidth());
    }
}

void frmMain::ShowNotice(const QString& text) {
    if (text.isEmpty())
        statusBar()->clearMessage();
    else
        statusBar()->showMessage(text, NoticeMilliseconds);
}

void frmMain::DocumentLoaded() { modMain::DocumentLoaded(context_); }

int frmMain::RedrawWaitMilliseconds() const { return context_.RedrawWaitMilliseconds; }

void frmMain::DocumentUnloaded() {
    modMain::DocumentUnloaded(context_);
    // Nothing is left to read out or to zoom.
    if (modMain::NoDocumentOpen(context_)) {
        SetStatusText(StatusPanel::Readout, InitialStatusText);
        SetStatusText(StatusPanel::Zoom, InitialZoomText);
    }
}

void frmMain::PlaceNewWindow(QWidget& frame) {
    auto* sub = qobject_cast<QMdiSubWindow*>(&frame);
    if (!sub) return;
    // Among maximised documents a new one comes maximised, filling the area as they do;
    // moved and sized as a cascade it showed the others' frames and lost its edges.
    for (QMdiSubWindow* w : mdiArea_->subWindowList())
        if (w->isVisible() && w->isMaximized()) {
            if (!sub->isMaximized()) sub->showMaximized();
            return;
        }
    // Cascaded from the top left by a title bar's height, starting over when the steps
    // use up half the area; a window larger than the room left is made smaller to fit.
    const QRect area = mdiArea_->viewport()->rect();
    const int step = std::max(sub->height() - sub->widget()->height(), 20);
    int others = 0;
    for (QMdiSubWindow* w : mdiArea_->subWindowList())
        others += w != sub && w->isVisible() && !w->isMinimized();
    const int steps = std::max(1, std::min(area.width(), area.height()) / 2 / step);
    const int offset = (others % steps) * step;
    sub->move(offset, offset);
    const QSize room = area.size() - QSize(offset, offset);
    if (room.width() > 0 && room.height() > 0) sub->resize(sub->size().boundedTo(room));
}

void frmMain::OpenCurveManager(frmDocument& document) {
    // One manager for the application, working on the document it was opened for.
    if (funManager_ && funManager_->Document() != &document) {
        funManager_->close();
        funManager_ = nullptr;
    }
    if (!funManager_) {
        funManager_ = new frmFunManager(context_.Core, context_.Dialogs, document, this);
        funManager_->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        funManager_->RefreshFunList();
    }
    funManager_->ShowModal();
}

void frmMain::AddCurve(int32_t type) {
    if (frmDocument* document = ActiveDocument())
        frmFunAdd(context_.Core, context_.Dialogs, *document, this).NewFun(type);
}

void frmMain::SetDocumentCommandsEnabled(bool enabled) {
    const Commands& c = commands_;
    for (QAction* action : {c.FileClose, c.FileSave, c.FileSaveAs, c.FileExport, c.FilePrint,
                            c.FileProperties, c.ViewRefresh, c.FileCopyPicture, c.FilePrintPreview,
                            c.CalculateKeyPoints, c.CalculateTrace, c.CalculateDerivative,
                            c.CalculateTangent, c.CalculateNormal, c.CalculateArea,
                            c.CalculateLength})
        action->setEnabled(enabled);
    // The curve and zoom menus go with every item in them, so that their shortcuts and
    // toolbar buttons go too.
    const std::function<void(QMenu*)> setMenu = [&](QMenu* menu) {
        menu->menuAction()->setEnabled(enabled);
        for (QAction* item : menu->actions()) {
            if (item->menu())
                setMenu(item->menu());
            else if (!item->isSeparator())
                item->setEnabled(enabled);
        }
    };
    setMenu(c.CurveMenu);
    setMenu(c.ZoomMenu);
    UpdateUndoCommands();
}

void frmMain::UpdateUndoCommands() {
    Commands& c = commands_;
    if (!c.CurveUndo) return;
    // "撤销 删除曲线 圆: ...": the command with the name of the step it takes back.
    const auto show = [](QAction* action, bool can, const QString& verb, const QString& step,
                         const QString& letter, const QString& keys) {
        action->setEnabled(can);
        action->setText(step.isEmpty()
                            ? verb + "(&" + letter + ")"
                            : verb + " " + QString(step).replace("&", "&&") + "(&" + letter + ")");
        action->setToolTip((step.isEmpty() ? verb : verb + " " + step) + " (" + keys + ")");
    };
    show(c.CurveUndo, undoGroup_.canUndo(), "撤销", undoGroup_.undoText(), "U", "Ctrl+Z");
    show(c.CurveRedo, undoGroup_.canRedo(), "重做", undoGroup_.redoText(), "R", "Ctrl+Y");
}

void frmMain::ShowKeyPoints(bool shown) {
    frmDocument* document = ActiveDocument();
    if (!document) return;
    document->SetKeyPointsShown(shown);
    if (shown) {
        if (!keyPoints_) {
            keyPoints_ = new frmKeyPoints(this);
            addDockWidget(Qt::RightDockWidgetArea, keyPoints_);
            // At its content's width, never near half the window.
            resizeDocks({keyPoints_}, {std::min(keyPoints_->ContentWidth(), width() * 2 / 5)},
                        Qt::Horizontal);
        }
        keyPoints_->SetDocument(document);
        keyPoints_->show();
    } else if (keyPoints_) {
        // It came with the command, it goes with it.
        keyPoints_->hide();
    }
    FollowActiveDocument();
}

void frmMain::ShowSliders(bool shown) {
    if (!sliders_) {
        sliders_ = new frmConstSliders(
            context_.Core, [this] { return Documents(); }, this);
        addDockWidget(Qt::RightDockWidgetArea, sliders_);
        // The command shows whether the panel is open, however it was closed.
        connect(sliders_, &QDockWidget::visibilityChanged, this,
                [this](bool) { commands_.CalculateSliders->setChecked(sliders_->isVisible()); });
    }
    if (shown)
        sliders_->show();
    else
        sliders_->close();
    commands_.CalculateSliders->setChecked(sliders_->isVisible());
}

void frmMain::SetTracing(bool on) {
    frmDocument* document = ActiveDocument();
    if (!document) return;
    document->SetTracing(on);
    if (!on) SetStatusText(StatusPanel::Readout, InitialStatusText);
}

void frmMain::FollowActiveDocument() {
    Commands& c = commands_;
    if (!c.CalculateKeyPoints) return;
    frmDocument* document = ActiveDocument();
    c.CalculateKeyPoints->setChecked(document && document->KeyPointsShown());
    c.CalculateTrace->setChecked(document && document->Tracing());
    if (keyPoints_) keyPoints_->SetDocument(document);
    if (areas_) areas_->SetDocument(document);
}

frmDocument* frmMain::ActiveDocument() const {
    QMdiSubWindow* sub = mdiArea_->currentSubWindow();
    return sub ? qobject_cast<frmDocument*>(sub->widget()) : nullptr;
}

QList<frmDocument*> frmMain::Documents() const {
    QList<frmDocument*> documents;
    for (QMdiSubWindow* sub : mdiArea_->subWindowList())
        if (auto* document = qobject_cast<frmDocument*>(sub->widget())) documents << document;
    return documents;
}

frmDocument* frmMain::CreateDocumentWindow() {
    auto* document = new frmDocument(context_.Core, *this, context_.Timer);
    undoGroup_.addStack(&document->UndoStack());
    QMdiSubWindow* sub = mdiArea_->addSubWindow(document);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(Icon("curve"));
    sub->hide();
    return document;
}

void frmMain::LoadNewDoc() {
    frmNewDoc dialog({context_.DocumentCounter, modMain::GetLoginName(), context_.Now(),
                      [this](const DocInfo& info) {
                          frmDocument* document = CreateDocumentWindow();
                          document->NewDoc(info);
                      }},
                     this);
    dialog.NewOne();
}

bool frmMain::OpenDocument(const std::string& path) {
    ++context_.DocumentCounter;
    frmDocument* document = CreateDocumentWindow();
    if (document->LoadDoc(path)) {
        RememberDocument(path);
        return true;
    }
    // A refused file leaves no window behind.
    delete document->parentWidget();
    return false;
}

void frmMain::DocumentSaved(const std::string& path) { RememberDocument(path); }

void frmMain::RememberDocument(const std::string& path) {
    std::error_code error;
    const std::string whole = std::filesystem::absolute(path, error).lexically_normal().string();
    // A line break cannot be kept in the settings file.
    if (error || whole.find_first_of("\r\n") != std::string::npos) return;
    SetRecentDocuments(WithRecent(recent_, whole));
}

void frmMain::SetRecentDocuments(std::vector<std::string> list) {
    recent_ = std::move(list);
    try {
        SaveRecentDocuments(context_.Core.SettingsFile(), recent_);
    } catch (...) {
        // A settings folder that cannot be written keeps the list for this session only;
        // opening or saving the document itself went well.
    }
    ShowRecentDocuments();
}

void frmMain::ShowRecentDocuments() {
    const Commands& c = commands_;
    const QFontMetrics metrics(c.FileMenu->font());
    for (size_t i = 0; i < c.Recent.size(); ++i) {
        QAction* action = c.Recent[i];
        action->setVisible(i < recent_.size());
        if (i >= recent_.size()) continue;
        const QString path = QString::fromStdString(recent_[i]);
        // The middle of a long path gives way: its folder's start and the file name show.
        const QString shown = metrics.elidedText(path, Qt::ElideMiddle, 360);
        action->setText(QString("&%1 ").arg(i + 1) + QString(shown).replace("&", "&&"));
        action->setToolTip(path);
    }
    recentSeparator_->setVisible(!recent_.empty());
}

void frmMain::OpenRecent(int i) {
    if (i < 0 || static_cast<size_t>(i) >= recent_.size()) return;
    const std::string path = recent_[static_cast<size_t>(i)];
    // An open document comes to the front instead of opening twice.
    std::error_code error;
    const auto canonical = std::filesystem::weakly_canonical(path, error);
    for (QMdiSubWindow* sub : mdiArea_->subWindowList()) {
        auto* document = qobject_cast<frmDocument*>(sub->widget());
        if (!document || document->GetIPath().empty()) continue;
        std::error_code other;
        if (std::filesystem::weakly_canonical(document->GetIPath(), other) == canonical && !error &&
            !other) {
            mdiArea_->setActiveSubWindow(sub);
            RememberDocument(path);
            return;
        }
    }
    if (OpenDocument(path)) return;
    // The open reported why; a file that is gone leaves the list.
    if (!std::filesystem::exists(path, error)) SetRecentDocuments(WithoutRecent(recent_, path));
}

void frmMain::FileOpen() {
    const std::string path =
        context_.Dialogs.FileOpen("打开", context_.Core.AppFolder, DocumentFilters);
    if (!path.empty()) OpenDocument(path);
}

bool frmMain::SaveDocumentAs(frmDocument& document, const std::string& title) {
    const std::string path =
        context_.Dialogs.FileSave(title, context_.Core.AppFolder, "opd", DocumentFilters);
    if (path.empty()) return false;
    // The chosen file is written anew, as if deleted first, but replaced only once complete.
    return document.SaveDoc(path, true);
}

frmExpressionParse* frmMain::OpenCalculator() {
    ++context_.CalculatorCount;
    auto* calculator = new frmExpressionParse(context_.Core);
    calculator->setWindowTitle(QString("表达式计算器 %1").arg(context_.CalculatorCount));
    QMdiSubWindow* sub = mdiArea_->addSubWindow(calculator);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(Icon("orbiplot"));
    sub->show();
    calculator->setFocus();
    return calculator;
}

bool frmMain::mnuFileSave_Click() {
    frmDocument* document = ActiveDocument();
    if (!document && mdiArea_->currentSubWindow()) {
        // A calculator has no path to save to.
        ReportError(context_.Core.Messages, AppError(ErrNotSupported, DefaultErrorSource,
                                                     RuntimeErrorMessage(ErrNotSupported)));
        return false;
    }
    if (!document) return false;
    if (!document->GetIPath().empty()) return document->SaveDoc(document->GetIPath());
    return SaveDocumentAs(*document, "保存");
}

bool frmMain::SaveUntitled(frmDocument& document) { return SaveDocumentAs(document, "保存"); }

bool frmMain::FileSaveAs() {
    frmDocument* document = ActiveDocument();
    return document && SaveDocumentAs(*document, "另存为");
}

void frmMain::FileExport() {
    frmDocument* document = ActiveDocument();
    if (!document) return;
    const std::string path =
        context_.Dialogs.FileSave("保存BMP为", context_.Core.AppFolder, "bmp", PictureFilters);
    if (path.empty()) return;
    // The dialog gives the chosen filter's ending to a name without one of them.
    const PictureFormat format = FormatOfPath(path).value_or(PictureFormat::Bmp);
    frmExportOptions options(format, document->PictureSize(), this);
    if (options.exec() != QDialog::Accepted) return;
    const ExportSize size = options.Size();
    try {
        // Made in memory, then written in one piece: a failure leaves the old picture.
        ExportPicture(path, format, GeometryOf(size, document->PictureSize()), size.Transparent,
                      document->PictureSource());
    } catch (...) {
        ReportCurrentError(context_.Core.Messages);
    }
}

void frmMain::CopyPicture() {
    frmDocument* document = ActiveDocument();
    if (!document) return;
    auto* picture = new QMimeData;
    picture->setImageData(document->Picture());
    try {
        picture->setData("image/svg+xml", QByteArray::fromStdString(document->SvgPicture()));
    } catch (...) {
        // The image alone, then.
    }
    QGuiApplication::clipboard()->setMimeData(picture);
}

void frmMain::FilePrint() {
    frmDocument* document = ActiveDocument();
    if (!document) return;
    const MsgResult answer = context_.Core.Messages.ShowMessage(
        {MsgIcon::Information, MsgButtons::OKCancel, MsgResult::OK, "Orbiplot 打印",
         "打印设置将使用操作系统的控制面板中的默认设置。\n\n单击“确定”后开始打印\n单击“取消”取消打"
         "印。"});
    if (answer != MsgResult::OK) return;
    const QPointer<frmDocument> target = document;
    std::string why; // a page the printer took but that could not be drawn
    const std::optional<std::string> failure =
        context_.Print(this, [target, &why](QPrinter& printer) {
            if (!target) {
                why = "文档已关闭";
                return false;
            }
            return target->PrintTo(printer, &why);
        });
    if (failure && !failure->empty()) ReportPrintFailure(why.empty() ? *failure : why);
}

void frmMain::ReportPrintFailure(const std::string& why) {
    context_.Core.Messages.ShowMessage(
        {MsgIcon::Critical, MsgButtons::OK, MsgResult::OK, "Orbiplot 打印", "打印失败: " + why});
}

void frmMain::FilePrintPreview() {
    frmDocument* document = ActiveDocument();
    if (!document) return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle("打印预览");
    const QPointer<frmDocument> target = document;
    std::string why;
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [&](QPrinter* page) {
        std::string failure;
        if (!target)
            why = "文档已关闭";
        else if (!target->PrintTo(*page, &failure))
            why = failure.empty() ? PrintFailure(*page) : failure;
    });
    preview.exec();
    // Said once the preview is closed, not in the middle of its painting.
    if (!why.empty()) ReportPrintFailure(why);
}

void frmMain::ShowDocumentMenu(frmDocument& document, QPoint at) {
    if (QMdiSubWindow* frame = qobject_cast<QMdiSubWindow*>(document.parentWidget()))
        mdiArea_->setActiveSubWindow(frame);
    const Commands& c = commands_;
    QMenu menu(this);
    menu.setObjectName("mnuDocument");
    menu.addAction(c.FileCopyPicture);
    menu.addSeparator();
    for (QAction* action : {c.ViewRefresh, c.ViewReset, c.ViewEqualScale, c.ViewCentre})
        menu.addAction(action);
    menu.addSeparator();
    menu.addAction(c.CurveManager);
    menu.addAction(c.FileProperties);
    menu.addSeparator();
    for (QAction* action : {c.CalculateDerivative, c.CalculateTangent, c.CalculateNormal,
                            c.CalculateArea, c.CalculateLength})
        menu.addAction(action);
    // The commands run inside exec: they work at the point the menu was opened at.
    menuPoint_ = QPointF(document.mapFromGlobal(at));
    menu.exec(at);
    menuPoint_.reset();
}

void frmMain::FileProperties() {
    frmDocument* document = ActiveDocument();
    if (!document) return;
    frmNewDoc dialog({context_.DocumentCounter, modMain::GetLoginName(), context_.Now(), {}}, this);
    dialog.ModifyOne(*document);
}

void frmMain::ShowOptions() {
    frmOptions options(context_.Core, context_.Dialogs);
    if (options.exec() != QDialog::Accepted) return;
    if (frmDocument* document = ActiveDocument()) document->RefreshAll();
}

void frmMain::ZoomActive(float factor, bool byX, bool byY) {
    if (frmDocument* document = ActiveDocument()) document->Zoom(factor, byX, byY);
}

void frmMain::CascadeWindows() {
    // The toolkit's cascade sizes each window to its size hint, which for a drawing surface
    // is a bare title strip; here every window is as large as the steps leave room for.
    // In stacking order, so the window in front stays in front.
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : mdiArea_->subWindowList(QMdiArea::StackingOrder))
        if (sub->isVisible() && !sub->isMinimized()) windows << sub;
    if (windows.isEmpty()) return;
    const QRect area = mdiArea_->viewport()->rect();
    const int n = static_cast<int>(windows.size());
    for (QMdiSubWindow* sub : windows)
        sub->showNormal();
    const int step = std::max(windows.front()->height() - windows.front()->widget()->height(), 20);
    // Steps that would leave less than half the area start over from the top left.
    const int steps = std::max(1, std::min(n, std::min(area.width(), area.height()) / 2 / step));
    const QSize size = area.size() - QSize((steps - 1) * step, (steps - 1) * step);
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* sub = windows[i];
        const int offset = (i % steps) * step;
        const QSize least = sub->minimumSize().expandedTo(sub->minimumSizeHint());
        sub->setGeometry(QRect(QPoint(offset, offset), size.expandedTo(least)));
        sub->raise();
    }
}

void frmMain::TileWindows(bool horizontal) {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : mdiArea_->subWindowList())
        if (sub->isVisible() && !sub->isMinimized()) windows << sub;
    if (windows.isEmpty()) return;
    const QRect area = mdiArea_->viewport()->rect();
    const int n = static_cast<int>(windows.size());
    for (int i = 0; i < n; ++i) {
        windows[i]->showNormal();
        if (horizontal) {
            const int h = area.height() / n;
            windows[i]->setGeometry(0, i * h, area.width(), h);
        } else {
            const int w = area.width() / n;
            windows[i]->setGeometry(i * w, 0, w, area.height());
        }
    }
}

void frmMain::ArrangeIcons() {
    int x = 0;
    const int bottom = mdiArea_->viewport()->height();
    for (QMdiSubWindow* sub : mdiArea_->subWindowList()) {
        if (!sub->isMinimized()) continue;
        sub->move(x, bottom - sub->height());
        x += sub->width();
    }
}

void frmMain::RebuildWindowList() {
    for (QAction* action : windowListActions_) {
        commands_.WindowMenu->removeAction(action);
        action->deleteLater();
    }
    windowListActions_.clear();
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    if (windows.isEmpty()) return;
    windowListActions_ << commands_.WindowMenu->addSeparator();
    int number = 1;
    for (QMdiSubWindow* sub : windows) {
        if (!sub->isVisible() && !sub->isMinimized()) continue;
        QAction* action = commands_.WindowMenu->addAction(
            QString("&%1 %2").arg(number++).arg(sub->windowTitle()));
        action->setCheckable(true);
        action->setChecked(sub == mdiArea_->currentSubWindow());
        connect(action, &QAction::triggered, this,
                [this, sub] { mdiArea_->setActiveSubWindow(sub); });
        windowListActions_ << action;
    }
}

void frmMain::ShutDown() {
    // The desktop's own dialog asks the person; nothing is ever powered off from here.
    const std::pair<const char*, QStringList> dialogs[] = {
        {"gnome-session-quit", {"--power-off"}},
        {"xfce4-session-logout", {}},
        {"lxqt-leave", {}},
        {"mate-session-save", {"--shutdown-dialog"}},
    };
    for (const auto& [program, arguments] : dialogs) {
        if (!QStandardPaths::findExecutable(program).isEmpty()) {
            QProcess::startDetached(program, arguments);
            return;
        }
    }
}

void frmMain::LoadPlacement() {
    const IniDocument ini = IniDocument::Load(context_.Core.SettingsFile());
    const int twips[4] = {
        ini.GetLong("MainPos", "MainLeft", 1000), ini.GetLong("MainPos", "MainTop", 1000),
        ini.GetLong("MainPos", "MainWidth", 8700), ini.GetLong("MainPos", "MainHeight", 7900)};
    const auto px = [](int t) { return static_cast<int>(std::lround(t / double(TwipsPerPixel))); };
    QRect outer(px(twips[0]), px(twips[1]), std::max(px(twips[2]), 200),
                std::max(px(twips[3]), 150));
    // A placement from another screen layout is brought back onto the available area.
    const QScreen* screen = QGuiApplication::screenAt(outer.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        outer.setWidth(std::min(outer.width(), area.width()));
        outer.setHeight(std::min(outer.height(), area.height()));
        outer.moveLeft(std::clamp(outer.left(), area.left(), area.right() + 1 - outer.width()));
        outer.moveTop(std::clamp(outer.top(), area.top(), area.bottom() + 1 - outer.height()));
    }
    placement_ = {outer, {twips[0], twips[1], twips[2], twips[3]}};
    // The stored size is the outer frame; the frame's own width is taken off once the
    // window manager has framed the window.
    move(outer.topLeft());
    resize(outer.size());
}

void frmMain::FitFrameToPlacement(int triesLeft) {
    if (isMaximized() || isMinimized() || isFullScreen()) return;
    const QSize frame = frameGeometry().size() - size();
    if (frame.isEmpty() && frameGeometry() == geometry()) {
        if (triesLeft > 0)
            QTimer::singleShot(25, this, [this, triesLeft] { FitFrameToPlacement(triesLeft - 1); });
        return;
    }
    resize(placement_.Outer.size() - frame);
    move(placement_.Outer.topLeft());
}

void frmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!framed_) {
        framed_ = true;
        FitFrameToPlacement(20);
    }
}

void frmMain::SavePlacement() {
    if (isMinimized()) return;
    const QRect frame = frameGeometry();
    // Unmoved since start: the stored twips stay exactly as they were, not as pixels give
    // them back.
    const bool unmoved = frame == placement_.Outer;
    const int values[4] = {unmoved ? placement_.Twips[0] : frame.x() * TwipsPerPixel,
                           unmoved ? placement_.Twips[1] : frame.y() * TwipsPerPixel,
                           unmoved ? placement_.Twips[2] : frame.width() * TwipsPerPixel,
                           unmoved ? placement_.Twips[3] : frame.height() * TwipsPerPixel};
    const char* const keys[4] = {"MainLeft", "MainTop", "MainWidth", "MainHeight"};
    try {
        IniBatch batch(context_.Core.SettingsFile());
        for (int i = 0; i < 4; ++i)
            batch.Set("MainPos", keys[i], GeneralTextSingle(static_cast<float>(values[i])));
        batch.Commit();
    } catch (...) {
        ReportCurrentError(context_.Core.Messages);
    }
}

void frmMain::closeEvent(QCloseEvent* event) {
    // Constants moved by their sliders are kept or given back first.
    if (sliders_ && !sliders_->ConfirmClose()) {
        event->ignore();
        return;
    }
    // Each document decides about its unsaved changes first, and nothing closes until every
    // one has: a Cancel keeps the program and every document open.
    const QList<frmDocument*> documents = Documents();
    for (frmDocument* document : documents) {
        if (document->ConfirmClose()) continue;
        for (frmDocument* asked : documents)
            asked->ForgetCloseAnswer();
        event->ignore();
        return;
    }
    mdiArea_->closeAllSubWindows();
    for (QMdiSubWindow* sub : mdiArea_->subWindowList()) {
        if (sub->isVisible()) {
            event->ignore();
            return;
        }
    }
    SavePlacement();
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top != this && top->isVisible()) top->close();
    event->accept();
}

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event) {
    OpenDroppedFiles(event->mimeData()->urls());
    event->acceptProposedAction();
}

void frmMain::OpenDroppedFiles(const QList<QUrl>& urls) {
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) continue;
        const std::string path = url.toLocalFile().toStdString();
        if (modMain::IsDocumentFile(path)) OpenDocument(path);
    }
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mdiArea_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        FileOpen();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace orbiplot
