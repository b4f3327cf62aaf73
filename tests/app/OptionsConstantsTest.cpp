#include "AppTestSupport.h"

#include "base/AppSettings.h"
#include "dialogs/frmConstManager.h"
#include "dialogs/frmExpressionParse.h"
#include "dialogs/frmOptions.h"
#include "expr/modConst.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

using namespace orbiplot;
using namespace orbiplot::test;

TEST(OptionsDialog, EveryControlAndWhatOkStores) {
    AppFixture f;
    f.context.Core.Settings = AppSettings{};
    f.context.Core.Settings.Style = 9; // outside the list: shown as the first entry
    frmDocument* document = f.Open(f.Document("a.opd"));
    ASSERT_NE(document, nullptr);
    f.dialogs.colours = {0x00FF00, 0x303030};
    WhenModal([&](QWidget* w) {
        auto* d = qobject_cast<frmOptions*>(w);
        ASSERT_NE(d, nullptr);
        auto* styles = Named<QComboBox>(d, "imgcboLineStyle");
        EXPECT_EQ(styles->currentText(), "实线");
        styles->setCurrentIndex(2);
        QTest::mouseClick(Named<QPushButton>(d, "picColor"), Qt::LeftButton);
        QTest::mouseClick(Named<QPushButton>(d, "picBackColor"), Qt::LeftButton);
        auto* unit = Named<QLineEdit>(d, "txtValue");
        unit->selectAll();
        QTest::keyClicks(unit, "100");
        EXPECT_EQ(unit->text(), "1.00");
        auto* arrows = Named<QScrollBar>(d, "VScroll1");
        ClickArrow(arrows, true);
        ClickArrow(arrows, true);
        EXPECT_EQ(unit->text(), "1.1");
        Named<QRadioButton>(d, "Option1")->click();
        EXPECT_FALSE(unit->isEnabled() || arrows->isEnabled());
        Named<QCheckBox>(d, "chkGrid")->setChecked(false);
        Named<QPushButton>(d, "cmdOk")->click();
    });
    f.main->Command().ToolsOptions->trigger();
    EXPECT_THAT(f.messages.Texts(), ElementsAre("取值应在(0,99]之间"));
    const AppSettings& s = f.context.Core.Settings;
    EXPECT_TRUE(s.IsPi);
    EXPECT_EQ(s.Unit, 1.1f); // the unit shown in the disabled box
    EXPECT_EQ(s.Style, 3);
    EXPECT_FALSE(s.IsShow);
    EXPECT_EQ(s.Color, 0x00FF00u);
    EXPECT_EQ(LoadSettings(f.context.Core.SettingsFile()).BackColor, 0x303030u);
    // The active document was drawn again on the new background.
    EXPECT_EQ(document->Picture().pixelColor(2, document->Picture().height() - 2),
              QColor(0x30, 0x30, 0x30));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(OptionsDialog, CancelKeepsOnlyTheTipSwitchAndNoDocumentNeedsNoRedraw) {
    AppFixture f;
    const std::string file = f.context.Core.SettingsFile();
    WhenModal([](QWidget* w) {
        Named<QCheckBox>(w, "chkTip")->click();
        Named<QLineEdit>(w, "txtValue")->setText("5");
        Named<QPushButton>(w, "cmdCancel")->click();
    });
    f.main->Command().ToolsOptions->trigger();
    EXPECT_FALSE(f.context.Core.Settings.IsShowTip);
    EXPECT_EQ(f.context.Core.Settings.Unit, 1.0f);
    EXPECT_FALSE(std::filesystem::exists(file));

    WhenModal([](QWidget* w) { Named<QPushButton>(w, "cmdOk")->click(); });
    f.main->Command().ToolsOptions->trigger(); // no document open: written, nothing drawn
    EXPECT_FALSE(LoadSettings(file).IsShowTip);
}

TEST(ConstantsManager, AddRemoveTheirErrorsAndTheFileAtEveryClose) {
    AppFixture f;
    const std::string file = f.context.Core.ConstantsFile();
    struct Attempt {
        const char* name;
        const char* value;
        const char* expected; // a piece of the report, or nullptr when accepted
    };
    const Attempt attempts[] = {{"g", "9.8", nullptr}, {"x", "abc", "无效常数值"}, {"k", "2", nullptr}, {"K", "3", "此常数已存在"}};
    QStringList lines;
    QString selectedValue, nameAfterFailure;
    WhenModal([&](QWidget* w) {
        auto* name = Named<QLineEdit>(w, "txtConstName");
        auto* value = Named<QLineEdit>(w, "txtConstValue");
        for (const Attempt& a : attempts) {
            const size_t before = f.messages.shown.size();
            name->setText(a.name);
            value->setText(a.value);
            Named<QPushButton>(w, "cmdAddConst")->click();
            if (!a.expected) {
                EXPECT_EQ(f.messages.shown.size(), before) << a.name;
                EXPECT_TRUE(name->text().isEmpty() && value->text().isEmpty());
                continue;
            }
            ASSERT_EQ(f.messages.shown.size(), before + 1) << a.name;
            EXPECT_NE(f.messages.shown.back().Text.find(a.expected), std::string::npos)
                << f.messages.shown.back().Text;
            if (std::string(a.value) == "abc") selectedValue = value->selectedText();
            nameAfterFailure = name->text();
        }
        // Right away in the shared parser.
        EXPECT_EQ(f.context.Core.Parser.ParseExpression("g*2"), 19.6);
        auto* list = Named<QListWidget>(w, "lstConstants");
        list->clearSelection();
        list->setCurrentRow(-1);
        Named<QPushButton>(w, "cmdRemoveConst")->click();
        EXPECT_EQ(f.messages.shown.back().Text, "没有常数被选择");
        list->setCurrentRow(0);
        Named<QPushButton>(w, "cmdRemoveConst")->click();
        for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
        Named<QPushButton>(w, "cmdClose")->click();
    });
    f.main->Command().ToolsConstantManager->trigger();
    EXPECT_EQ(selectedValue, "abc");
    EXPECT_EQ(nameAfterFailure, "K");
    EXPECT_EQ(lines, QStringList{"k - 2"});
    EXPECT_EQ(modConst::GetUserConstantList(f.context.Core), std::vector<std::string>{"k - 2"});
    EXPECT_EQ(f.dir.Read("Orbiplot_Const.ini"), "[Data]\r\nM=1\r\nN1=k\r\nV1=2\r\n");

    // Closed without a change, the file is written all the same.
    std::filesystem::remove(file);
    WhenModal([](QWidget* w) { w->close(); });
    f.main->Command().ToolsConstantManager->trigger();
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(ConstantsManager, CtrlCInATextBoxCopiesInstead) {
    AppFixture f;
    frmExpressionParse* calculator = f.main->OpenCalculator();
    auto* box = calculator->findChild<QLineEdit*>("txtExpression");
    box->setText("1+2");
    box->selectAll();
    box->setFocus();
    bool opened = false;
    QTimer::singleShot(0, [&opened] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = true;
            modal->close();
        }
    });
    QTest::keyClick(f.main->windowHandle(), Qt::Key_C, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "1+2");
    EXPECT_FALSE(opened);
}
