#include "AppTestSupport.h"

#include "base/clsINI.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPrinter>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

// The document commands switch together; the others stay available.
void ExpectDocumentCommands(const AppFixture& f, bool enabled) {
    for (const char* name :
         {"mnuCurve", "mnuCurveManager", "mnuCurveAddLinePS", "mnuFileSave", "mnuFileProperties",
          "mnuFilePrint", "mnuZoom", "mnuZoomOutByY", "mnuViewRefresh"})
        EXPECT_EQ(f.Action(name)->isEnabled(), enabled) << name;
    for (const char* name : {"mnuFileNew", "mnuFileOpen", "mnuCalculateExpression"})
        EXPECT_TRUE(f.Action(name)->isEnabled()) << name;
}

// Blocks of size x size pixels that hold more than one colour: none in a picture enlarged
// pixel by pixel.
int DetailedBlocks(const QImage& image, int size) {
    int blocks = 0;
    for (int y = 0; y + size <= image.height(); y += size)
        for (int x = 0; x + size <= image.width(); x += size)
            for (int i = 1; i < size * size; ++i)
                if (image.pixel(x + i % size, y + i / size) != image.pixel(x, y)) {
                    ++blocks;
                    break;
                }
    return blocks;
}

void Press(QWidget* widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

void AcceptDialog(QWidget* w) { w->findChild<QDialogButtonBox*>()->buttons()[0]->click(); }

} // namespace

TEST(MainWindow, DocumentCommandsFollowTheOpenDocuments) {
    AppFixture f;
    ExpectDocumentCommands(f, false);
    frmDocument* first = f.Open(f.Document("a.opd"));
    ASSERT_NE(first, nullptr);
    ExpectDocumentCommands(f, true);
    frmDocument* second = f.Open(f.Document("b.opd"));
    ASSERT_NE(second, nullptr);
    second->CloseDoc();
    ExpectDocumentCommands(f, true);
    first->CloseDoc();
    EXPECT_EQ(f.context.OpenDocumentCount, 0);
    ExpectDocumentCommands(f, false);
    // The toolbar item hides and shows the three toolbars together.
    f.main->Command().ViewToolbar->trigger();
    for (QToolBar* t : f.main->findChildren<QToolBar*>())
        EXPECT_FALSE(t->isVisible());
}

TEST(MainWindow, OpenSaveSaveAsAndExport) {
    AppFixture f;
    const std::string path = f.Document("a.opd", "甲");
    f.dialogs.files = {std::nullopt, path, f.dir.Write("bad.opd", "[General]\r\nOPMVer=9\r\n")};
    for (int i = 0; i < 3; ++i)
        f.main->Command().FileOpen->trigger();
    // Cancelled, opened, refused: one window; each file tried takes a number.
    EXPECT_EQ(f.VisibleWindows(), 1);
    EXPECT_EQ(f.context.DocumentCounter, 2);
    EXPECT_THAT(f.messages.Texts(), ElementsAre("文件版本错误"));
    frmDocument* document = f.main->ActiveDocument();
    EXPECT_EQ(document->windowTitle(), "甲");

    f.messages.shown.clear();
    document->ModifyDocInfo({"改", "a", "", "2"});
    f.main->Command().FileSave->trigger();
    EXPECT_EQ(f.dialogs.requests.size(), 3u); // a document with a file saves there
    EXPECT_FALSE(document->Model().IsModified());
    EXPECT_EQ(IniDocument::Load(path).Get("General", "Title"), std::optional<std::string>("改"));

    // Save as always asks, and writes the chosen file anew.
    const std::string other =
        f.dir.Write("other.opd", "[General]\r\nOPMVer=1\r\nC=9\r\n[8DATA]\r\nType=1\r\n");
    f.dialogs.files = {std::nullopt, other, f.dir.File("pic.svg")};
    f.main->Command().FileSaveAs->trigger();
    EXPECT_EQ(document->GetIPath(), path);
    f.main->Command().FileSaveAs->trigger();
    EXPECT_EQ(document->GetIPath(), other);
    EXPECT_EQ(f.dir.Read("other.opd").find("[8DATA]"), std::string::npos);
    // Export writes the picture in the kind its name asks for, the size proposed taken.
    WhenModal(AcceptDialog);
    f.main->Command().FileExport->trigger();
    EXPECT_NE(f.dir.Read("pic.svg").find("<svg"), std::string::npos);
    EXPECT_TRUE(f.messages.shown.empty());
}

