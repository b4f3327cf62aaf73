#include "base/RecentDocuments.h"

#include "base/clsINI.h"

#include <algorithm>

namespace orbiplot {

namespace {
std::string KeyOf(int i) { return "File" + std::to_string(i + 1); }
} // namespace

std::vector<std::string> LoadRecentDocuments(const std::string& settingsFile) {
    const IniDocument ini = IniDocument::Load(settingsFile);
    std::vector<std::string> list;
    for (int i = 0; i < RecentLimit; ++i) {
        const std::string path = ini.Get(RecentSection, KeyOf(i)).value_or("");
        if (!path.empty() && std::find(list.begin(), list.end(), path) == list.end())
            list.push_back(path);
    }
    return list;
}

void SaveRecentDocuments(const std::string& settingsFile, const std::vector<std::string>& list) {
    IniBatch batch(settingsFile);
    for (int i = 0; i < RecentLimit; ++i)
        batch.Set(RecentSection, KeyOf(i),
                  static_cast<size_t>(i) < list.size() ? list[static_cast<size_t>(i)] : "");
    batch.Commit();
}

std::vector<std::string> WithRecent(std::vector<std::string> list, const std::string& path) {
    list = WithoutRecent(std::move(list), path);
    list.insert(list.begin(), path);
    if (list.size() > static_cast<size_t>(RecentLimit)) list.resize(RecentLimit);
    return list;
}

std::vector<std::string> WithoutRecent(std::vector<std::string> list, const std::string& path) {
    std::erase(list, path);
    return list;
}

} // namespace orbiplot
