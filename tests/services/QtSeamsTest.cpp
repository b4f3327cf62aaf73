#include "services/QtCanvas.h"
#include "services/QtSeams.h"
#include "QtTestSupport.h"

#include "base/modError.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace orbiplot;

using orbiplot::test::WhenModal;

TEST(QtMessages, ErrorReportIsACriticalBoxWithOkAndHidesProgress) {
    QtMessageSeam seam;
    int hidden = 0;
    seam.SetHideProgress([&] { ++hidden; });
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
    ReportError(seam, AppError(ErrFileVersion, "Orbiplot", ""));
    EXPECT_EQ(hidden, 1);
    EXPECT_EQ(title.toStdString(), "Orbiplot 错误报告");
    EXPECT_EQ(icon, QMessageBox::Critical);
}

TEST(QtMessages, QuestionsReturnThePressedButtonAndHonourTheDefault) {
    QtMessageSeam seam;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    WhenModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        defaultButton = box->standardButton(box->defaultButton());
        box->button(QMessageBox::Yes)->click();
    });
    const MsgResult answer =
        seam.ShowMessage({MsgIcon::Exclamation, MsgButtons::YesNo, MsgResult::No, "Orbiplot",
                          "Orbiplot 已经运行！ 是否继续？"});
    EXPECT_EQ(answer, MsgResult::Yes);
    EXPECT_EQ(defaultButton, QMessageBox::No);
}

TEST(QtDialogs, ColourDialogCancelledGivesNothingAndConfirmedGivesRgb) {
    QtDialogSeam seam;
    WhenModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    EXPECT_FALSE(seam.ShowColorDialog(0, {}).has_value());
    EXPECT_EQ(FromQColor(QColorDialog::customColor(3)), 0u); // greys were offered as given

    std::array<Rgb, 16> greys{};
    greys[1] = 0x1F1F1F;
    WhenModal([](QWidget* w) {
        auto* dialog = qobject_cast<QColorDialog*>(w);
        dialog->setCurrentColor(QColor(0x10, 0x20, 0x30));
        dialog->accept();
    });
    EXPECT_EQ(seam.ShowColorDialog(0, greys), std::optional<Rgb>(0x302010));
    EXPECT_EQ(FromQColor(QColorDialog::customColor(1)), 0x1F1F1Fu);
}

TEST(QtDialogs, SaveDialogAppendsTheDefaultExtension) {
    QtDialogSeam seam;
    const QString folder = QDir::tempPath();
    FileDialogRequest request;
    request.Save = true;
    request.Title = "Save";
    request.StartFolder = folder.toStdString();
    request.Filters = {{"Orbiplot 文档", "*.opd"}};
    request.DefaultExtension = ".opd";
    request.ConfirmOverwrite = true;
    QString shownTitle;
    WhenModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        shownTitle = dialog->windowTitle();
        dialog->selectFile("orbiplot-dialog-test");
        static_cast<QDialog*>(dialog)->accept();
    });
    const auto chosen = seam.ShowFileDialog(request);
    EXPECT_EQ(shownTitle, "Save");
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, QDir(folder).filePath("orbiplot-dialog-test.opd").toStdString());
}

TEST(QtDialogs, FiltersNameTheirPatternsOnceAndDialogsHaveOnlyACloseBox) {
    EXPECT_EQ(NameFilter({"Orbiplot 文档 (*.opd)", "*.opd"}), "Orbiplot 文档 (*.opd)");
    EXPECT_EQ(NameFilter({"图像", "*.png;*.bmp"}), "图像 (*.png *.bmp)");

    QtDialogSeam seam;
    Qt::WindowFlags flags;
    QStringList filters;
    WhenModal([&](QWidget* w) {
        flags = w->windowFlags();
        filters = qobject_cast<QFileDialog*>(w)->nameFilters();
        qobject_cast<QDialog*>(w)->reject();
    });
    FileDialogRequest request;
    request.Title = "打开";
    request.Filters = {{"Orbiplot 文档 (*.opd)", "*.opd"}};
    EXPECT_FALSE(seam.ShowFileDialog(request).has_value());
    EXPECT_EQ(filters, QStringList{"Orbiplot 文档 (*.opd)"});
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
}