TEST(MainWindow, ClosingAModifiedDocumentAsks) {
    AppFixture f;
    const std::string path = f.Document("a.opd");
    const std::tuple<MsgResult, std::optional<std::string>, bool> cases[] = {
        {MsgResult::Cancel, std::nullopt, true},
        {MsgResult::No, std::nullopt, false},
        {MsgResult::Yes, std::nullopt,
         true}, // a new document's save was cancelled: nothing is lost
        {MsgResult::Yes, f.dir.File("new.opd"), false},
    };
    for (const auto& [answer, chosen, staysOpen] : cases) {
        f.messages.shown.clear();
        frmDocument* document = answer == MsgResult::Yes ? nullptr : f.Open(path);
        if (!document) {
            WhenModal(AcceptDialog);
            f.main->LoadNewDoc();
            document = f.main->ActiveDocument();
        }
        ASSERT_NE(document, nullptr);
        document->ModifyDocInfo({"ABC", "a", "", "2"});
        f.messages.answers = {answer};
        f.dialogs.files = {chosen};
        document->CloseDoc();
        EXPECT_THAT(f.messages.Texts(), ElementsAre("是否保存对 \"ABC\" 的修改？"));
        EXPECT_EQ(f.VisibleWindows(), staysOpen ? 1 : 0);
        if (staysOpen) {
            document->Model().SetModified(false);
            document->CloseDoc();
        }
    }
    EXPECT_NE(f.dir.Read("new.opd").find("Title=ABC"), std::string::npos);
    // An unmodified document closes without a question.
    f.messages.shown.clear();
    f.Open(path)->CloseDoc();
    EXPECT_TRUE(f.messages.shown.empty());
}

