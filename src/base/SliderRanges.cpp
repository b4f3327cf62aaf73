#include "base/SliderRanges.h"

#include "base/TextEncoding.h"
#include "base/clsINI.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace orbiplot {

namespace {

// "min;max;step", each to 17 digits so that it reads back the same.
std::string RangeText(const SliderRange& r) {
    char text[96];
    std::snprintf(text, sizeof text, "%.17g;%.17g;%.17g", r.Min, r.Max, r.Step);
    return text;
}

bool ReadNumber(std::string_view& text, double& value, bool last) {
    const size_t end = last ? text.size() : text.find(';');
    if (end == std::string_view::npos) return false;
    const std::string_view part = TrimBlanks(text.substr(0, end));
    const auto [stop, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (ec != std::errc() || stop != part.data() + part.size()) return false;
    text.remove_prefix(last ? end : end + 1);
    return true;
}

} // namespace

SliderRange DefaultSliderRange(double value) {
    // The ends as the decimals say them: 9.8 - 10 is -0.2, not the double -0.1999999999999993
    // that subtracting binary numbers gives.
    // Rounded to the 15 digits of the larger of the two numbers subtracted.
    const int decimals =
        14 - static_cast<int>(std::floor(std::log10(std::max(std::fabs(value), 10.0))));
    const auto decimal = [decimals](double v) {
        char text[400];
        if (decimals >= 0)
            std::snprintf(text, sizeof text, "%.*f", decimals, v);
        else
            std::snprintf(text, sizeof text, "%.15g", v);
        return std::strtod(text, nullptr);
    };
    return {decimal(value - 10), decimal(value + 10), 0.1};
}

bool IsUsableRange(const SliderRange& r) {
    return std::isfinite(r.Min) && std::isfinite(r.Max) && std::isfinite(r.Step) && r.Min < r.Max &&
           r.Step > 0 && r.Step <= r.Max - r.Min &&
           // a slider has an int for each step
           (r.Max - r.Min) / r.Step <= 1e6;
}

std::map<std::string, SliderRange> LoadSliderRanges(const std::string& settingsFile,
                                                    const std::vector<std::string>& names) {
    std::map<std::string, SliderRange> ranges;
    const IniDocument ini = IniDocument::Load(settingsFile);
    for (const std::string& name : names) {
        const std::string key = AsciiUpper(TrimBlanks(name));
        const std::optional<std::string> value = ini.Get(SliderSection, key);
        if (!value) continue;
        std::string_view text = *value;
        SliderRange r;
        if (ReadNumber(text, r.Min, false) && ReadNumber(text, r.Max, false) &&
            ReadNumber(text, r.Step, true) && IsUsableRange(r))
            ranges[key] = r;
    }
    return ranges;
}

void SaveSliderRange(const std::string& settingsFile, const std::string& name,
                     const SliderRange& range) {
    IniBatch batch(settingsFile);
    batch.Set(SliderSection, AsciiUpper(TrimBlanks(name)), RangeText(range));
    batch.Commit();
}

} // namespace orbiplot
