#pragma once

#include "base/clsDialogs.h"
#include "expr/CoreContext.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QPrinter;
class QWidget;

namespace orbiplot {

class frmMain;

// Why a page could not be printed on the printer chosen.
std::string PrintFailure(const QPrinter& printer);

// What the seams below do on the desktop.
void DesktopOpenUrl(const std::string& address);
std::string DesktopFindProgram(const std::string& name);
bool DesktopStartProgram(const std::string& program, const std::vector<std::string>& arguments);
std::optional<std::string> DesktopPrint(QWidget* owner, const std::function<bool(QPrinter&)>& draw);
QString DesktopNow();

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
    std::function<void(const std::string&)> OpenUrl = DesktopOpenUrl;
    // Finds a program on the PATH ("" when none) and starts one detached, not waiting for it.
    std::function<std::string(const std::string&)> FindProgram = DesktopFindProgram;
    std::function<bool(const std::string&, const std::vector<std::string>&)> StartProgram =
        DesktopStartProgram;
    // Serves the about music's command strings; none: FluidSynth, made on first use.
    class MciCommandSink* Mci = nullptr;
    // Asks for a printer in the toolkit's print dialog (the printers, printing to a PDF file,
    // copies, orientation) and prints one page: draw paints it and says whether it could.
    // Nothing when the dialog is cancelled; otherwise what went wrong, empty when all went
    // well.
    std::function<std::optional<std::string>(QWidget* owner,
                                             const std::function<bool(QPrinter&)>& draw)>
        Print = DesktopPrint;
    // The current date and time as the new-document dialog proposes it, in the Chinese form
    // whatever the locale.
    std::function<QString()> Now = DesktopNow;
};

} // namespace orbiplot
