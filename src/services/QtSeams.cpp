#include "services/QtSeams.h"

#include "base/clsDialogs.h"
#include "services/QtCanvas.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

namespace orbiplot {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QMessageBox::StandardButton ToButton(MsgResult result) {
    switch (result) {
    case MsgResult::OK: return QMessageBox::Ok;
    case MsgResult::Cancel: return QMessageBox::Cancel;
    case MsgResult::Yes: return QMessageBox::Yes;
    case MsgResult::No: return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

} // namespace

void UseDialogFrame(QWidget* dialog) {
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
}

void SetUpModalDialog(QDialog* dialog, const char* name, const QString& title) {
    dialog->setObjectName(name);
    dialog->setWindowTitle(title);
    UseDialogFrame(dialog);
    dialog->setModal(true);
}

bool LoadToolkitTranslations() {
    // The interface is Chinese whatever the locale, the toolkit's own dialogs included.
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    bool loaded = false;
    for (const char* name : {"qtbase_zh_CN", "qt_zh_CN"}) {
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(name, folder) && QCoreApplication::installTranslator(translator))
            loaded = true;
        else
            delete translator;
    }
    return loaded;
}

QString NameFilter(const FileFilter& filter) {
    QString patterns = QString::fromStdString(filter.Pattern);
    patterns.replace(';', ' ');
    const QString description = QString::fromStdString(filter.Description);
    // A description that already names its patterns is shown as it is.
    if (description.endsWith("(" + patterns + ")")) return description;
    return description + " (" + patterns + ")";
}

void PaintSwatch(QWidget* swatch, Rgb color) {
    swatch->setStyleSheet(
        QString("background-color: %1; border: 1px solid #555;").arg(ToQColor(color).name()));
}

MsgResult QtMessageSeam::ShowMessage(const MessageRequest& request) {
    QMessageBox box(QApplication::activeWindow());
    UseDialogFrame(&box);
    box.setWindowTitle(Q(request.Title));
    box.setText(Q(request.Text));
    switch (request.Icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    QMessageBox::StandardButtons buttons;
    switch (request.Buttons) {
    case MsgButtons::OK: buttons = QMessageBox::Ok; break;
    case MsgButtons::OKCancel: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
    case MsgButtons::YesNo: buttons = QMessageBox::Yes | QMessageBox::No; break;
    case MsgButtons::YesNoCancel:
        buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    }
    box.setStandardButtons(buttons);
    // The box sizes itself from its font; a little room keeps wide CJK texts whole.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(280, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    box.setDefaultButton(ToButton(request.DefaultButton));
    // The interface speaks Chinese, the buttons included.
    const std::pair<QMessageBox::StandardButton, const char*> captions[] = {
        {QMessageBox::Ok, "确定"},
        {QMessageBox::Cancel, "取消"},
        {QMessageBox::Yes, "是(&Y)"},
        {QMessageBox::No, "否(&N)"}};
    for (const auto& [button, caption] : captions)
        if (QAbstractButton* b = box.button(button)) b->setText(QString::fromUtf8(caption));
    switch (box.exec()) {
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    case QMessageBox::Cancel: return MsgResult::Cancel;
    case QMessageBox::Ok: return MsgResult::OK;
    default:
        // Closing the box by its frame answers like Cancel where there is one.
        return request.Buttons == MsgButtons::YesNoCancel || request.Buttons == MsgButtons::OKCancel
                   ? MsgResult::Cancel
               : request.Buttons == MsgButtons::YesNo ? MsgResult::No
                                                      : MsgResult::OK;
    }
}

std::optional<std::string> QtDialogSeam::ShowFileDialog(const FileDialogRequest& request) {
    QFileDialog dialog(QApplication::activeWindow(), Q(request.Title), Q(request.StartFolder));
    UseDialogFrame(&dialog);
    QStringList filters;
    for (const FileFilter& filter : request.Filters)
        filters << NameFilter(filter);
    dialog.setNameFilters(filters);
    const int index = request.FilterIndex - 1;
    if (index >= 0 && index < filters.size()) dialog.selectNameFilter(filters[index]);
    if (request.Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (!request.ConfirmOverwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    // A saved file takes the chosen filter's ending when its name has none of the endings
    // offered: the filter chosen says what kind of file it is.
    const auto chosenFilter = [&] {
        return static_cast<size_t>(
            std::max<qsizetype>(filters.indexOf(dialog.selectedNameFilter()), 0));
    };
    if (request.Save) {
        QString suffix = Q(request.DefaultExtension);
        if (suffix.startsWith('.')) suffix.remove(0, 1);
        if (!request.Filters.empty()) suffix = Q(FilterEnding(request.Filters[chosenFilter()]));
        dialog.setDefaultSuffix(suffix);
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&] {
            dialog.setDefaultSuffix(Q(FilterEnding(request.Filters[chosenFilter()])));
        });
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const std::string chosen = dialog.selectedFiles().first().toStdString();
    if (!request.Save || request.Filters.empty()) return chosen;
    return WithOfferedEnding(chosen, request.Filters, chosenFilter());
}

std::optional<Rgb> QtDialogSeam::ShowColorDialog(Rgb initial, const std::array<Rgb, 16>& custom) {
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, ToQColor(custom[static_cast<size_t>(i)]));
    QColorDialog dialog(ToQColor(initial), QApplication::activeWindow());
    UseDialogFrame(&dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return FromQColor(dialog.selectedColor());
}

} // namespace orbiplot
