#pragma once

#include "base/Seams.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orbiplot {

// The common dialogs with the program's defaults. Without filters the dialog lists all
// files.
class clsDialogs {
public:
    clsDialogs(DialogSeam& seam, std::string programFolder)
        : seam_(seam), programFolder_(std::move(programFolder)) {}

    // The chosen path, or the empty text when cancelled.
    std::string FileOpen(std::string_view title = {}, std::string_view startPath = {},
                         const std::vector<FileFilter>& filters = {},
                         int32_t filterIndex = 0) const;
    std::string FileSave(std::string_view title = {}, std::string_view startPath = {},
                         std::string_view defaultExtension = {},
                         const std::vector<FileFilter>& filters = {},
                         int32_t filterIndex = 0) const;
    // The chosen colour, or defaultColor when cancelled.
    Rgb GetColor(Rgb defaultColor) const;

    // Sixteen greys, 15 to 255 in each component.
    static std::array<Rgb, 16> CustomGreys();

private:
    FileDialogRequest Request(bool save, std::string_view title, std::string_view startPath,
                              const std::vector<FileFilter>& filters, int32_t filterIndex) const;

    DialogSeam& seam_;
    std::string programFolder_;
};

// The ending a filter's first pattern names ("bmp" for "*.bmp;*.dib"); empty for "*".
std::string FilterEnding(const FileFilter& filter);
// A file name to save under: as typed when its ending is one the filters offer (in any
// letter case), otherwise with the chosen filter's ending added.
std::string WithOfferedEnding(const std::string& path, const std::vector<FileFilter>& filters,
                              size_t chosen);

} // namespace orbiplot
