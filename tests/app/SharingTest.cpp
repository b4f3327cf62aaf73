// The graph leaves the program: exported in every format and size, copied to the clipboard,
// printed through the toolkit's dialog and previewed.
#include "AppTestSupport.h"

#include "PdfTestSupport.h"
#include "services/QtSeams.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QRadioButton>
#include <QSpinBox>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

using namespace orbiplot;
using namespace orbiplot::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

// A red circle of radius 2 and a blue wave, titled "分享".
frmDocument* Shared(AppFixture& f) {
    frmDocument* d = f.Open(f.dir.Write(
        "s.opd", "[General]\r\nOPMVer=1\r\nTitle=分享\r\nC=2\r\n[0DATA]\r\nType=6\r\nSD1=0\r\n"
                 "SD2=0\r\nSD3=2\r\nLC=255\r\nLW=2\r\n[1DATA]\r\nType=13\r\nExp1=sin(x)\r\n"
                 "LC=16711680\r\n"));
    if (d) d->parentWidget()->resize(420, 300);
    return d;
}

// Exports through the command: the file dialog answers path, act() sets the size.
void Export(
    AppFixture& f, const std::string& path,
    const std::function<void(QWidget*)>& act = [](QWidget*) {}) {
    f.dialogs.files = {path};
    WhenModal([act](QWidget* w) {
        ASSERT_EQ(w->objectName(), "frmExportOptions");
        act(w);
        Named(w, "cmdOK")->click();
    });
    f.main->Command().FileExport->trigger();
}

// How far right the red circle reaches on the middle row, as a share of the width.
double RedReach(const QImage& image) {
    int right = 0;
    const int y = image.height() / 2;
    for (int x = 0; x < image.width(); ++x) {
        const QRgb p = image.pixel(x, y);
        if (qRed(p) > 200 && qGreen(p) < 90 && qBlue(p) < 90) right = x;
    }
    return double(right) / image.width();
}

} // namespace

