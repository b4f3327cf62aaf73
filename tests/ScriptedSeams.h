#pragma once

#include "TempDir.h"

#include "base/RandomSource.h"
#include "base/Seams.h"

#include <gmock/gmock.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace orbiplot::test {

using ::testing::_;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// Records every message box and answers from a script (OK, or the default button, when the
// script is empty).
class ScriptedMessages : public MessageSeam {
public:
    std::vector<MessageRequest> shown;
    std::deque<MsgResult> answers;
    int progressHidden = 0;
    std::function<void()> whileShown; // runs while a box is up, as events would

    MsgResult ShowMessage(const MessageRequest& request) override {
        shown.push_back(request);
        if (whileShown) whileShown();
        if (answers.empty()) return request.DefaultButton;
        const MsgResult answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void HideProgress() override { ++progressHidden; }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const MessageRequest& m : shown) texts.push_back(m.Text);
        return texts;
    }
};

// The default generator with a fixed seed, so every run checks the same cases.
class SeededRandom : public DefaultRandomSource {
public:
    SeededRandom() { Reseed(20261206); }
};

// Gives the scripted numbers in turn, the last one for ever; records the seeds.
class ScriptedRandom : public RandomSource {
public:
    std::deque<float> values{0.5f};
    std::vector<double> seeds;
    float Next() override {
        const float v = values.front();
        if (values.size() > 1) values.pop_front();
        return v;
    }
    void Reseed(double seed) override { seeds.push_back(seed); }
};

// Answers every dialog from a script; an empty script cancels.
class ScriptedDialogs : public DialogSeam {
public:
    std::deque<std::optional<std::string>> files;
    std::deque<std::optional<Rgb>> colours;
    std::vector<FileDialogRequest> requests;
    std::pair<Rgb, std::array<Rgb, 16>> colourOffered; // the last colour dialog's start and greys

    std::optional<std::string> ShowFileDialog(const FileDialogRequest& request) override {
        requests.push_back(request);
        if (files.empty()) return std::nullopt;
        auto answer = files.front();
        files.pop_front();
        return answer;
    }
    std::optional<Rgb> ShowColorDialog(Rgb start, const std::array<Rgb, 16>& greys) override {
        colourOffered = {start, greys};
        if (colours.empty()) return std::nullopt;
        auto answer = colours.front();
        colours.pop_front();
        return answer;
    }
};

// Hands out scripted timer readings; the last one repeats.
class ScriptedClock : public Clock {
public:
    std::deque<float> readings{0.0f};
    float Timer() override {
        const float t = readings.front();
        if (readings.size() > 1) readings.pop_front();
        return t;
    }
};

// A folder of its own and scripted seams: where every fixture starts.
struct ScriptedFolder {
    TempDir dir;
    ScriptedMessages messages;
    ScriptedDialogs dialogs;
    SeededRandom random;
};

} // namespace orbiplot::test
