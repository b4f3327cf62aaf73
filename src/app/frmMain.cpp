#include "app/frmMain.h"

#include "app/AppContext.h"
#include "app/KeyboardLocks.h"
#include "app/modMain.h"
#include "base/AppError.h"
#include "base/AppSettings.h"
#include "base/FileAccess.h"
#include "base/NumberFormat.h"
#include "base/TipOfDay.h"
#include "base/WebAddresses.h"
#include "base/clsINI.h"
#include "base/modError.h"
#include "dialogs/LineCalculatorDialog.h"
#include "dialogs/frmConstManager.h"
#include "dialogs/frmExpressionParse.h"
#include "dialogs/frmFunAdd.h"
#include "dialogs/frmFunManager.h"
#include "dialogs/frmHelp.h"
#include "dialogs/frmNewDoc.h"
#include "dialogs/frmOptions.h"
#include "dialogs/frmSplash.h"
#include "dialogs/frmTip.h"
#include "docwin/frmDocument.h"
#include "docwin/frmProgress.h"
#include "services/PictureFile.h"
#include "services/clsMultimedia.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace orbiplot {

namespace {

const char* const InitialStatusText = "状态";
const char* const InitialZoomText = "缩放:(X:100.00%; Y:100.00%)";

QIcon Icon(const char* name) { return QIcon(QString(":/icons/") + name + ".svg"); }

const char* const DocumentFilter = "Orbiplot 文档 (*.opd)\0*.opd\0";
constexpr size_t DocumentFilterLength = sizeof("Orbiplot 文档 (*.opd)\0*.opd\0") - 1;
const char* const PictureFilter =
    "24 位位图 (*.bmp)\0*.bmp\0PNG 图像 (*.png)\0*.png\0SVG 图像 (*.svg)\0*.svg\0";
constexpr size_t PictureFilterLength =
    sizeof("24 位位图 (*.bmp)\0*.bmp\0PNG 图像 (*.png)\0*.png\0SVG 图像 (*.svg)\0*.svg\0") - 1;

} // namespace

frmMain::frmMain(AppContext& context, QWidget* parent)
    : QMainWindow(parent), context_(context), mdiArea_(new QMdiArea(this)),
      progress_(new frmProgress(this)) {
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
    // The zoom panel follows the window that comes to the front.
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) {
        if (frmDocument* document = ActiveDocument())
            SetStatusText(2, QString::fromStdString(document->ViewState().ZoomStatusText()));
    });
}

frmSplash* frmMain::NewSplash() {
    if (!music_) {
        MciCommandSink* sink = context_.Mci;
        if (!sink) {
            ownMci_ = std::make_unique<FluidSynthMci>();
            sink = ownMci_.get();
        }
        music_ = std::make_unique<clsMultimedia>(*sink, context_.Core.Random);
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
}

QAction* frmMain::AddAction(QMenu* menu, const QString& name, const QString& caption,
                            const QKeySequence& shortcut) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
    }
    if (menu) menu->addAction(action);
    actions_.insert(name, action);
    return action;
}

