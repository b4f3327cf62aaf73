#pragma once

#include <map>
#include <string>
#include <vector>

namespace orbiplot {

// What a constant's slider covers: from Min to Max in steps of Step. Kept in the settings
// file in a section of its own, one key per constant (its name in upper case), so that the
// other sections stay as they are.
struct SliderRange {
    double Min = 0, Max = 0, Step = 0;
    bool operator==(const SliderRange&) const = default;
};
inline constexpr const char* SliderSection = "Sliders";

// The range a constant's slider starts with: the value ± 10, in steps of 0.1.
SliderRange DefaultSliderRange(double value);
// Whether a range can be used: finite, Min below Max, a positive step no longer than the range.
bool IsUsableRange(const SliderRange& range);

// The ranges stored for the names, by upper-case name; entries that do not read as a usable
// range are left out (their constants get the default). An unreadable file gives none.
std::map<std::string, SliderRange> LoadSliderRanges(const std::string& settingsFile,
                                                    const std::vector<std::string>& names);
// Stores one constant's range in one file write; a failed write raises the system error and
// leaves the old file whole.
void SaveSliderRange(const std::string& settingsFile, const std::string& name,
                     const SliderRange& range);

} // namespace orbiplot
