#pragma once

#include "base/clsDialogs.h"
#include "expr/CoreContext.h"

#include <QApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>
#include <vector>

namespace orbiplot {

class frmMain;

// Why a page could not be printed on the printer chosen.
inline std::string PrintFailure(const QPrinter& printer) {
    if (!printer.outputFileName().isEmpty())
        return "无法写入文件 " + printer.outputFileName().toStdString();
    return "打印机 " + printer.printerName().toStdString() + " 无法使用";
}

// Everything the desktop program shares: the window-free core, the dialogs, the clock, the
// main window and the counters of start-up.
class AppContext {
public:
    AppContext(MessageSeam& messages, DialogSeam& dialogs, RandomSource& random, Clock& clock,
               std::string appFolder)
        : Core(messages, dialogs, random, std::move(appFolder)), Dialogs(dialogs, Core.AppFolder),
          Timer(clock) {}

    CoreContext Core;
    clsDialogs Dialogs;
    Clock& Timer;
    frmMain* MainForm = nullptr;
    int32_t OpenDocumentCount = 0;
    int32_t DocumentCounter = 0;
    int32_t CalculatorCount = 0;
    // How long a document window waits for a redraw before it goes on answering meanwhile.
    int RedrawWaitMilliseconds = 100;
    // Opens an address (a web page, a mail link) with the desktop's default handler; what
    // happens then is not examined.
    std::function<void(const std::string&)> OpenUrl = [](const std::string& address) {
        QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
    };
    // Finds a program on the PATH ("" when none) and starts one detached, not waiting for it.
    std::function<std::string(const std::string&)> FindProgram = [](const std::string& name) {
        return QStandardPaths::findExecutable(QString::fromStdString(name)).toStdString();
    };
    std::function<bool(const std::string&, const std::vector<std::string>&)> StartProgram =
        [](const std::string& program, const std::vector<std::string>& arguments) {
            QStringList list;
            for (const std::string& a : arguments)
                list << QString::fromStdString(a);
            return QProcess::startDetached(QString::fromStdString(program), list);
        };
    // Serves the about music's command strings; none: FluidSynth, made on first use.
    class MciCommandSink* Mci = nullptr;
    // Asks for a printer in the toolkit's print dialog (the printers, printing to a PDF file,
    // copies, orientation) and prints one page: draw paints it and says whether it could.
    // Nothing when the dialog is cancelled; otherwise what went wrong, empty when all went
    // well.
    std::function<std::optional<std::string>(QWidget* owner,
                                             const std::function<bool(QPrinter&)>& draw)>
        Print = [](QWidget* owner,
                   const std::function<bool(QPrinter&)>& draw) -> std::optional<std::string> {
        QPrinter printer(QPrinter::HighResolution);
        QPrintDialog dialog(&printer, owner);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        if (draw(printer)) return std::string();
        return PrintFailure(printer);
    };
    // The current date and time as the new-document dialog proposes it, in the Chinese form
    // whatever the locale.
    std::function<QString()> Now = [] {
        return QDateTime::currentDateTime().toString("yyyy/M/d H:mm:ss");
    };
};

} // namespace orbiplot
