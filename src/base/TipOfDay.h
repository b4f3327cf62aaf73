#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orbiplot {

class RandomSource;

inline constexpr const char* TipFileName = "Orbiplot_TipOfDay.txt";

// The tips of a tip file, one a line, unchanged (GBK or UTF-8; CR LF or LF; a last line
// without an end counts); none when the path is empty or names no file.
std::optional<std::vector<std::string>> LoadTips(const std::string& path);

// A uniformly chosen tip number from 1 to count; the same may come again.
int NextTipNumber(RandomSource& random, size_t count);

// What the window shows when there is no tip file.
std::string MissingTipFileText();

inline constexpr const char* TipHintText =
    "要再次启用此功能，在Orbiplot选项(工具->选项->一般)中修改。";

} // namespace orbiplot