TEST(MainWindow, ZoomKeysWheelAndReadOuts) {
    AppFixture f;
    frmDocument* document = f.Open(f.Document("a.opd"));
    ASSERT_NE(document, nullptr);
    for (int i = 0; i < 3; ++i)
        Press(document, Qt::Key_Plus);
    Press(document, Qt::Key_Right);
    EXPECT_EQ(f.StatusText(StatusPanel::Zoom), "缩放:(X:65.61%; Y:72.9%)");

    // Every key and every menu item scales the extent of its own axes by its own factor.
    const View& view = document->ViewState();
    const auto scales = [&](const std::function<void()>& act) {
        const float w = view.ScaleWidth(), h = view.ScaleHeight();
        act();
        return std::pair(std::round(view.ScaleWidth() / w * 100) / 100,
                         std::round(view.ScaleHeight() / h * 100) / 100);
    };
    using Scales = std::pair<float, float>;
    const std::pair<int, Scales> keys[] = {
        {Qt::Key_Plus, {0.9f, 0.9f}},  {Qt::Key_Equal, {0.9f, 0.9f}},
        {Qt::Key_Minus, {1.1f, 1.1f}}, {Qt::Key_Underscore, {1.1f, 1.1f}},
        {Qt::Key_Right, {0.9f, 1}},    {Qt::Key_Up, {1, 0.9f}},
        {Qt::Key_Left, {1.1f, 1}},     {Qt::Key_Down, {1, 1.1f}}};
    for (const auto& [key, expected] : keys)
        EXPECT_EQ(scales([&] { Press(document, key); }), expected) << key;
    const std::pair<const char*, Scales> items[] = {
        {"mnuZoomIn", {0.9f, 0.9f}}, {"mnuZoomOut", {1.1f, 1.1f}}, {"mnuZoomInByX", {0.9f, 1}},
        {"mnuZoomInByY", {1, 0.9f}}, {"mnuZoomOutByX", {1.1f, 1}}, {"mnuZoomOutByY", {1, 1.1f}}};
    for (const auto& [name, expected] : items)
        EXPECT_EQ(scales([&] { f.Action(name)->trigger(); }), expected) << name;
    // A toolbar button is its menu item's action.
    EXPECT_EQ(scales([&] {
                  ClickThroughWindow(f.main->findChild<QToolBar*>("tbToolBar3")
                                         ->widgetForAction(f.Action("mnuZoomOutByY")));
              }),
              Scales(1, 1.1f));

    // The pointer read-out of the centre of the surface.
    QMouseEvent move(QEvent::MouseMove, QPointF(document->width() / 2.0, document->height() / 2.0),
                     document->mapToGlobal(QPointF(0, 0)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(document, &move);
    EXPECT_TRUE(f.StatusText(StatusPanel::Readout).startsWith("当前坐标 X=0.000 Y=0.000"));

    Press(document, Qt::Key_Escape);
    EXPECT_EQ(f.VisibleWindows(), 0);
    EXPECT_EQ(f.StatusText(StatusPanel::Zoom), "缩放:(X:100.00%; Y:100.00%)");
}

TEST(MainWindow, PlacementIsStoredUnlessMinimized) {
    // Start, close, start: the same placement every time, to the twip.
    AppFixture f;
    f.main->close();
    for (int i = 0; i < 3; ++i) {
        frmMain again(f.context);
        again.show();
        again.close();
        const IniDocument ini = IniDocument::Load(f.context.Core.SettingsFile());
        EXPECT_EQ(*ini.Get("MainPos", "MainLeft") + " " + *ini.Get("MainPos", "MainTop") + " " +
                      *ini.Get("MainPos", "MainWidth") + " " + *ini.Get("MainPos", "MainHeight"),
                  "1000 1000 8700 7900");
    }
    // A placement beyond the screen comes back onto it.
    f.dir.Write(
        "Orbiplot_Setting.ini",
        "[MainPos]\r\nMainLeft=900000\r\nMainTop=-90000\r\nMainWidth=9000\r\nMainHeight=6000\r\n");
    frmMain far(f.context);
    EXPECT_EQ(far.geometry().size(), QSize(600, 400));
    EXPECT_TRUE(far.screen()->availableGeometry().contains(far.frameGeometry()));

    AppFixture minimized;
    minimized.main->setWindowState(Qt::WindowMinimized);
    minimized.main->close();
    EXPECT_FALSE(IniDocument::Load(minimized.context.Core.SettingsFile())
                     .Get("MainPos", "MainLeft")
                     .has_value());
}

TEST(MainWindow, DroppedDocumentsOpenAndOtherFilesAreIgnored) {
    AppFixture f;
    f.main->OpenDroppedFiles(
        {QUrl::fromLocalFile(QString::fromStdString(f.Document("a.opd"))),
         QUrl::fromLocalFile(QString::fromStdString(f.dir.Write("notes.txt", "x"))),
         QUrl("https://example.org/c.opd")});
    EXPECT_EQ(f.VisibleWindows(), 1);
    EXPECT_TRUE(f.messages.shown.empty());
}

TEST(NewDocumentDialog, ProposalsCounterAndProperties) {
    AppFixture f;
    WhenModal(AcceptDialog);
    f.main->Command().FileNew->trigger();
    EXPECT_EQ(f.context.DocumentCounter, 1);
    frmDocument* document = f.main->ActiveDocument();
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->GetDocInfo(),
              (DocInfo{"函数 0", modMain::GetLoginName(), "2026/12/6 18:22", "2"}));
    EXPECT_FALSE(document->Model().IsModified());

    // Cancel changes nothing; the next proposal shows the next number.
    QString name;
    WhenModal([&](QWidget* w) {
        name = w->findChild<QLineEdit*>("txtDocName")->text();
        qobject_cast<QDialog*>(w)->reject();
    });
    f.main->LoadNewDoc();
    EXPECT_EQ(name, "函数 1");
    EXPECT_EQ(f.context.DocumentCounter, 1);

    // Properties: the stored values, the polar choice, and an edit marks the document.
    document->ModifyDocInfo({"旧", "甲", "注", "1"});
    document->Model().SetModified(false);
    WhenModal([&](QWidget* w) {
        EXPECT_TRUE(w->findChild<QRadioButton*>("optCoo1")->isChecked());
        w->findChild<QLineEdit*>("txtDocName")->setText("新");
        AcceptDialog(w);
    });
    f.main->Command().FileProperties->trigger();
    EXPECT_EQ(document->GetDocInfo(), (DocInfo{"新", "甲", "注", "1"}));
    EXPECT_TRUE(document->Model().IsModified());
    EXPECT_EQ(document->windowTitle(), "新");
}

TEST(DocumentWindow, ARedrawAskedForDuringARedrawIsFoldedIntoOneAfterIt) {
    AppFixture f;
    const std::string path = f.dir.Write(
        "bad.opd", "[General]\r\nOPMVer=1\r\nC=1\r\n[0DATA]\r\nType=13\r\nExp1=sqr(x)\r\n");
    int requests = 0;
    frmDocument* document = nullptr;
    // While the curve's error box is up, the window is resized and asked to refresh twice.
    f.messages.whileShown = [&] {
        if (!document || requests++ > 0) return;
        document->RefreshAll();
        document->resize(document->width() + 10, document->height());
        document->RefreshAll();
    };
    document = f.Open(path);
    ASSERT_NE(document, nullptr);
    f.messages.shown.clear();
    requests = 0;
    document->RefreshAll();
    // One box for the redraw, one for the single folded redraw after it; none nested.
    EXPECT_EQ(f.messages.shown.size(), 2u);
    EXPECT_EQ(document->Picture().width(), document->width());
}

TEST(MainWindow, APipeOpenedAsADocumentIsReportedAndTheWindowAnswers) {
    AppFixture f;
    const std::string pipe = f.dir.File("pipe.opd");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    f.dialogs.files = {pipe};
    f.main->Command().FileOpen->trigger(); // returns: a pipe is never waited on
    EXPECT_THAT(f.messages.Texts(), ElementsAre(HasSubstr("pipe.opd 不是普通文件")));
    EXPECT_EQ(f.VisibleWindows(), 0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ASSERT_NE(f.Open(f.Document("a.opd")), nullptr);
}

TEST(DocumentWindow, OpeningReportsAFailingCurveOnce) {
    AppFixture f;
    ASSERT_NE(
        f.Open(f.dir.Write(
            "bad.opd", "[General]\r\nOPMVer=1\r\nC=1\r\n[0DATA]\r\nType=13\r\nExp1=sqr(x)\r\n")),
        nullptr);
    EXPECT_THAT(f.messages.Texts(), ElementsAre(HasSubstr("Err.Number = 5\n")));
}

TEST(MainWindow, PrintingAsksAndDrawsVectorsAtThePagesResolution) {
    AppFixture f;
    frmDocument* document = f.Open(f.Document("a.opd")); // a red unit circle at the origin
    ASSERT_NE(document, nullptr);
    // A page four times the picture's size: an enlarged picture would repeat each pixel over
    // a 4x4 block; a drawing at the page's size has edges finer than that.
    QImage page(document->Picture().size() * 4, QImage::Format_RGB32);
    page.fill(Qt::gray);
    ASSERT_TRUE(document->PrintTo(page));
    EXPECT_GT(DetailedBlocks(page, 4), 0);

    // On a PDF printer the page holds drawing and text, no picture; Cancel prints nothing.
    std::string pdf = f.dir.Path() + "/page.pdf";
    f.context.Print = [&](QWidget*, const std::function<bool(QPrinter&)>& draw) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        return std::optional<std::string>(draw(printer) ? "" : PrintFailure(printer));
    };
    f.messages.answers = {MsgResult::Cancel, MsgResult::OK};
    f.main->Command().FilePrint->trigger();
    EXPECT_FALSE(std::filesystem::exists(pdf));
    f.main->Command().FilePrint->trigger();
    QFile file(QString::fromStdString(pdf));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_FALSE(bytes.contains("/Subtype /Image"));
    EXPECT_TRUE(bytes.contains("/Font"));
    EXPECT_EQ(f.messages.shown.size(), 2u);

    // A file that cannot be written is reported, not passed over.
    pdf = f.dir.Path() + "/no/such/folder/p.pdf";
    f.messages.answers = {MsgResult::OK};
    f.main->Command().FilePrint->trigger();
    ASSERT_EQ(f.messages.shown.size(), 4u);
    EXPECT_EQ(f.messages.shown[3].Text, "打印失败: 无法写入文件 " + pdf);
    EXPECT_EQ(f.messages.shown[3].Title, "Orbiplot 打印");
    EXPECT_EQ(f.messages.shown[3].Icon, MsgIcon::Critical);
}

namespace {

// A device that takes the page and then fails on the first thing drawn, as a page too large
// for memory does.
class FailingEngine : public QPaintEngine {
public:
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override { Fail(); }
    void drawPath(const QPainterPath&) override { Fail(); }
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override { Fail(); }
    void drawLines(const QLineF*, int) override { Fail(); }
    void drawRects(const QRectF*, int) override { Fail(); }
    void drawTextItem(const QPointF&, const QTextItem&) override { Fail(); }
    Type type() const override { return QPaintEngine::User; }
    [[noreturn]] static void Fail() { throw std::runtime_error("墨盒已空"); }
};
class FailingPage : public QPaintDevice {
public:
    QPaintEngine* paintEngine() const override { return &engine_; }
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth: return 800;
        case PdmHeight: return 600;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 96;
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return 1;
        }
    }

private:
    mutable FailingEngine engine_;
};

} // namespace

