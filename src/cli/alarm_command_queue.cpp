#include "alarm_command_queue.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "core/library/record_library.h"
#include "core/model/instrument_catalogue.h"
#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/model/text_util.h"

extern char** environ;

namespace qx::cli {

const char* AlarmEventName(const AlarmEvent& e) {
    switch (e.change) {
        case AlarmChange::kRaised:
            return e.kind == AlarmKind::kLost     ? "lost"
                   : e.kind == AlarmKind::kSilent ? "silent"
                                                  : "start";
        case AlarmChange::kLevel:
            return "level";
        case AlarmChange::kEnded:
            return e.kind == AlarmKind::kThreshold ? "end" : "back";
        case AlarmChange::kAcknowledged:
            return "acknowledged";
    }
    return "";
}

void AlarmCommandQueue::Push(const AlarmEvent& event, const AlarmEventTexts& texts) {
    if (command_.empty()) return;
    Command command;
    command.instrument = InstrumentName(event.instrument);
    command.channel = event.kind == AlarmKind::kThreshold ? event.channel : "-";
    command.event = AlarmEventName(event);
    std::vector<std::string>& env = command.env;
    for (char** e = environ; e && *e; ++e) {
        if (std::strncmp(*e, "QXLOG_", 6) != 0) env.emplace_back(*e);
    }
    env.push_back("QXLOG_EVENT=" + command.event);
    env.push_back(std::string("QXLOG_LEVEL=") +
                  (event.level == AlarmLevel::kWarning ? "warning" : "alarm"));
    env.push_back("QXLOG_ALARM=" + event.id);
    env.push_back("QXLOG_INSTRUMENT=" + command.instrument);
    env.push_back("QXLOG_MODEL=" + ModelName(event.instrument.model));
    env.push_back("QXLOG_NUMBER=" + event.instrument.number);
    env.push_back("QXLOG_NAME=" + event.name);
    if (event.kind == AlarmKind::kThreshold) {
        env.push_back("QXLOG_CHANNEL=" + event.channel);
        env.push_back("QXLOG_CHANNEL_TITLE=" + texts.channelTitle);
        env.push_back("QXLOG_UNIT=" + texts.unit);
        env.push_back("QXLOG_VALUE=" + texts.value);
        env.push_back("QXLOG_LIMIT=" + texts.limit);
        env.push_back(std::string("QXLOG_SIDE=") +
                      (event.side == AlarmSide::kHigh ? "high" : "low"));
    }
    env.push_back("QXLOG_TIME=" + FormatLocalTime(event.time, "%Y-%m-%d %H:%M:%S"));
    env.push_back("QXLOG_EPOCH=" + std::to_string(event.time));
    commands_.push_back(std::move(command));
    Reap(false);
}

void AlarmCommandQueue::Failed(const Command& c, const std::string& why) {
    std::fprintf(stderr, "%s\n",
                 StrFormat(Tr(kCommandFailed), c.instrument.c_str(), c.channel.c_str(),
                           c.event.c_str(), why.c_str())
                     .c_str());
    std::fflush(stderr);
}

void AlarmCommandQueue::Reap(bool wait) {
    // Waiting at the end: up to 10 s for the commands still to run, then they are ended.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!commands_.empty()) {
        Command& c = commands_.front();
        if (c.pid == 0) {
            if (wait && std::chrono::steady_clock::now() > deadline) {
                Failed(c, Tr("监测已停止, 命令没有运行"));
                commands_.pop_front();
                continue;
            }
            std::vector<char*> envp;
            for (std::string& e : c.env)
                envp.push_back(e.data());
            envp.push_back(nullptr);
            std::string command = command_;
            char sh[] = "/bin/sh", dashC[] = "-c";
            char* argv[] = {sh, dashC, command.data(), nullptr};
            std::fflush(nullptr);
            c.pid = fork();
            if (c.pid == 0) {
                // A group of its own: ending it ends what it started too.
                setpgid(0, 0);
                execve(sh, argv, envp.data());
                _exit(127);
            }
            if (c.pid < 0) {
                Failed(c, std::strerror(errno));
                commands_.pop_front();
                continue;
            }
            setpgid(c.pid, c.pid);
            c.started = std::chrono::steady_clock::now();
        }
        int status = 0;
        const pid_t done = waitpid(c.pid, &status, WNOHANG);
        if (done == 0) {
            const auto now = std::chrono::steady_clock::now();
            const bool tooLong = now - c.started >= limit_;
            if (tooLong || (wait && now > deadline)) {
                End(c);
                const long long limit = limit_.count();
                Failed(c, tooLong ? StrFormat(Tr("运行超过 %s 秒, 已结束"),
                                              StrFormat("%g", limit / 1000.0).c_str())
                                  : std::string(Tr("监测停止时仍在运行, 已结束")));
                commands_.pop_front();
                continue;
            }
            if (!wait) return;
            usleep(10000);
            continue;
        }
        if (done < 0) {
            Failed(c, std::strerror(errno));
        } else if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
            Failed(c, StrFormat(Tr("退出状态 %d"), WEXITSTATUS(status)));
        } else if (WIFSIGNALED(status)) {
            Failed(c, StrFormat(Tr("信号 %d"), WTERMSIG(status)));
        }
        commands_.pop_front();
    }
}

void AlarmCommandQueue::End(const Command& c) {
    kill(-c.pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {  // a second to end, then it is killed
        int status = 0;
        if (waitpid(c.pid, &status, WNOHANG) != 0) {
            kill(-c.pid, SIGKILL);  // what it started and left behind
            return;
        }
        usleep(10000);
    }
    kill(-c.pid, SIGKILL);
    int status = 0;
    waitpid(c.pid, &status, 0);
}

int64_t AlarmCommandQueue::PauseEnd(int64_t next, int64_t now) const {
    if (commands_.empty() || commands_.front().pid == 0) return next;
    const auto left = limit_ - (std::chrono::steady_clock::now() - commands_.front().started);
    const int64_t seconds =
        std::max<int64_t>(1, std::chrono::ceil<std::chrono::seconds>(left).count());
    return std::min(next, now + seconds);
}

}  // namespace qx::cli
