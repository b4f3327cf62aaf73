#pragma once

#include "base/Seams.h"

namespace orbiplot::bench {

// Nobody answers during a measurement: messages are dropped, dialogs cancelled.
class SilentMessages : public MessageSeam {
public:
    MsgResult ShowMessage(const MessageRequest&) override { return MsgResult::OK; }
};

class NoDialogs : public DialogSeam {
public:
    std::optional<std::string> ShowFileDialog(const FileDialogRequest&) override { return {}; }
    std::optional<Rgb> ShowColorDialog(Rgb, const std::array<Rgb, 16>&) override { return {}; }
};

} // namespace orbiplot::bench