TEST(MainWindow, APageThatCannotBeDrawnOrADocumentClosedMeanwhileIsReported) {
    AppFixture f;
    frmDocument* document = f.Open(f.Document("a.opd"));
    ASSERT_NE(document, nullptr);
    FailingPage page;
    std::string why;
    EXPECT_FALSE(document->PrintTo(page, &why));
    EXPECT_NE(why.find("无法绘制页面"), std::string::npos) << why;
    EXPECT_NE(why.find("墨盒已空"), std::string::npos) << why;

    // Through the command: the failure in the printing box, with the error's own text.
    f.context.Print = [&](QWidget*, const std::function<bool(QPrinter&)>& draw) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(f.dir.Path() + "/p.pdf"));
        // The person closes the document while the dialog is open.
        document->Model().SetModified(false);
        document->parentWidget()->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return std::optional<std::string>(draw(printer) ? "" : PrintFailure(printer));
    };
    f.messages.answers = {MsgResult::OK};
    f.main->Command().FilePrint->trigger();
    ASSERT_EQ(f.messages.shown.size(), 2u);
    EXPECT_EQ(f.messages.shown[1].Text, "打印失败: 文档已关闭");
}

TEST(MainWindow, NewWindowsCascadeInsideAndTheStatusPanelsFit) {
    AppFixture f;
    f.main->resize(900, 700);
    ASSERT_NE(f.Open(f.Document("a.opd")), nullptr);
    ASSERT_NE(f.Open(f.Document("b.opd")), nullptr);
    const QList<QMdiSubWindow*> windows = f.main->MdiArea()->subWindowList();
    const QRect area = f.main->MdiArea()->viewport()->rect();
    for (QMdiSubWindow* w : windows)
        EXPECT_TRUE(area.contains(w->geometry())) << w->windowTitle().toStdString();
    EXPECT_NE(windows[0]->pos(), windows[1]->pos());

    // Cascaded with a calculator: every window as large as the steps leave room for, each one
    // step further in, the front one reaching the area's lower right corner.
    f.main->OpenCalculator();
    f.main->Command().WindowCascade->trigger();
    const QList<QMdiSubWindow*> stacked = f.main->MdiArea()->subWindowList(QMdiArea::StackingOrder);
    ASSERT_EQ(stacked.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(area.contains(stacked[i]->geometry())) << i;
        EXPECT_GT(stacked[i]->width(), area.width() * 3 / 4) << i;
        EXPECT_GT(stacked[i]->height(), area.height() * 3 / 4) << i;
        if (i == 0) continue;
        EXPECT_GT(stacked[i]->x(), stacked[i - 1]->x());
        EXPECT_GT(stacked[i]->y(), stacked[i - 1]->y());
    }
    EXPECT_EQ(stacked.back()->geometry().bottomRight(), area.bottomRight());
    EXPECT_TRUE(
        stacked.back()->widget()->inherits("orbiplot::frmExpressionParse")); // it was in front
    f.main->MdiArea()->setActiveSubWindow(stacked[1]);
    // More windows than steps fit in half the area: the steps start over, all inside.
    for (int i = 0; i < 12; ++i)
        f.main->OpenCalculator();
    f.main->Command().WindowCascade->trigger();
    for (QMdiSubWindow* w : f.main->MdiArea()->subWindowList())
        EXPECT_TRUE(area.contains(w->geometry())) << w->windowTitle().toStdString();
    // An area smaller than a window's least size leaves it that size (the area scrolls).
    const QSize before = f.main->size();
    f.main->resize(f.main->minimumSizeHint());
    QApplication::processEvents();
    ASSERT_LT(f.main->MdiArea()->viewport()->height(), stacked.back()->minimumSizeHint().height());
    f.main->Command().WindowCascade->trigger();
    for (QMdiSubWindow* w : f.main->MdiArea()->subWindowList()) {
        EXPECT_GE(w->width(), w->minimumSizeHint().width()) << w->windowTitle().toStdString();
        EXPECT_GE(w->height(), w->minimumSizeHint().height()) << w->windowTitle().toStdString();
    }
    f.main->resize(before);
    QApplication::processEvents();
    f.main->Command().WindowCascade->trigger();
    for (QMdiSubWindow* w : f.main->MdiArea()->subWindowList())
        if (w->widget()->inherits("orbiplot::frmExpressionParse")) w->close();
    f.main->MdiArea()->setActiveSubWindow(f.main->MdiArea()->subWindowList().front());

    // Both percentages and a read-out fit their panels.
    f.main->ActiveDocument()->Zoom(ZoomInFactor, true, false);
    QTest::mouseMove(f.main->windowHandle(),
                     f.main->ActiveDocument()->mapTo(f.main.get(), QPoint(3, 3)));
    for (const char* name : {"sbPanel1", "sbPanel2"}) {
        auto* panel = f.main->findChild<QLabel*>(name);
        EXPECT_GE(panel->contentsRect().width(),
                  panel->fontMetrics().horizontalAdvance(panel->text()))
            << name;
    }
}