void frmMain::BuildMenus() {
    QMenuBar* bar = menuBar();
    const auto menu = [&](QMenu* parentMenu, const QString& name, const QString& caption) {
        QMenu* m = parentMenu ? parentMenu->addMenu(caption) : bar->addMenu(caption);
        m->setObjectName(name);
        m->menuAction()->setObjectName(name);
        actions_.insert(name, m->menuAction());
        return m;
    };

    QMenu* file = menu(nullptr, "mnuFile", "文件(&F)");
    connect(AddAction(file, "mnuFileNew", "新建(&N)", QKeySequence("Ctrl+N")), &QAction::triggered,
            this, &frmMain::LoadNewDoc);
    connect(AddAction(file, "mnuFileOpen", "打开(&O)...", QKeySequence("Ctrl+O")),
            &QAction::triggered, this, &frmMain::FileOpen);
    connect(AddAction(file, "mnuFileClose", "关闭(&C)"), &QAction::triggered, this, [this] {
        if (frmDocument* document = ActiveDocument()) document->CloseDoc();
    });
    file->addSeparator();
    connect(AddAction(file, "mnuFileSave", "保存(&S)", QKeySequence("Ctrl+S")), &QAction::triggered,
            this, [this] { mnuFileSave_Click(); });
    connect(AddAction(file, "mnuFileSaveAs", "另存为(&A)..."), &QAction::triggered, this,
            [this] { FileSaveAs(); });
    connect(AddAction(file, "mnuFileExport", "保存为 BMP 图像(&E)..."), &QAction::triggered, this,
            &frmMain::FileExport);
    file->addSeparator();
    connect(AddAction(file, "mnuFileProperties", "属性(&I)...", QKeySequence("Ctrl+I")),
            &QAction::triggered, this, &frmMain::FileProperties);
    file->addSeparator();
    connect(AddAction(file, "mnuFilePrint", "打印(&P)", QKeySequence("Ctrl+P")),
            &QAction::triggered, this, &frmMain::FilePrint);
    file->addSeparator();
    connect(AddAction(file, "mnuFileExit", "退出(&X)", QKeySequence("Ctrl+X")), &QAction::triggered,
            this, &QWidget::close);
    connect(AddAction(file, "mnuFileShutDown", "关闭系统(&U)...", QKeySequence("Ctrl+U")),
            &QAction::triggered, this, &frmMain::ShutDown);

    QMenu* view = menu(nullptr, "mnuView", "视图(&V)");
    QAction* toolbar = AddAction(view, "mnuViewToolbar", "工具栏(&T)");
    toolbar->setCheckable(true);
    toolbar->setChecked(true);
    connect(toolbar, &QAction::toggled, this, [this](bool shown) {
        for (QToolBar* t : toolbars_)
            t->setVisible(shown);
    });
    QAction* status = AddAction(view, "mnuViewStatusBar", "状态栏(&B)");
    status->setCheckable(true);
    status->setChecked(true);
    connect(status, &QAction::toggled, this,
            [this](bool shown) { statusBar()->setVisible(shown); });
    view->addSeparator();
    connect(AddAction(view, "mnuViewRefresh", "刷新(&R)", QKeySequence(Qt::Key_F5)),
            &QAction::triggered, this, [this] {
                if (frmDocument* document = ActiveDocument()) document->RefreshAll();
            });

    QMenu* curve = menu(nullptr, "mnuCurve", "曲线(&U)");
    connect(AddAction(curve, "mnuCurveManager", "曲线函数管理器(&M)...", QKeySequence("Ctrl+M")),
            &QAction::triggered, this, [this] {
                if (frmDocument* document = ActiveDocument()) OpenCurveManager(*document);
            });
    curve->addSeparator();
    QMenu* add = menu(curve, "mnuCurveAdd", "添加曲线(直角坐标)(&A)");
    QMenu* general = menu(add, "mnuCurveAddCurve", "一般曲线(&G)");
    AddAction(general, "mnuCurveAddCurveGeneralY", "普通方程 - Y=f(X)(&Y)");
    AddAction(general, "mnuCurveAddCurveGeneralX", "普通方程 - X=f(Y)(&X)");
    AddAction(general, "mnuCurveAddCurveParameter", "参数方程(&P)");
    add->addSeparator();
    AddAction(add, "mnuCurveAddPoint", "点(&P)");
    QMenu* line = menu(add, "mnuCurveAddLine", "直线(&L)");
    AddAction(line, "mnuCurveAddLineGeneral", "一般式(&G)");
    line->addSeparator();
    AddAction(line, "mnuCurveAddLinePS", "点斜式(&O)");
    AddAction(line, "mnuCurveAddLineSI", "斜截式(&S)");
    AddAction(line, "mnuCurveAddLinePP", "两点式(&P)");
    AddAction(line, "mnuCurveAddLineII", "截距式(&I)");
    add->addSeparator();
    QMenu* circle = menu(add, "mnuCurveAddCircle", "圆(&C)");
    AddAction(circle, "mnuCurveAddCircleStandard", "标准方程(&S)");
    circle->addSeparator();
    AddAction(circle, "mnuCurveAddCircleGeneral", "一般方程(&G)");
    AddAction(add, "mnuCurveAddEllipse", "椭圆(&E)");
    QMenu* hyperbola = menu(add, "mnuCurveAddHyperbola", "双曲线(&H)");
    AddAction(hyperbola, "mnuCurveAddHyperbolaX", "关于X轴对称(&X)");
    AddAction(hyperbola, "mnuCurveAddHyperbolaY", "关于Y轴对称(&Y)");
    QMenu* parabola = menu(add, "mnuCurveAddParabola", "抛物线(&P)");
    AddAction(parabola, "mnuCurveAddParabolaX", "关于X轴对称(&X)");
    AddAction(parabola, "mnuCurveAddParabolaY", "关于Y轴对称(&Y)");
    AddAction(curve, "mnuCurveAddPolar", "添加曲线(极坐标)(&P)");
    const std::pair<const char*, int32_t> addItems[] = {
        {"mnuCurveAddPoint", Point},
        {"mnuCurveAddLineGeneral", LineGeneral},
        {"mnuCurveAddLinePS", LinePS},
        {"mnuCurveAddLineSI", LineSI},
        {"mnuCurveAddLinePP", LinePP},
        {"mnuCurveAddLineII", LineII},
        {"mnuCurveAddCircleStandard", CircleStandard},
        {"mnuCurveAddCircleGeneral", CircleGeneral},
        {"mnuCurveAddEllipse", Ellipse},
        {"mnuCurveAddHyperbolaX", HyperbolaX},
        {"mnuCurveAddHyperbolaY", HyperbolaY},
        {"mnuCurveAddParabolaX", ParabolaX},
        {"mnuCurveAddParabolaY", ParabolaY},
        {"mnuCurveAddCurveGeneralY", CurveGeneralY},
        {"mnuCurveAddCurveGeneralX", CurveGeneralX},
        {"mnuCurveAddCurveParameter", CurveParameter},
        {"mnuCurveAddPolar", Polar},
    };
    for (const auto& [name, type] : addItems)
        connect(Command(name), &QAction::triggered, this, [this, type = type] { AddCurve(type); });

    QMenu* zoom = menu(nullptr, "mnuZoom", "缩放(&Z)");
    const auto zoomItem = [&](const char* name, const char* caption, float factor, bool byX,
                              bool byY) {
        connect(AddAction(zoom, name, caption), &QAction::triggered, this,
                [this, factor, byX, byY] { ZoomActive(factor, byX, byY); });
    };
    zoomItem("mnuZoomIn", "放大(&I)", 0.9f, true, true);
    zoomItem("mnuZoomOut", "缩小(&O)", 1.1f, true, true);
    zoom->addSeparator();
    zoomItem("mnuZoomInByX", "沿X轴放大(&X)", 0.9f, true, false);
    zoomItem("mnuZoomInByY", "沿Y轴放大(&Y)", 0.9f, false, true);
    zoomItem("mnuZoomOutByX", "沿X轴缩小(&C)", 1.1f, true, false);
    zoomItem("mnuZoomOutByY", "沿Y轴缩小(&U)", 1.1f, false, true);

    QMenu* calculate = menu(nullptr, "mnuCalculate", "计算(&C)");
    connect(AddAction(calculate, "mnuCalculateExpression", "表达式计算器(&C)"), &QAction::triggered,
            this, &frmMain::OpenCalculator);
    calculate->addSeparator();
    connect(AddAction(calculate, "mnuCalculatePL", "点线位置关系(&P)"), &QAction::triggered, this,
            [this] { frmPL(context_.Core.Messages, this).Run(); });
    connect(AddAction(calculate, "mnuCalculateLL", "线线位置关系(&L)"), &QAction::triggered, this,
            [this] { frmLL(context_.Core.Messages, this).Run(); });

    QMenu* tools = menu(nullptr, "mnuTools", "工具(&T)");
    // Inside a text box Ctrl+C stays the box's copy; everywhere else it opens the manager.
    connect(AddAction(tools, "mnuToolConstantManager", "常数管理器(&C)...", QKeySequence("Ctrl+C")),
            &QAction::triggered, this, [this] { frmConstManager(context_.Core).exec(); });
    tools->addSeparator();
    const std::pair<const char*, const char*> systemTools[] = {
        {"mnuToolsWinNote", "记事本(&N)"},
        {"mnuToolsWinCalc", "计算器(&L)"},
        {"mnuToolsWinExplorer", "文件管理器(&E)"}};
    for (int32_t i = 0; i < 3; ++i)
        connect(AddAction(tools, systemTools[i].first, systemTools[i].second), &QAction::triggered,
                this, [this, i] { modMain::RunWindowsTool(context_, i); });
    tools->addSeparator();
    connect(AddAction(tools, "mnuToolsOptions", "选项(&P)..."), &QAction::triggered, this,
            &frmMain::ShowOptions);

    windowMenu_ = menu(nullptr, "mnuWindow", "窗口(&W)");
    connect(AddAction(windowMenu_, "mnuWindowNewWindow", "新建窗口(&N)"), &QAction::triggered, this,
            &frmMain::LoadNewDoc);
    windowMenu_->addSeparator();
    connect(AddAction(windowMenu_, "mnuWindowCascade", "层叠(&C)"), &QAction::triggered, mdiArea_,
            &QMdiArea::cascadeSubWindows);
    connect(AddAction(windowMenu_, "mnuWindowTileHorizontal", "横向平铺(&H)"), &QAction::triggered,
            this, [this] { TileWindows(true); });
    connect(AddAction(windowMenu_, "mnuWindowTileVertical", "纵向平铺(&V)"), &QAction::triggered,
            this, [this] { TileWindows(false); });
    connect(AddAction(windowMenu_, "mnuWindowArrangeIcons", "排列图标(&A)"), &QAction::triggered,
            this, &frmMain::ArrangeIcons);
    connect(windowMenu_, &QMenu::aboutToShow, this, &frmMain::RebuildWindowList);

    QMenu* help = menu(nullptr, "mnuHelp", "帮助(&H)");
    connect(AddAction(help, "mnuHelpContents", "目录(&C)", QKeySequence(Qt::Key_F1)),
            &QAction::triggered, this, &frmMain::ShowHelp);
    help->addSeparator();
    connect(AddAction(help, "mnuHelpTip", "日积月累(&T)...", QKeySequence(Qt::Key_F2)),
            &QAction::triggered, this, &frmMain::ShowTip);
    help->addSeparator();
    QMenu* web = menu(help, "mnuHelpOnWeb", "Web 上的 Orbiplot(&W)");
    const auto link = [this](QMenu* m, const char* name, const char* caption, const char* address) {
        connect(AddAction(m, name, caption), &QAction::triggered, this,
                [this, address] { context_.OpenUrl(address); });
    };
    link(web, "mnuHelpOnWebHomepage", "Orbiplot 主页", Web::HomePage);
    link(web, "mnuHelpOnWebemail", "作者 e-Mail", Web::MailLink);
    help->addSeparator();
    link(help, "mnuHelpBBS", "Orbiplot 论坛", Web::Board);
    link(help, "mnuHelpNimbra", "Orbiplot 网站空间", Web::Host);
    help->addSeparator();
    connect(AddAction(help, "mnuHelpAbout", "关于 Orbiplot(&A)..."), &QAction::triggered, this,
            &frmMain::ShowAbout);
}

