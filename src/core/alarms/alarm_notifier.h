// Who is told of an alarm, and when: the first message at once to every recipient, again every
// `repeat` while the alarm is active and unacknowledged, and to the second list once it has
// stayed unacknowledged for `escalate-after`. AlarmMailPlan decides on a clock it is given;
// MailOutbox sends on a thread of its own, so that a slow or absent mail server never holds
// back readings or other alarms, and retries a message that could not be sent.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "alarm_event.h"
#include "alarm_mail.h"

namespace qx {

struct MailJob {
    std::string alarm;  // the alarm's id
    std::vector<std::string> recipients;
    MailMessage message;
};

class AlarmMailPlan {
  public:
    explicit AlarmMailPlan(MailSettings settings) : settings_(std::move(settings)) {}

    // The messages one change asks for now. `unit` is the channel's unit, for the values.
    std::vector<MailJob> OnEvent(const AlarmEvent& event, const std::string& unit = {});
    // Repeats and escalations due at `now` (seconds since 1970).
    std::vector<MailJob> Due(int64_t now);
    // Alarms still followed (active, or ended but not yet acknowledged).
    size_t Followed() const { return alarms_.size(); }

  private:
    struct Tracked {
        AlarmEvent event;  // the latest change
        std::string unit;
        int64_t raised = 0;
        int64_t lastSent = 0;
        bool active = true;
        bool acknowledged = false;
        bool escalated = false;
    };
    std::vector<std::string> RecipientsOf(const Tracked& alarm) const;

    MailSettings settings_;
    std::map<std::string, Tracked> alarms_;
};

// What became of one message: sent, or failed for good after its last attempt, or failed once
// and to be tried again.
struct MailReport {
    MailJob job;
    MailResult result;
    int attempt = 1;
    bool final = true;  // no further attempt follows
};

class MailOutbox {
  public:
    using Sender = std::function<MailResult(const MailJob&)>;
    // `retryDelays`: the waits before the second, third, ... attempt.
    MailOutbox(Sender sender, std::vector<int> retryDelays = {30, 120, 600});
    // Stops at once, giving up what still waits: Drain() first to send it.
    ~MailOutbox();
    MailOutbox(const MailOutbox&) = delete;
    MailOutbox& operator=(const MailOutbox&) = delete;

    void Post(MailJob job);
    // Every report since the last call, in the order they happened.
    std::vector<MailReport> TakeReports();
    // Waits until nothing is waiting or `seconds` have passed; true when nothing is.
    bool Drain(double seconds);
    // Messages posted and not yet sent or given up.
    size_t Waiting();

  private:
    struct Pending {
        MailJob job;
        int attempt = 1;
        std::chrono::steady_clock::time_point due;
    };
    void Run();

    Sender sender_;
    std::vector<int> retryDelays_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Pending> queue_;
    std::vector<MailReport> reports_;
    bool busy_ = false;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace qx