TEST(MainWindow, AFailedExportKeepsTheOldPictureAndSaysWhy) {
    AppFixture f;
    ASSERT_NE(f.Open(f.Document("a.opd")), nullptr);
    const std::string old = f.dir.Write("old.png", "the old picture");
    const std::string folder = f.dir.File("in-the-way.svg");
    std::filesystem::create_directory(folder);
    f.dialogs.files = {folder, f.dir.File("missing/x.bmp"), old};
    for (int i = 0; i < 3; ++i) {
        WhenModal(AcceptDialog);
        f.main->Command().FileExport->trigger();
    }
    EXPECT_THAT(f.messages.Texts(), ElementsAre(_, HasSubstr("Orbiplot.Windows")));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(f.dir.Read("old.png").substr(1, 3), "PNG");
    for (const auto& entry : std::filesystem::directory_iterator(f.dir.Path()))
        EXPECT_EQ(entry.path().filename().string().find(".orbiplot-"), std::string::npos);
}

// Run with QT_SCALE_FACTOR=2: the picture has the screen's own pixels, drawn at that size.
TEST(HiDpi, ThePictureHasTheScreensPixels) {
    AppFixture f;
    frmDocument* document = f.Open(f.Document("a.opd"));
    ASSERT_NE(document, nullptr);
    const qreal ratio = document->devicePixelRatioF();
    if (ratio < 1.5) GTEST_SKIP() << "runs at 200 % scaling only";
    const QImage& picture = document->Picture();
    EXPECT_EQ(picture.size(), (QSizeF(document->size()) * ratio).toSize());
    EXPECT_GT(DetailedBlocks(picture, 2), 50);
    // The read-out still counts logical pixels: the centre reads the origin.
    QTest::mouseMove(f.main->windowHandle(),
                     document->mapTo(f.main.get(), document->rect().center()));
    const auto m =
        QRegularExpression("X=(-?[0-9.]+) Y=(-?[0-9.]+)").match(f.StatusText(StatusPanel::Readout));
    ASSERT_TRUE(m.hasMatch()) << f.StatusText(StatusPanel::Readout).toStdString();
    EXPECT_LT(std::fabs(m.captured(1).toDouble()), 0.1); // within a pixel or two of the origin
    EXPECT_LT(std::fabs(m.captured(2).toDouble()), 0.1);
}

