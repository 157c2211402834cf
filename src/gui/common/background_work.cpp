#include "background_work.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace qx {

CBackgroundWork::CBackgroundWork(QObject* parent) : QObject(parent) {}

CBackgroundWork::~CBackgroundWork() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    wake_.notify_one();
    if (worker_.joinable()) worker_.join();
}

void CBackgroundWork::Post(Job job) {
    ++pending_;
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    if (!worker_.joinable()) worker_ = std::thread([this] { Loop(); });
    wake_.notify_one();
}

void CBackgroundWork::Loop() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        std::function<void()> deliver = job();
        // Queued to this object: dropped with it when the window is gone.
        QMetaObject::invokeMethod(
            this,
            [this, deliver = std::move(deliver)] {
                --pending_;
                deliver();
            },
            Qt::QueuedConnection);
    }
}

void CBackgroundWork::WaitIdle() {
    while (pending_ > 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace qx
