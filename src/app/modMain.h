#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orbiplot {

class AppContext;

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

std::string CommandLineHelpText();

void DocumentLoaded(AppContext& context);
void DocumentUnloaded(AppContext& context);
bool NoDocumentOpen(const AppContext& context);
void UpdateCommandState(AppContext& context);

// The program: single-instance check, command line, settings, main window, first document.
int Main(int argc, char** argv);

} // namespace modMain
} // namespace orbiplot
