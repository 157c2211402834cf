#include "alarm_notifier.h"

#include <algorithm>
#include <utility>

namespace qx {

std::vector<std::string> AlarmMailPlan::RecipientsOf(const Tracked& alarm) const {
    std::vector<std::string> r = settings_.to;
    if (alarm.escalated)
        for (const std::string& e : settings_.escalate_to)
            if (std::find(r.begin(), r.end(), e) == r.end()) r.push_back(e);
    return r;
}

std::vector<MailJob> AlarmMailPlan::OnEvent(const AlarmEvent& event, const std::string& unit) {
    std::vector<MailJob> jobs;
    if (!settings_.Enabled()) return jobs;
    auto it = alarms_.find(event.id);
    if (event.change == AlarmChange::kRaised) {
        Tracked f;
        f.raised = f.lastSent = event.time;
        it = alarms_.insert_or_assign(event.id, std::move(f)).first;
    } else if (it == alarms_.end()) {
        // A change of an alarm raised before this plan began (a monitor started again): it is
        // told all the same, to the first list.
        Tracked f;
        f.raised = f.lastSent = event.time;
        it = alarms_.emplace(event.id, std::move(f)).first;
    }
    Tracked& f = it->second;
    f.event = event;
    if (!unit.empty()) f.unit = unit;
    f.lastSent = event.time;
    if (event.change == AlarmChange::kEnded) f.active = false;
    if (event.change == AlarmChange::kAcknowledged) f.acknowledged = true;
    jobs.push_back({event.id, RecipientsOf(f), AlarmMailMessage(event, f.unit)});
    if (!f.active && f.acknowledged) alarms_.erase(it);
    return jobs;
}

std::vector<MailJob> AlarmMailPlan::Due(int64_t now) {
    std::vector<MailJob> jobs;
    for (auto it = alarms_.begin(); it != alarms_.end();) {
        Tracked& f = it->second;
        if (!f.active && f.event.change == AlarmChange::kEnded && f.acknowledged) {
            it = alarms_.erase(it);
            continue;
        }
        if (f.active && !f.acknowledged) {
            const bool escalate = settings_.escalate_after > 0 && !f.escalated &&
                                  !settings_.escalate_to.empty() &&
                                  now - f.raised >= settings_.escalate_after;
            if (escalate) {
                f.escalated = true;
                f.lastSent = now;
                jobs.push_back(
                    {it->first, settings_.escalate_to, AlarmMailMessage(f.event, f.unit, true)});
            } else if (settings_.repeat > 0 && now - f.lastSent >= settings_.repeat) {
                f.lastSent = now;
                jobs.push_back(
                    {it->first, RecipientsOf(f), AlarmMailMessage(f.event, f.unit, true)});
            }
        }
        ++it;
    }
    return jobs;
}

MailOutbox::MailOutbox(Sender sender, std::vector<int> retryDelays)
    : sender_(std::move(sender)), retryDelays_(std::move(retryDelays)) {
    thread_ = std::thread([this] { Run(); });
}

MailOutbox::~MailOutbox() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void MailOutbox::Post(MailJob job) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back({std::move(job), 1, std::chrono::steady_clock::now()});
    }
    wake_.notify_all();
}

std::vector<MailReport> MailOutbox::TakeReports() {
    std::lock_guard lock(mutex_);
    return std::exchange(reports_, {});
}

size_t MailOutbox::Waiting() {
    std::lock_guard lock(mutex_);
    return queue_.size() + (busy_ ? 1 : 0);
}

bool MailOutbox::Drain(double seconds) {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, std::chrono::duration<double>(seconds),
                          [this] { return queue_.empty() && !busy_; });
}

void MailOutbox::Run() {
    std::unique_lock lock(mutex_);
    while (true) {
        if (stop_) return;
        if (queue_.empty()) {
            idle_.notify_all();
            wake_.wait(lock);
            continue;
        }
        // The message due first; a retry waits for its time while new messages go ahead.
        auto next = std::min_element(queue_.begin(), queue_.end(),
                                     [](auto& a, auto& b) { return a.due < b.due; });
        if (next->due > std::chrono::steady_clock::now()) {
            wake_.wait_until(lock, next->due);
            continue;
        }
        Pending p = std::move(*next);
        queue_.erase(next);
        busy_ = true;
        lock.unlock();
        MailResult result = sender_(p.job);
        lock.lock();
        busy_ = false;
        const bool retry = !result.sent && p.attempt <= static_cast<int>(retryDelays_.size());
        reports_.push_back({p.job, result, p.attempt, !retry});
        if (retry) {
            p.due = std::chrono::steady_clock::now() +
                    std::chrono::seconds(retryDelays_[p.attempt - 1]);
            ++p.attempt;
            queue_.push_back(std::move(p));
        }
    }
}

}  // namespace qx
