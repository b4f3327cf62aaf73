#include "services/clsMultimedia.h"

#include "base/NumberFormat.h"
#include "base/RandomSource.h"
#include "base/TextEncoding.h"

#include <fluidsynth.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <sstream>

namespace orbiplot {

namespace {

constexpr size_t ReplyLength = 255;

std::pair<int, int> CurrentMinuteSecond() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return {local.tm_min, local.tm_sec};
}

// The device type by the file's ending; empty for an ending nothing plays.
std::string TypeOf(const std::string& path) {
    const std::string ending = AsciiUpper(path.size() >= 3 ? path.substr(path.size() - 3) : path);
    static const std::map<std::string, std::string> types{{"WAV", "Waveaudio"},
                                                          {"AVI", "AviVideo"},
                                                          {"MID", "Sequencer"},
                                                          {"OPM", "Sequencer"},
                                                          {"MP3", "MPegVideo"}};
    const auto found = types.find(ending);
    return found == types.end() ? std::string() : found->second;
}

// The leading number of a reply, 0 when there is none.
float LeadingNumber(const std::string& reply) { return std::strtof(reply.c_str(), nullptr); }

} // namespace

clsMultimedia::clsMultimedia(MciCommandSink& sink, RandomSource& random,
                             std::function<std::pair<int, int>()> now)
    : sink_(sink), random_(random), now_(now ? std::move(now) : CurrentMinuteSecond) {}

clsMultimedia::~clsMultimedia() { mmClose(); }

std::string clsMultimedia::Send(const std::string& command) {
    std::string reply = sink_.SendString(command);
    reply = reply.substr(0, std::min(reply.find('\0'), ReplyLength));
    return reply;
}

void clsMultimedia::mmOpen(const std::string& theFile) {
    if (!alias_.empty()) mmClose();
    const std::string type = TypeOf(theFile);
    if (type.empty()) return;
    const auto [minute, second] = now_();
    random_.Reseed(static_cast<double>(std::time(nullptr)));
    const int number = static_cast<int>(random_.Next() * 1000) + 1;
    const std::string alias = (theFile.size() >= 3 ? theFile.substr(theFile.size() - 3) : theFile) +
                              std::to_string(minute) + std::to_string(second) +
                              std::to_string(number);
    const std::string file =
        theFile.find(' ') != std::string::npos ? "\"" + theFile + "\"" : theFile;
    Send("Open " + file + " ALIAS " + alias + " TYPE " + type + " wait");
    alias_ = alias;
    fileName_ = theFile;
}

void clsMultimedia::mmClose() {
    if (alias_.empty()) return;
    Send("Close " + alias_);
    alias_.clear();
    fileName_.clear();
}

void clsMultimedia::mmPause() {
    if (!alias_.empty()) Send("Pause " + alias_);
}

void clsMultimedia::mmPlay() {
    if (!alias_.empty()) Send("Play " + alias_ + (wait_ ? " wait" : ""));
}

void clsMultimedia::mmStop() {
    if (!alias_.empty()) Send("Stop " + alias_);
}

void clsMultimedia::mmSeek(float position) {
    Send("seek " + alias_ + " to " + GeneralTextSingle(position));
}

float clsMultimedia::Length() {
    return alias_.empty() ? 0 : LeadingNumber(Send("Status " + alias_ + " length"));
}

float clsMultimedia::Position() {
    return alias_.empty() ? 0 : LeadingNumber(Send("Status " + alias_ + " position"));
}

std::string clsMultimedia::Status() {
    return alias_.empty() ? std::string() : Send("Status " + alias_ + " mode");
}

} // namespace orbiplot
