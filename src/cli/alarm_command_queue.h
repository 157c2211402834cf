// The --on-alarm command of monitor: run through /bin/sh once for every alarm event, one after
// the other in the order of the events, while monitoring goes on. The event is handed over in
// the command's environment. A command that runs longer than its limit is reported and ended
// (with what it started), so that it never holds back the later ones; at the end the commands
// still to run get up to 10 s, then they are ended: none is left running.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "core/alarms/alarm_event.h"
#include "core/model/language.h"

namespace qx::cli {

// The texts of an event as the sample list shows them.
struct AlarmEventTexts {
    std::string channelTitle;  // "温度(℃)"
    std::string unit;
    std::string value, limit;
};

// QXLOG_EVENT of an event: start, end, level, lost, back, silent or acknowledged.
inline constexpr const char* kCommandFailed = TrNoop("报警命令失败 (%s %s %s): %s");

const char* AlarmEventName(const AlarmEvent& event);

class AlarmCommandQueue {
  public:
    AlarmCommandQueue(std::string command, std::chrono::milliseconds limit)
        : command_(std::move(command)), limit_(limit) {}
    ~AlarmCommandQueue() { Reap(true); }

    bool Enabled() const { return !command_.empty(); }
    void Push(const AlarmEvent& event, const AlarmEventTexts& texts);
    // Starts the next command once the one before has ended; `wait`: until all have run (at
    // most 10 s more), ending the rest.
    void Reap(bool wait);
    // The end of a pause that should last until `next` (a time of `now`): earlier while a
    // command runs, so that one running too long is ended in time.
    int64_t PauseEnd(int64_t next, int64_t now) const;

  private:
    struct Command {
        pid_t pid = 0;  // 0: waiting for the one before it
        std::chrono::steady_clock::time_point started;
        std::string instrument, channel, event;
        std::vector<std::string> env;
    };
    static void Failed(const Command& c, const std::string& why);
    // Ends the running command (and what it started) and reaps it.
    static void End(const Command& c);

    std::string command_;
    std::chrono::milliseconds limit_;
    std::deque<Command> commands_;
};

}  // namespace qx::cli