TEST(MainWindow, ExitAsksEveryQuestionBeforeClosingAnythingAndCancelStopsIt) {
    AppFixture f;
    std::vector<frmDocument*> documents;
    for (const char* title : {"A", "B", "C"}) {
        documents.push_back(f.Open(f.Document(std::string(title) + ".opd", title)));
        ASSERT_NE(documents.back(), nullptr);
    }
    // A and C changed, B as loaded.
    documents[0]->ModifyDocInfo({"A", "a", "x", "2"});
    documents[2]->ModifyDocInfo({"C", "c", "x", "2"});
    const auto exit = [&] {
        f.main->activateWindow();
        QApplication::processEvents();
        QTest::keyClick(f.main->windowHandle(), Qt::Key_X, Qt::ControlModifier);
    };
    // Cancel on the first question: no other question, nothing closed, the program on.
    f.messages.answers = {MsgResult::Cancel};
    exit();
    EXPECT_THAT(f.messages.Texts(), ElementsAre("是否保存对 \"A\" 的修改？"));
    EXPECT_EQ(f.VisibleWindows(), 3);
    EXPECT_TRUE(f.main->isVisible());
    // No on the first, Cancel on the second: still nothing closed, A still changed, and the
    // next exit asks about A again.
    f.messages.shown.clear();
    f.messages.answers = {MsgResult::No, MsgResult::Cancel};
    exit();
    EXPECT_THAT(f.messages.Texts(),
                ElementsAre("是否保存对 \"A\" 的修改？", "是否保存对 \"C\" 的修改？"));
    EXPECT_EQ(f.VisibleWindows(), 3);
    EXPECT_TRUE(documents[0]->Model().IsModified());
    EXPECT_TRUE(f.main->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // Answered both: everything closes, each asked once.
    f.messages.shown.clear();
    f.messages.answers = {MsgResult::No, MsgResult::No};
    exit();
    EXPECT_EQ(f.messages.shown.size(), 2u);
    EXPECT_EQ(f.VisibleWindows(), 0);
    EXPECT_FALSE(f.main->isVisible());
}

TEST(MainWindow, ANewDocumentAmongMaximisedOnesComesMaximisedInPlace) {
    AppFixture f;
    f.main->resize(900, 700);
    frmDocument* first = f.Open(f.Document("a.opd", "A"));
    ASSERT_NE(first, nullptr);
    first->parentWidget()->showMaximized();
    QApplication::processEvents();
    const QRect area = f.main->MdiArea()->viewport()->rect();
    // Ctrl+N, Enter.
    WhenModal(AcceptDialog);
    f.main->activateWindow();
    QApplication::processEvents();
    QTest::keyClick(f.main->windowHandle(), Qt::Key_N, Qt::ControlModifier);
    frmDocument* made = f.main->ActiveDocument();
    ASSERT_NE(made, first);
    ASSERT_NE(made, nullptr);
    QApplication::processEvents();
    EXPECT_TRUE(made->parentWidget()->isMaximized());
    EXPECT_EQ(made->parentWidget()->geometry(), area);
    // Its picture fills the area to the edges: the document is as large as the area.
    EXPECT_EQ(made->size(), area.size());
    // Opened again from the recent list, the same.
    first->parentWidget()->close();
    QApplication::processEvents();
    f.main->Command().Recent[0]->trigger();
    frmDocument* reopened = f.main->ActiveDocument();
    ASSERT_NE(reopened, nullptr);
    ASSERT_NE(reopened, made);
    QApplication::processEvents();
    EXPECT_TRUE(reopened->parentWidget()->isMaximized());
    EXPECT_EQ(reopened->parentWidget()->geometry(), area);
    // Among windows that are not maximised, a new one is cascaded as before.
    made->parentWidget()->showNormal();
    reopened->parentWidget()->showNormal();
    QApplication::processEvents();
    WhenModal(AcceptDialog);
    f.main->Command().FileNew->trigger();
    EXPECT_FALSE(f.main->ActiveDocument()->parentWidget()->isMaximized());
}
