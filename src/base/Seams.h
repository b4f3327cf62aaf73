#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orbiplot {

// Every question the program asks a person passes through these seams; the desktop
// program shows real widgets, tests script the answers.

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MsgResult { OK, Cancel, Yes, No };

struct MessageRequest {
    MsgIcon Icon = MsgIcon::None;
    MsgButtons Buttons = MsgButtons::OK;
    MsgResult DefaultButton = MsgResult::OK;
    std::string Title;
    std::string Text;
};

class MessageSeam {
public:
    virtual ~MessageSeam() = default;
    virtual MsgResult ShowMessage(const MessageRequest& request) = 0;
    // Called before an error is shown: a failure during a redraw would otherwise leave the
    // progress window on screen.
    virtual void HideProgress() {}
};

struct FileFilter {
    std::string Description;
    std::string Pattern; // "*.opd", or several joined by ";"
};

struct FileDialogRequest {
    bool Save = false;
    std::string Title;
    std::string StartFolder;
    std::vector<FileFilter> Filters;
    int FilterIndex = 1; // 1-based
    std::string DefaultExtension;
    bool MustExist = false;        // open: path and file must exist
    bool ConfirmOverwrite = false; // save: ask before replacing a file
};

// Colours are RGB values with red in the low byte.
using Rgb = uint32_t;

class DialogSeam {
public:
    virtual ~DialogSeam() = default;
    // The chosen full path, or nothing when cancelled.
    virtual std::optional<std::string> ShowFileDialog(const FileDialogRequest& request) = 0;
    // The chosen colour, or nothing when cancelled.
    virtual std::optional<Rgb> ShowColorDialog(Rgb initial, const std::array<Rgb, 16>& custom) = 0;
};

} // namespace orbiplot

namespace orbiplot {

// Seconds since midnight, as the timer of the drawing code reads them.
class Clock {
public:
    virtual ~Clock() = default;
    virtual float Timer() = 0;
};

class SystemClock : public Clock {
public:
    float Timer() override;
};

} // namespace orbiplot
