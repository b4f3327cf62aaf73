#pragma once

#include "base/RandomSource.h"
#include "base/Seams.h"
#include "expr/CoreContext.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace orbiplot::fuzz {

// Nobody answers: every box is taken as its default answer, nothing is shown.
class SilentMessages : public MessageSeam {
public:
    MsgResult ShowMessage(const MessageRequest& request) override { return request.DefaultButton; }
};

class NoDialogs : public DialogSeam {
public:
    std::optional<std::string> ShowFileDialog(const FileDialogRequest&) override { return {}; }
    std::optional<Rgb> ShowColorDialog(Rgb, const std::array<Rgb, 16>&) override { return {}; }
};

// A fresh core for each input, so no input depends on the one before it.
struct Core {
    SilentMessages messages;
    NoDialogs dialogs;
    DefaultRandomSource random;
    CoreContext context{messages, dialogs, random, Folder()};

    // A folder of this process's own for the files the readers take by path.
    static std::string Folder() {
        static const std::string folder = [] {
            std::string pattern = "/tmp/orbiplot-fuzz-XXXXXX";
            return std::string(::mkdtemp(pattern.data()));
        }();
        return folder;
    }
    static std::string WriteFile(const char* name, const uint8_t* data, size_t size) {
        const std::string path = Folder() + "/" + name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data),
                                                    static_cast<std::streamsize>(size));
        return path;
    }
};

inline std::string Text(const uint8_t* data, size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

} // namespace orbiplot::fuzz
