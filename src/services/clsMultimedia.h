#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace orbiplot {

class RandomSource;

// Serves multimedia command strings ("Open ... ALIAS a TYPE Sequencer wait", "Play a",
// "Status a mode", ...) and answers with a reply text.
class MciCommandSink {
public:
    virtual ~MciCommandSink() = default;
    virtual std::string SendString(const std::string& command) = 0;
};

// Plays a music file through command strings: open under a fresh alias, play, ask the
// status, close.
class clsMultimedia {
public:
    // now: the current minute and second, which the alias is made of.
    clsMultimedia(MciCommandSink& sink, RandomSource& random,
                  std::function<std::pair<int, int>()> now = {});
    ~clsMultimedia();

    void mmOpen(const std::string& theFile);
    void mmClose();
    void mmPause();
    void mmPlay();
    void mmStop();
    void mmSeek(float position);

    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& theFile) { mmOpen(theFile); }
    bool Wait() const { return wait_; }
    void SetWait(bool wait) { wait_ = wait; }
    float Length();
    float Position();
    void SetPosition(float position) { mmSeek(position); }
    std::string Status();

    const std::string& Alias() const { return alias_; }

private:
    std::string Send(const std::string& command);

    MciCommandSink& sink_;
    RandomSource& random_;
    std::function<std::pair<int, int>()> now_;
    std::string alias_;
    std::string fileName_;
    bool wait_ = false;
};

} // namespace orbiplot