void frmMain::BuildToolbars() {
    const auto toolbar = [&](const char* name, const QString& title) {
        QToolBar* t = addToolBar(title);
        t->setObjectName(name);
        t->setIconSize(QSize(22, 22));
        toolbars_ << t;
        return t;
    };
    const auto button = [&](QToolBar* t, const char* key, const char* icon, const QString& tooltip,
                            QAction* command) {
        auto* action = new QAction(Icon(icon), QString::fromUtf8(key), t);
        action->setObjectName(key);
        action->setToolTip(tooltip);
        connect(action, &QAction::triggered, command, &QAction::trigger);
        t->addAction(action);
        actions_.insert(QString::fromUtf8(key), action);
        return action;
    };

    QToolBar* main = toolbar("tbToolBar", "标准");
    button(main, "新建", "new", "新建文档 (Ctrl+N)", Command("mnuFileNew"));
    button(main, "打开", "open", "打开文档  (Ctrl+O)", Command("mnuFileOpen"));
    mainToolbarDocumentButtons_ << button(main, "保存", "save", "保存文档 (Ctrl+S)",
                                          Command("mnuFileSave"));
    mainToolbarDocumentButtons_ << button(main, "关闭", "close", "关闭文档",
                                          Command("mnuFileClose"));
    mainToolbarDocumentButtons_ << button(main, "属性", "properties", "文档属性 (Ctrl+I)",
                                          Command("mnuFileProperties"));
    mainToolbarDocumentButtons_ << main->addSeparator();
    mainToolbarDocumentButtons_ << button(main, "打印", "print", "打印文档 (Ctrl+P)",
                                          Command("mnuFilePrint"));
    mainToolbarDocumentButtons_ << main->addSeparator();
    mainToolbarDocumentButtons_ << button(main, "刷新", "refresh", "刷新文档 (F5)",
                                          Command("mnuViewRefresh"));
    main->addSeparator();
    button(main, "设置", "options", "Orbiplot 设置", Command("mnuToolsOptions"));
    main->addSeparator();
    QAction* onWeb =
        button(main, "OnWeb", "web", "Web 上的 Orbiplot", Command("mnuHelpOnWebHomepage"));
    auto* webMenu = new QMenu(this);
    QAction* homepage = webMenu->addAction("Orbiplot 主页");
    homepage->setObjectName("OPHomepage");
    connect(homepage, &QAction::triggered, Command("mnuHelpOnWebHomepage"), &QAction::trigger);
    QAction* email = webMenu->addAction("作者 e-mail");
    email->setObjectName("emali");
    connect(email, &QAction::triggered, Command("mnuHelpOnWebemail"), &QAction::trigger);
    webMenu->addSeparator();
    connect(webMenu->addAction(Command("mnuHelpBBS")->text()), &QAction::triggered,
            Command("mnuHelpBBS"), &QAction::trigger);
    connect(webMenu->addAction(Command("mnuHelpNimbra")->text()), &QAction::triggered,
            Command("mnuHelpNimbra"), &QAction::trigger);
    onWeb->setMenu(webMenu);
    if (auto* tool = qobject_cast<QToolButton*>(main->widgetForAction(onWeb)))
        tool->setPopupMode(QToolButton::MenuButtonPopup);
    button(main, "帮助", "help", "Orbiplot 帮助 (F1)", Command("mnuHelpContents"));

    addToolBarBreak();
    QToolBar* zoom = toolbar("tbToolBar3", "缩放");
    zoom->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    const auto zoomButton = [&](const char* key, const char* icon, const char* caption,
                                const char* tooltip, const char* command) {
        QAction* a = button(zoom, key, icon, tooltip, Command(command));
        a->setText(caption);
        a->setToolTip(tooltip);
    };
    zoomButton("ZoomIn", "zoomin", "放大XY轴", "放大", "mnuZoomIn");
    zoomButton("ZoomOut", "zoomout", "缩小XY轴", "缩小", "mnuZoomOut");
    zoom->addSeparator();
    zoomButton("ZoomInByX", "zoominx", "放大X轴", "沿X轴放大", "mnuZoomInByX");
    zoomButton("ZoomInByY", "zoominy", "放大Y轴", "沿Y轴放大", "mnuZoomInByY");
    zoom->addSeparator();
    zoomButton("ZoomOutByX", "zoomoutx", "缩小X轴", "沿X轴缩小", "mnuZoomOutByX");
    zoomButton("ZoomOutByY", "zoomouty", "缩小Y轴", "沿Y轴缩小", "mnuZoomOutByY");

    addToolBarBreak();
    QToolBar* curves = toolbar("tbToolBar2", "曲线");
    button(curves, "FunManager", "manager", "曲线函数管理器 (Ctrl+M)", Command("mnuCurveManager"));
    curves->addSeparator();
    button(curves, "Curve", "curve", "添加普通方程", Command("mnuCurveAddCurveGeneralY"));
    curves->addSeparator();
    button(curves, "Point", "point", "添加点", Command("mnuCurveAddPoint"));
    button(curves, "Line", "line", "添加直线", Command("mnuCurveAddLineGeneral"));
    curves->addSeparator();
    button(curves, "Circle", "circle", "添加圆", Command("mnuCurveAddCircleStandard"));
    button(curves, "Ellipse", "ellipse", "添加椭圆", Command("mnuCurveAddEllipse"));
    button(curves, "Hyperbola", "hyperbola", "添加双曲线", Command("mnuCurveAddHyperbolaY"));
    button(curves, "Parabola", "parabola", "添加抛物线", Command("mnuCurveAddParabolaY"));
}

