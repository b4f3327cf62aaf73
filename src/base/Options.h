#pragma once

#include "base/AppSettings.h"

#include <string>
#include <string_view>

namespace orbiplot {

inline constexpr const char* DefaultUnitText = "1.00";
inline constexpr const char* UnitRangeMessage = "取值应在(0,99]之间";

// The unit box's check after every edit: the text as it stays, or "1.00" in its place
// (with the range message when it was a number outside (0, 99]).
struct UnitCheck {
    std::string Text;
    bool Replaced = false;
    bool ShowMessage = false;
};
UnitCheck CheckUnitText(std::string_view text);

// One step of the arrows beside the unit box: 0.05 up or down, as the general text of a
// double.
std::string StepUnitText(std::string_view text, bool up);

// The grid style list entry shown for a stored style: itself within 1..5, else the first.
int32_t ShownGridStyle(int32_t stored);

// What the options dialog shows and OK stores.
struct OptionsChoice {
    bool IsShow = true;
    int32_t Style = 1;
    Rgb Color = 0;
    Rgb BackColor = 0;
    bool IsPi = false;
    std::string UnitText;
    bool IsShowTip = true;
    bool DefinedOnly = false;
};
OptionsChoice ChoiceFromSettings(const AppSettings& settings);

// OK: the choice goes into the settings in memory, then all settings are written in one
// write with IsFirst false. A failing write raises after memory is updated.
void ApplyOptions(AppSettings& settings, const OptionsChoice& choice,
                  const std::string& settingsFile);

} // namespace orbiplot
