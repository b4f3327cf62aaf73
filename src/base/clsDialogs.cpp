#include "base/clsDialogs.h"

namespace orbiplot {

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
                                 const std::vector<FileFilter>& filters, int32_t filterIndex) const {
    FileDialogRequest request = Request(false, title, startPath, filters, filterIndex);
    request.MustExist = true;
    return seam_.ShowFileDialog(request).value_or(std::string());
}

std::string clsDialogs::FileSave(std::string_view title, std::string_view startPath,
                                 std::string_view defaultExtension,
                                 const std::vector<FileFilter>& filters, int32_t filterIndex) const {
    FileDialogRequest request = Request(true, title, startPath, filters, filterIndex);
    request.DefaultExtension = defaultExtension;
    request.ConfirmOverwrite = true;
    return seam_.ShowFileDialog(request).value_or(std::string());
}

Rgb clsDialogs::GetColor(Rgb defaultColor) const {
    // The dialog opens on black, whatever the current colour is.
    return seam_.ShowColorDialog(0, CustomGreys()).value_or(defaultColor);
}

} // namespace orbiplot
