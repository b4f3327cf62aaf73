#include "base/clsDialogs.h"

#include "base/TextEncoding.h"

#include <sstream>

namespace orbiplot {

namespace {

std::vector<std::string> Endings(const FileFilter& filter) {
    std::vector<std::string> endings;
    std::stringstream patterns(filter.Pattern);
    for (std::string pattern; std::getline(patterns, pattern, ';');) {
        if (pattern.rfind("*.", 0) == 0 && pattern.size() > 2 &&
            pattern.find_first_of("*?", 2) == std::string::npos)
            endings.push_back(AsciiLower(pattern.substr(2)));
    }
    return endings;
}

} // namespace

std::string FilterEnding(const FileFilter& filter) {
    const std::vector<std::string> endings = Endings(filter);
    return endings.empty() ? std::string() : endings.front();
}

std::string WithOfferedEnding(const std::string& path, const std::vector<FileFilter>& filters,
                              size_t chosen) {
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) {
        const std::string ending = AsciiLower(name.substr(dot + 1));
        for (const FileFilter& filter : filters)
            for (const std::string& offered : Endings(filter))
                if (offered == ending) return path;
    }
    if (chosen >= filters.size()) return path;
    const std::string add = FilterEnding(filters[chosen]);
    return add.empty() ? path : path + "." + add;
}

std::array<Rgb, 16> clsDialogs::CustomGreys() {
    std::array<Rgb, 16> greys{};
    for (Rgb k = 1; k <= 16; ++k) {
        const Rgb v = 16 * k - 1;
        greys[k - 1] = v | (v << 8) | (v << 16);
    }
    return greys;
}

FileDialogRequest clsDialogs::Request(bool save, std::string_view title, std::string_view startPath,
                                      const std::vector<FileFilter>& filters,
                                      int32_t filterIndex) const {
    FileDialogRequest request;
    request.Save = save;
    request.Title = title.empty() ? (save ? "Save" : "Open") : std::string(title);
    request.StartFolder = startPath.empty() ? programFolder_ : std::string(startPath);
    request.Filters = filters.empty() ? std::vector<FileFilter>{{"All Files", "*.*"}} : filters;
    request.FilterIndex = filterIndex > 0 ? filterIndex : 1;
    return request;
}

std::string clsDialogs::FileOpen(std::string_view title, std::string_view startPath,
                                 const std::vector<FileFilter>& filters,
                                 int32_t filterIndex) const {
    FileDialogRequest request = Request(false, title, startPath, filters, filterIndex);
    request.MustExist = true;
    return seam_.ShowFileDialog(request).value_or(std::string());
}

std::string clsDialogs::FileSave(std::string_view title, std::string_view startPath,
                                 std::string_view defaultExtension,
                                 const std::vector<FileFilter>& filters,
                                 int32_t filterIndex) const {
    FileDialogRequest request = Request(true, title, startPath, filters, filterIndex);
    request.DefaultExtension = defaultExtension;
    request.ConfirmOverwrite = true;
    return seam_.ShowFileDialog(request).value_or(std::string());
}

Rgb clsDialogs::GetColor(Rgb defaultColor) const {
    // The dialog opens on the colour being changed (it opened on black, so that a person
    // who only wanted to adjust it had to find it again).
    return seam_.ShowColorDialog(defaultColor, CustomGreys()).value_or(defaultColor);
}

} // namespace orbiplot