void frmMain::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    const QString initial[] = {InitialStatusText, InitialZoomText,
                               QTime::currentTime().toString("HH:mm"), "CAPS", "NUM"};
    for (int i = 0; i < 5; ++i) {
        panels_[i] = new QLabel(initial[i], this);
        panels_[i]->setObjectName(QString("sbPanel%1").arg(i + 1));
        panels_[i]->setFrameShape(QFrame::StyledPanel);
        panels_[i]->setFrameShadow(QFrame::Sunken);
        panels_[i]->setContentsMargins(4, 0, 4, 0);
        if (i == 0)
            bar->addWidget(panels_[i], 1);
        else
            bar->addPermanentWidget(panels_[i]);
    }
    SetStatusText(2, InitialZoomText);
    // The read-out takes the room the other panels leave; it is clipped, never drawn over
    // them, when the window is too narrow for it.
    panels_[0]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    panels_[0]->setMinimumWidth(panels_[0]->fontMetrics().horizontalAdvance(
                                    "当前坐标 X=-10.000 Y=-10.000 R=14.142 Z=0.785") /
                                2);
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, [this] {
        panels_[2]->setText(QTime::currentTime().toString("HH:mm"));
        UpdateLockPanels();
    });
    clock->start(1000);
    UpdateLockPanels();
}

