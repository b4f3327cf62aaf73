#pragma once

#include "base/Seams.h"

#include <cstdint>
#include <string>

namespace orbiplot {

// The program's settings as they are used; the drawing code reads this, never the file.
struct AppSettings {
    bool IsFirst = true;
    bool IsShowTip = true;
    bool IsShow = true;
    int32_t Style = 0;
    Rgb Color = 0xE6E6E6;
    Rgb BackColor = 0xFFFFFF;
    bool IsPi = false;
    float Unit = 1.0f;
    // Beyond the eight keys: draw a curve where it is defined instead of abandoning it at its
    // first failing sample (section Drawing, off unless the key says True).
    bool DefinedOnly = false;
};

inline constexpr const char* DrawingSection = "Drawing";
inline constexpr const char* DefinedOnlyKey = "DefinedOnly";

inline constexpr const char* SettingsFileName = "Orbiplot_Setting.ini";
inline constexpr const char* ConstantsFileName = "Orbiplot_Const.ini";

// Reads the settings file; missing keys take their read defaults. A malformed or over-long
// Unit raises its conversion error.
AppSettings LoadSettings(const std::string& settingsFile);

// Writes the eight keys of General and Grid and the drawing option in one file write.
void SaveSettings(const std::string& settingsFile, const AppSettings& settings);

// The values written when no settings file exists at start-up: the eight keys alone.
void SaveFirstRunSettings(const std::string& settingsFile);

// Where settings and constants live: the executable's folder when it is writable and not an
// installed program's (portable use), otherwise $XDG_CONFIG_HOME/Orbiplot
// (~/.config/Orbiplot), created on demand.
std::string ApplicationFolder();
std::string ApplicationFolder(const std::string& exeFolder);

// The folder of the running executable.
std::string ExecutableFolder();

// A read-only data file (music, pictures, tips, help): beside the executable first, then in
// the installed share/orbiplot folder; "" when it is in neither.
std::string FindDataFile(const std::string& name);
std::string FindDataFile(const std::string& name, const std::string& exeFolder);

} // namespace orbiplot
