#include "app/AppContext.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace orbiplot {

std::string PrintFailure(const QPrinter& printer) {
    if (!printer.outputFileName().isEmpty())
        return "无法写入文件 " + printer.outputFileName().toStdString();
    return "打印机 " + printer.printerName().toStdString() + " 无法使用";
}

void DesktopOpenUrl(const std::string& address) {
    QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}

std::string DesktopFindProgram(const std::string& name) {
    return QStandardPaths::findExecutable(QString::fromStdString(name)).toStdString();
}

bool DesktopStartProgram(const std::string& program, const std::vector<std::string>& arguments) {
    QStringList list;
    for (const std::string& a : arguments)
        list << QString::fromStdString(a);
    return QProcess::startDetached(QString::fromStdString(program), list);
}

std::optional<std::string> DesktopPrint(QWidget* owner,
                                        const std::function<bool(QPrinter&)>& draw) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, owner);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    if (draw(printer)) return std::string();
    return PrintFailure(printer);
}

QString DesktopNow() { return QDateTime::currentDateTime().toString("yyyy/M/d H:mm:ss"); }

} // namespace orbiplot