TEST(Export, EachFormatAndEverySize) {
    AppFixture f;
    frmDocument* d = Shared(f);
    ASSERT_NE(d, nullptr);
    const QSize window = d->PictureSize();
    EXPECT_EQ(f.dialogs.requests.size(), 0u);

    // The window's size, proposed: the window's own picture, as a BMP.
    Export(f, f.dir.File("w.bmp"), [&](QWidget* w) {
        EXPECT_TRUE(Named<QRadioButton>(w, "optWindow")->isChecked());
        EXPECT_FALSE(Named<QCheckBox>(w, "chkTransparent")->isEnabled()); // not for a BMP
        EXPECT_EQ(Named<QLabel>(w, "lblResult")->text(),
                  QString("图形: %1 × %2 像素, %3 × %4 毫米")
                      .arg(window.width())
                      .arg(window.height())
                      .arg(window.width() * 25.4 / 96, 0, 'f', 1)
                      .arg(window.height() * 25.4 / 96, 0, 'f', 1));
    });
    ASSERT_EQ(f.dialogs.requests.size(), 1u);
    const FileDialogRequest& request = f.dialogs.requests[0];
    EXPECT_EQ(request.Title, "保存BMP为");
    ASSERT_EQ(request.Filters.size(), 4u);
    EXPECT_EQ(request.Filters[0].Pattern, "*.bmp");
    EXPECT_EQ(request.Filters[1].Pattern, "*.png");
    EXPECT_EQ(request.Filters[2].Pattern, "*.svg");
    EXPECT_EQ(request.Filters[3].Description, "PDF 文档 (*.pdf)");
    QImage bmp(QString::fromStdString(f.dir.File("w.bmp")));
    EXPECT_EQ(bmp.size(), window);
    EXPECT_EQ(bmp.convertToFormat(QImage::Format_RGB32),
              d->Picture().convertToFormat(QImage::Format_RGB32));

    // A size in pixels, wider than the window's shape: the drawing scaled by width, the file
    // exactly the pixels asked for.
    Export(f, f.dir.File("p.png"), [](QWidget* w) {
        Named<QRadioButton>(w, "optPixels")->click();
        Named<QCheckBox>(w, "chkKeepShape")->setChecked(false);
        Named<QSpinBox>(w, "txtPixelWidth")->setValue(1260);
        Named<QSpinBox>(w, "txtPixelHeight")->setValue(333);
    });
    const QImage pixels(QString::fromStdString(f.dir.File("p.png")));
    EXPECT_EQ(pixels.size(), QSize(1260, 333));
    EXPECT_NEAR(RedReach(pixels), RedReach(d->Picture()), 0.01);
    // Keeping the window's shape, the height follows the width.
    Export(f, f.dir.File("k.png"), [&](QWidget* w) {
        Named<QRadioButton>(w, "optPixels")->click();
        Named<QSpinBox>(w, "txtPixelWidth")->setValue(window.width() * 3);
        EXPECT_EQ(Named<QSpinBox>(w, "txtPixelHeight")->value(), window.height() * 3);
    });
    EXPECT_EQ(QImage(QString::fromStdString(f.dir.File("k.png"))).size(), window * 3);

    // 15 cm at 300 dpi, in inches too: 1772 pixels wide, and the file says 300 dpi.
    Export(f, f.dir.File("cm.png"), [](QWidget* w) {
        Named<QRadioButton>(w, "optPhysical")->click();
        Named<QCheckBox>(w, "chkKeepShape")->setChecked(false);
        Named<QDoubleSpinBox>(w, "txtWidth")->setValue(15);
        Named<QDoubleSpinBox>(w, "txtHeight")->setValue(10);
        Named<QSpinBox>(w, "txtDpi")->setValue(300);
        EXPECT_THAT(Named<QLabel>(w, "lblResult")->text().toStdString(),
                    HasSubstr("1772 × 1181 像素, 150.0 × 100.0 毫米"));
    });
    const QImage cm(QString::fromStdString(f.dir.File("cm.png")));
    EXPECT_EQ(cm.size(), QSize(1772, 1181));
    EXPECT_NEAR(cm.dotsPerMeterX() * 0.0254, 300, 0.1);
    Export(f, f.dir.File("in.bmp"), [](QWidget* w) {
        Named<QRadioButton>(w, "optPhysical")->click();
        Named<QCheckBox>(w, "chkKeepShape")->setChecked(false);
        Named<QComboBox>(w, "cboUnit")->setCurrentIndex(1); // inches
        Named<QDoubleSpinBox>(w, "txtWidth")->setValue(2);
        Named<QDoubleSpinBox>(w, "txtHeight")->setValue(1.5);
        Named<QSpinBox>(w, "txtDpi")->setValue(100);
    });
    EXPECT_EQ(QImage(QString::fromStdString(f.dir.File("in.bmp"))).size(), QSize(200, 150));

    // A PNG with its background left clear: the grid's background is gone, the curves not.
    Export(f, f.dir.File("t.png"), [](QWidget* w) {
        auto* transparent = Named<QCheckBox>(w, "chkTransparent");
        EXPECT_TRUE(transparent->isEnabled());
        transparent->setChecked(true);
    });
    const QImage clear(QString::fromStdString(f.dir.File("t.png")));
    ASSERT_EQ(clear.size(), window);
    EXPECT_TRUE(clear.hasAlphaChannel());
    int opaqueRed = 0, seeThrough = 0;
    for (int y = 0; y < clear.height(); ++y)
        for (int x = 0; x < clear.width(); ++x) {
            const QRgb p = clear.pixel(x, y);
            seeThrough += qAlpha(p) == 0;
            opaqueRed += qAlpha(p) == 255 && qRed(p) > 200 && qGreen(p) < 60;
        }
    EXPECT_GT(seeThrough, clear.width() * clear.height() / 2);
    EXPECT_GT(opaqueRed, 100);

    // SVG and PDF: vectors and text, no picture inside.
    Export(f, f.dir.File("v.svg"));
    const std::string svg = f.dir.Read("v.svg");
    EXPECT_NE(svg.find("<text"), std::string::npos);
    EXPECT_NE(svg.find("<polyline"), std::string::npos);
    EXPECT_NE(svg.find("<title>分享</title>"), std::string::npos);
    EXPECT_EQ(svg.find("<image"), std::string::npos);
    // Its size stated at the screen's 96 dpi.
    const QString width = QString::number(window.width() * 25.4 / 96, 'g', 6);
    EXPECT_NE(svg.find(("width=\"" + width + "mm\"").toStdString()), std::string::npos)
        << svg.substr(0, 300);
    Export(f, f.dir.File("v.pdf"), [](QWidget* w) {
        Named<QRadioButton>(w, "optPhysical")->click();
        Named<QCheckBox>(w, "chkKeepShape")->setChecked(false);
        Named<QDoubleSpinBox>(w, "txtWidth")->setValue(21);
        Named<QDoubleSpinBox>(w, "txtHeight")->setValue(14);
    });
    const QByteArray pdf = QByteArray::fromStdString(f.dir.Read("v.pdf"));
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_FALSE(pdf.contains("/Subtype /Image"));
    EXPECT_TRUE(pdf.contains("/MediaBox [0 0 595.000000 397.000000]")); // 21 x 14 cm
    const std::string page = PdfStreams(pdf);
    EXPECT_NE(page.find("BT\n"), std::string::npos);
    EXPECT_NE(page.find(" l\n"), std::string::npos);
    EXPECT_TRUE(f.messages.shown.empty());

    // Cancelled at the size: nothing written.
    f.dialogs.files = {f.dir.File("none.png")};
    WhenModal([](QWidget* w) { Named(w, "cmdCancel")->click(); });
    f.main->Command().FileExport->trigger();
    EXPECT_FALSE(std::filesystem::exists(f.dir.File("none.png")));

    // A PDF that cannot be written (a folder stands in its place): reported, nothing lost.
    const std::string folder = f.dir.File("in-the-way.pdf");
    std::filesystem::create_directory(folder);
    Export(f, folder);
    EXPECT_THAT(f.messages.Texts(), ElementsAre(HasSubstr("不是普通文件")));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST(Export, UnitsSwitchBothWaysTheResolutionHasItsKeyAndUpperCaseEndingsWork) {
    AppFixture f;
    ASSERT_NE(Shared(f), nullptr);
    // 15 by 10 cm are 5.91 by 3.94 in, and back 15 by 10, not the inches' rounding; the
    // pixels follow the lengths typed, not those shown.
    Export(f, f.dir.File("u.png"), [](QWidget* w) {
        Named<QRadioButton>(w, "optPhysical")->click();
        Named<QCheckBox>(w, "chkKeepShape")->setChecked(false);
        auto* width = Named<QDoubleSpinBox>(w, "txtWidth");
        auto* height = Named<QDoubleSpinBox>(w, "txtHeight");
        auto* unit = Named<QComboBox>(w, "cboUnit");
        width->setValue(15);
        height->setValue(10);
        Named<QSpinBox>(w, "txtDpi")->setValue(300);
        unit->setCurrentIndex(1);
        EXPECT_EQ(width->text(), "5.91");
        EXPECT_EQ(height->text(), "3.94");
        EXPECT_THAT(Named<QLabel>(w, "lblResult")->text().toStdString(),
                    HasSubstr("1772 × 1181 像素, 150.0 × 100.0 毫米"));
        unit->setCurrentIndex(0);
        EXPECT_EQ(width->text(), "15.00");
        EXPECT_EQ(height->text(), "10.00");
        // A length typed in inches is taken as typed: 4 in at 300 dpi are 1200 pixels.
        unit->setCurrentIndex(1);
        width->setValue(4);
        EXPECT_THAT(Named<QLabel>(w, "lblResult")->text().toStdString(),
                    HasSubstr("1200 × 1181 像素, 101.6 × 100.0 毫米"));
        unit->setCurrentIndex(0);
        EXPECT_EQ(width->text(), "10.16");
        // The resolution's label names its box: its key goes there, its text has no '&'.
        auto* resolution = Named<QLabel>(w, "lblDpi");
        EXPECT_EQ(resolution->buddy(), Named<QSpinBox>(w, "txtDpi"));
        w->activateWindow();
        QApplication::processEvents();
        QTest::keyClick(w->windowHandle(), Qt::Key_R, Qt::AltModifier);
        EXPECT_TRUE(Named<QSpinBox>(w, "txtDpi")->hasFocus());
    });
    EXPECT_EQ(QImage(QString::fromStdString(f.dir.File("u.png"))).size(), QSize(1200, 1181));
    // Upper-case endings choose the format as lower-case ones do.
    Export(f, f.dir.File("PIC.PNG"));
    EXPECT_EQ(f.dir.Read("PIC.PNG").substr(1, 3), "PNG");
    Export(f, f.dir.File("PIC.SVG"));
    EXPECT_THAT(f.dir.Read("PIC.SVG"), HasSubstr("<svg"));
    Export(f, f.dir.File("PIC.PDF"));
    EXPECT_EQ(f.dir.Read("PIC.PDF").substr(0, 4), "%PDF");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(Export, TheFileDialogGivesANameTheChosenFiltersEnding) {
    const std::vector<FileFilter> filters = {{"24 位位图 (*.bmp)", "*.bmp"},
                                             {"PNG 图像 (*.png)", "*.png"},
                                             {"PDF 文档 (*.pdf)", "*.pdf"}};
    EXPECT_EQ(WithOfferedEnding("/a/graph", filters, 1), "/a/graph.png");
    EXPECT_EQ(WithOfferedEnding("/a/graph.PDF", filters, 1), "/a/graph.PDF");
    EXPECT_EQ(WithOfferedEnding("/a/graph.bmp", filters, 2), "/a/graph.bmp");
    EXPECT_EQ(WithOfferedEnding("/a/graph.txt", filters, 2), "/a/graph.txt.pdf");
    EXPECT_EQ(WithOfferedEnding("/a.png/graph", filters, 0), "/a.png/graph.bmp");
    EXPECT_EQ(WithOfferedEnding("/a/.png", filters, 0), "/a/.png.bmp");
    EXPECT_EQ(FilterEnding({"all", "*"}), "");
    EXPECT_EQ(FilterEnding({"bitmaps", "*.BMP;*.dib"}), "bmp");

    // The toolkit's dialog: a name typed with the PNG filter chosen comes back as a PNG.
    TempDir dir;
    QtDialogSeam seam;
    for (const auto& [typed, filter, expected] : std::vector<std::tuple<QString, int, std::string>>{
             {"graph", 1, "graph.png"}, {"graph", 2, "graph.pdf"}, {"graph.BMP", 2, "graph.BMP"}}) {
        WhenModal([&, typed = typed, filter = filter](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            ASSERT_NE(dialog, nullptr);
            dialog->selectNameFilter(dialog->nameFilters()[filter]);
            // As a person chooses the filter: the dialog tells its choice.
            emit dialog->filterSelected(dialog->nameFilters()[filter]);
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(typed);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        FileDialogRequest request;
        request.Save = true;
        request.StartFolder = dir.Path();
        request.Filters = filters;
        request.DefaultExtension = "bmp";
        EXPECT_EQ(seam.ShowFileDialog(request), dir.Path() + "/" + expected) << typed.toStdString();
    }
}

TEST(Clipboard, ThePictureGoesAsAnImageAndAsSvgByKeyMenuAndTheDocumentsMenu) {
    AppFixture f;
    frmDocument* d = Shared(f);
    ASSERT_NE(d, nullptr);
    QClipboard* clipboard = QGuiApplication::clipboard();
    const auto check = [&](const char* how) {
        const QMimeData* data = clipboard->mimeData();
        ASSERT_NE(data, nullptr) << how;
        EXPECT_TRUE(data->hasImage()) << how;
        const QImage image = qvariant_cast<QImage>(data->imageData());
        EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32),
                  d->Picture().convertToFormat(QImage::Format_RGB32))
            << how;
        const QByteArray svg = data->data("image/svg+xml");
        EXPECT_TRUE(svg.contains("<svg")) << how;
        EXPECT_TRUE(svg.contains("<text")) << how;
        clipboard->clear();
    };
    d->setFocus();
    f.main->activateWindow();
    QTest::keyClick(f.main->windowHandle(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    check("key");
    f.main->Command().FileCopyPicture->trigger();
    check("menu item");
    // The document's own menu, opened by a right click that does not drag.
    QTimer::singleShot(0, [] {
        QWidget* popup = QApplication::activePopupWidget();
        ASSERT_NE(popup, nullptr);
        for (QAction* action : popup->actions())
            if (action->text() == "复制图形(&G)") action->trigger();
        popup->close();
    });
    QTest::mouseClick(d, Qt::RightButton, {}, QPoint(100, 100));
    check("document menu");
    // Ctrl+C alone stays the constants manager's key, as the window's own.
    EXPECT_EQ(f.main->Command().ToolsConstantManager->shortcut(), QKeySequence("Ctrl+C"));
}

TEST(Printing, TheToolkitsDialogOffersPdfAndThePreviewShowsThePage) {
    AppFixture f;
    frmDocument* d = Shared(f);
    ASSERT_NE(d, nullptr);
    // The program's own print path: after the question, the toolkit's dialog, which offers
    // printing to a PDF file even with no printer set up. Cancelled, nothing is said.
    AppContext real(f.messages, f.dialogs, f.random, f.clock, f.dir.Path());
    f.context.Print = real.Print;
    QStringList offered;
    WhenModal([&](QWidget* w) {
        for (QComboBox* box : w->findChildren<QComboBox*>())
            for (int i = 0; i < box->count(); ++i)
                offered << box->itemText(i);
        qobject_cast<QDialog*>(w)->reject();
    });
    f.messages.answers = {MsgResult::OK};
    f.main->Command().FilePrint->trigger();
    EXPECT_TRUE(offered.filter("PDF").size() > 0) << offered.join("|").toStdString();
    EXPECT_EQ(f.messages.shown.size(), 1u); // the question only

    // The preview shows one page drawn by the engine.
    int pages = -1;
    WhenModal([&](QWidget* w) {
        ASSERT_NE(qobject_cast<QPrintPreviewDialog*>(w), nullptr);
        auto* preview = w->findChild<QPrintPreviewWidget*>();
        ASSERT_NE(preview, nullptr);
        preview->updatePreview();
        pages = preview->pageCount();
        qobject_cast<QDialog*>(w)->reject();
    });
    f.main->Command().FilePrintPreview->trigger();
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
