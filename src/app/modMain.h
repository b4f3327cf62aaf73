#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orbiplot {

class AppContext;
class frmMain;

namespace modMain {

enum class Switch { WinAbout, Help, News, Unknown };

// What the command line asks for, in the order the switches are to be acted on. An
// unknown argument ends the list.
struct CommandLine {
    bool OpenFromCommandLine = false;
    std::string DocumentPath;
    bool ShowSplash = true;
    std::vector<Switch> Actions;
};

// whole: everything after the program name. It names a document, or it is split at every
// single blank into case-sensitive switches.
CommandLine ParseCommandLine(const std::string& whole,
                             const std::function<bool(const std::string&)>& isDocumentFile);

// True for an existing path that ends in ".opd" (exactly so).
bool IsDocumentFile(const std::string& path);
std::string GetLoginName();
// The single-instance channel: one per user and graphical session (display).
std::string InstanceName();

std::string CommandLineHelpText();

// Keeps the news fetched by /news in the application folder's news file, written whole or
// not at all; a failure is reported and leaves the old file as it was.
void StoreNews(AppContext& context, std::string_view bytes);

// Starts the desktop's text editor (0), calculator (1) or file manager (2): the first of the
// common ones on the PATH, not waiting for it. None found is reported as error 1033.
void RunWindowsTool(AppContext& context, int32_t index);

void DocumentLoaded(AppContext& context);
void DocumentUnloaded(AppContext& context);
bool NoDocumentOpen(const AppContext& context);
void UpdateCommandState(AppContext& context);

// Start-up after the single-instance check: user constants, the command line, first-run
// and loaded settings, the main window (handed to created before it is shown) and the
// first document. A failure is raised to the caller.
std::unique_ptr<frmMain> StartUp(AppContext& context, const std::string& commandLine,
                                 const std::function<void(frmMain&)>& created = {});

// The failure handler of start-up: the error report, then the abort message. Call it
// inside a catch block.
void ReportStartUpFailure(AppContext& context);

// Names the application and loads the toolkit's Chinese texts.
void SetUpApplication();

// The program: single-instance check, then start-up and the window events.
int Main(int argc, char** argv);

} // namespace modMain
} // namespace orbiplot