void frmMain::UpdateLockPanels() {
    const KeyboardLocks locks = ReadKeyboardLocks();
    panels_[3]->setEnabled(locks.Known && locks.CapsLock);
    panels_[4]->setEnabled(locks.Known && locks.NumLock);
}

QString frmMain::StatusText(int panel) const {
    return panel >= 1 && panel <= 5 ? panels_[panel - 1]->text() : QString();
}

void frmMain::SetStatusText(int panel, const QString& text) {
    if (panel < 1 || panel > 5) return;
    QLabel* label = panels_[panel - 1];
    label->setText(text);
    // The zoom panel is as wide as its text: one or two percentages, never cut.
    if (panel == 2) {
        const QMargins m = label->contentsMargins();
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(text) + m.left() + m.right() +
                               2 * label->frameWidth());
    }
}

void frmMain::DocumentLoaded() { modMain::DocumentLoaded(context_); }

void frmMain::DocumentUnloaded() {
    modMain::DocumentUnloaded(context_);
    // Nothing is left to read out or to zoom.
    if (modMain::NoDocumentOpen(context_)) {
        SetStatusText(1, InitialStatusText);
        SetStatusText(2, InitialZoomText);
    }
}

void frmMain::PlaceNewWindow(QMdiSubWindow* sub) {
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

void frmMain::OpenCurveManager(frmDocument&) {
    // One manager for the application; once it has been hidden and shown again it stays
    // open without blocking the other windows.
    if (funManager_) {
        funManager_->show();
        funManager_->raise();
        funManager_->activateWindow();
        funManager_->RefreshFunList();
        return;
    }
    auto* manager = new frmFunManager(
        context_.Core, context_.Dialogs, [this] { return ActiveDocument(); }, this);
    manager->setAttribute(Qt::WA_DeleteOnClose);
    funManager_ = manager;
    // Modal until it first hides for a curve dialog or a redraw; shown without a nested
    // event loop, so no caller is left waiting inside one.
    manager->setWindowModality(Qt::ApplicationModal);
    manager->show();
}

void frmMain::AddCurve(int32_t type) {
    if (frmDocument* document = ActiveDocument())
        frmFunAdd(context_.Core, context_.Dialogs, *document, this).NewFun(type);
}

void frmMain::SetDocumentCommandsEnabled(bool enabled) {
    if (enabled) {
        for (QAction* action : actions_)
            action->setEnabled(true);
    } else {
        for (const char* name :
             {"mnuCurve", "mnuFileClose", "mnuFileExport", "mnuFilePrint", "mnuFileSave",
              "mnuFileSaveAs", "mnuFileProperties", "mnuZoom", "mnuViewRefresh"})
            Command(name)->setEnabled(false);
    }
    // Menus that are disabled as a whole disable their items' shortcuts too.
    for (const char* menuName : {"mnuCurve", "mnuZoom"})
        for (QAction* item : Command(menuName)->menu()->findChildren<QAction*>())
            if (item->objectName().startsWith("mnu")) item->setEnabled(enabled);
    for (QToolBar* t : toolbars_)
        if (t->objectName() != "tbToolBar") t->setEnabled(enabled);
    for (QAction* b : mainToolbarDocumentButtons_)
        b->setEnabled(enabled);
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
                          PlaceNewWindow(qobject_cast<QMdiSubWindow*>(document->parentWidget()));
                      }},
                     this);
    dialog.NewOne();
}

