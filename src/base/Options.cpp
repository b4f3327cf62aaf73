#include "base/Options.h"

#include "base/NumberFormat.h"

namespace orbiplot {

UnitCheck CheckUnitText(std::string_view text) {
    if (!IsNumericText(text)) return {DefaultUnitText, true, false};
    float value = 0;
    try {
        value = TextToSingle(text);
    } catch (...) {
        return {DefaultUnitText, true, true}; // beyond the single range: surely above 99
    }
    if (value <= 0 || value > 99) return {DefaultUnitText, true, true};
    return {std::string(text), false, false};
}

std::string StepUnitText(std::string_view text, bool up) {
    double value = 1;
    if (IsNumericText(text)) value = TextToDouble(text);
    return GeneralText(up ? value + 0.05 : value - 0.05);
}

int32_t ShownGridStyle(int32_t stored) { return stored >= 1 && stored <= 5 ? stored : 1; }

OptionsChoice ChoiceFromSettings(const AppSettings& settings) {
    return {settings.IsShow,    ShownGridStyle(settings.Style),
            settings.Color,     settings.BackColor,
            settings.IsPi,      GeneralTextSingle(settings.Unit),
            settings.IsShowTip, settings.DefinedOnly};
}

void ApplyOptions(AppSettings& settings, const OptionsChoice& choice,
                  const std::string& settingsFile) {
    // The box always holds a checked number; the conversion cannot fail then.
    const float unit = TextToSingle(choice.UnitText);
    settings.IsFirst = false;
    settings.IsShow = choice.IsShow;
    settings.Style = choice.Style;
    settings.Color = choice.Color;
    settings.BackColor = choice.BackColor;
    settings.Unit = unit;
    settings.IsPi = choice.IsPi;
    settings.IsShowTip = choice.IsShowTip;
    settings.DefinedOnly = choice.DefinedOnly;
    AppSettings saved = settings;
    saved.IsFirst = false;
    SaveSettings(settingsFile, saved);
}

} // namespace orbiplot
