#pragma once

#include <string>
#include <vector>

namespace orbiplot {

// The documents last opened or saved, newest first, kept in the settings file in a section
// of their own (keys File1 to File8), so that the other sections stay as they are.
inline constexpr int RecentLimit = 8;
inline constexpr const char* RecentSection = "Recent";

// The list as stored, without empty or repeated entries; an unreadable file gives none.
std::vector<std::string> LoadRecentDocuments(const std::string& settingsFile);
// Stores the whole list in one file write, the keys beyond it emptied; a failed write raises
// the system error and leaves the old file whole.
void SaveRecentDocuments(const std::string& settingsFile, const std::vector<std::string>& list);
// The list with path in front: moved there when it was in it already, the oldest dropped
// beyond the limit.
std::vector<std::string> WithRecent(std::vector<std::string> list, const std::string& path);
std::vector<std::string> WithoutRecent(std::vector<std::string> list, const std::string& path);

} // namespace orbiplot