bool frmMain::OpenDocument(const std::string& path) {
    ++context_.DocumentCounter;
    frmDocument* document = CreateDocumentWindow();
    if (document->LoadDoc(path)) {
        PlaceNewWindow(qobject_cast<QMdiSubWindow*>(document->parentWidget()));
        return true;
    }
    // A refused file leaves no window behind.
    delete document->parentWidget();
    return false;
}

void frmMain::FileOpen() {
    const std::string path = context_.Dialogs.FileOpen(
        "打开", context_.Core.AppFolder, std::string_view(DocumentFilter, DocumentFilterLength));
    if (!path.empty()) OpenDocument(path);
}

bool frmMain::SaveDocumentAs(frmDocument& document, const std::string& title) {
    const std::string path =
        context_.Dialogs.FileSave(title, context_.Core.AppFolder, "opd",
                                  std::string_view(DocumentFilter, DocumentFilterLength));
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
        context_.Dialogs.FileSave("保存BMP为", context_.Core.AppFolder, "bmp",
                                  std::string_view(PictureFilter, PictureFilterLength));
    if (path.empty()) return;
    try {
        // Made in memory, then written in one piece: a failure leaves the old picture.
        const QString kind = PictureKind(path);
        SavePicture(path, kind == "svg" ? document->SvgPicture()
                                        : EncodeImage(document->Picture(), kind));
    } catch (...) {
        ReportCurrentError(context_.Core.Messages);
    }
}

void frmMain::FilePrint() {
    frmDocument* document = ActiveDocument();
    if (!document) return;
    const MsgResult answer = context_.Core.Messages.ShowMessage(
        {MsgIcon::Information, MsgButtons::OKCancel, MsgResult::OK, "Orbiplot 打印",
         "打印设置将使用操作系统的控制面板中的默认设置。\n\n单击“确定”后开始打印\n单击“取消”取消打"
         "印。"});
    if (answer != MsgResult::OK) return;
    // Printing failures (no printer, say) are silent.
    context_.Print([document](QPaintDevice& page) { document->PrintTo(page); });
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
        windowMenu_->removeAction(action);
        action->deleteLater();
    }
    windowListActions_.clear();
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    if (windows.isEmpty()) return;
    windowListActions_ << windowMenu_->addSeparator();
    int number = 1;
    for (QMdiSubWindow* sub : windows) {
        if (!sub->isVisible() && !sub->isMinimized()) continue;
        QAction* action =
            windowMenu_->addAction(QString("&%1 %2").arg(number++).arg(sub->windowTitle()));
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
    // Each document decides about its unsaved changes first; one that stays open keeps
    // the program running.
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
