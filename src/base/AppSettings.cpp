#include "base/AppSettings.h"

#include "base/NumberFormat.h"
#include "base/clsINI.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace orbiplot {

namespace {
const char* Word(bool value) { return value ? "True" : "False"; }
} // namespace

AppSettings LoadSettings(const std::string& settingsFile) {
    const IniDocument ini = IniDocument::Load(settingsFile);
    AppSettings s;
    s.IsFirst = ini.GetBoolean("General", "IsFirst", true);
    s.IsShowTip = ini.GetBoolean("General", "IsShowTip", true);
    s.IsShow = ini.GetBoolean("Grid", "IsShow", true);
    s.Style = ini.GetLong("Grid", "Style", 0);
    s.Color = static_cast<Rgb>(ini.GetLong("Grid", "Color", 0xE6E6E6));
    s.BackColor = static_cast<Rgb>(ini.GetLong("Grid", "BackColor", 0xFFFFFF));
    s.IsPi = ini.GetBoolean("Grid", "IsPi", false);
    s.Unit = ini.GetString("Grid", "Unit", 32, "1").ToSingle();
    s.DefinedOnly = ini.GetBoolean(DrawingSection, DefinedOnlyKey, false);
    return s;
}

namespace {
void SetEightKeys(IniBatch& batch, const AppSettings& s) {
    batch.Set("General", "IsFirst", Word(s.IsFirst));
    batch.Set("General", "IsShowTip", Word(s.IsShowTip));
    batch.Set("Grid", "IsShow", Word(s.IsShow));
    batch.Set("Grid", "Style", std::to_string(s.Style));
    batch.Set("Grid", "Color", std::to_string(static_cast<int32_t>(s.Color)));
    batch.Set("Grid", "IsPi", Word(s.IsPi));
    batch.Set("Grid", "Unit", GeneralTextSingle(s.Unit));
    batch.Set("Grid", "BackColor", std::to_string(static_cast<int32_t>(s.BackColor)));
}
} // namespace

void SaveSettings(const std::string& settingsFile, const AppSettings& s) {
    IniBatch batch(settingsFile);
    SetEightKeys(batch, s);
    // Written once it was ever chosen: a file of the eight keys stays as it was.
    if (s.DefinedOnly || batch.Document().Get(DrawingSection, DefinedOnlyKey))
        batch.Set(DrawingSection, DefinedOnlyKey, Word(s.DefinedOnly));
    batch.Commit();
}

void SaveFirstRunSettings(const std::string& settingsFile) {
    AppSettings first; // a first run draws the grid in its first style
    first.Style = 1;
    IniBatch batch(settingsFile);
    SetEightKeys(batch, first);
    batch.Commit();
}

std::string ExecutableFolder() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string exe(path, static_cast<size_t>(n));
    const size_t slash = exe.rfind('/');
    return slash == 0 ? "/" : exe.substr(0, slash);
}

std::string FindDataFile(const std::string& name) { return FindDataFile(name, ExecutableFolder()); }

std::string FindDataFile(const std::string& name, const std::string& exeFolder) {
    for (const std::string& folder : {exeFolder, exeFolder + "/../share/orbiplot"}) {
        const std::string path = folder + "/" + name;
        if (::access(path.c_str(), R_OK) == 0) return path;
    }
    return {};
}

std::string ApplicationFolder() { return ApplicationFolder(ExecutableFolder()); }

std::string ApplicationFolder(const std::string& exeFolder) {
    // A program run from a writable folder of its own keeps its files there (portable use);
    // an installed one, with its data in ../share/orbiplot, never writes beside itself.
    struct stat installed {};
    const bool isInstalled = ::stat((exeFolder + "/../share/orbiplot").c_str(), &installed) == 0 &&
                             S_ISDIR(installed.st_mode);
    if (!isInstalled && ::access(exeFolder.c_str(), W_OK) == 0) return exeFolder;
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : "/tmp") + "/.config";
    }
    ::mkdir(base.c_str(), 0700);
    const std::string folder = base + "/Orbiplot";
    ::mkdir(folder.c_str(), 0700);
    return folder;
}

} // namespace orbiplot
