// Work of the windows that may wait on something slow to answer, such as a library on a server
// that is far away or does not answer at all: each job runs on a worker thread of its own, one
// after another in the order given, and its result is handed to `done` on the window's thread,
// so that the window keeps drawing and answering meanwhile. Jobs must not touch widgets.
#pragma once

#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace qx {

class CBackgroundWork : public QObject {
  public:
    explicit CBackgroundWork(QObject* parent = nullptr);
    // Waits for the job that is running; results not yet handed over are dropped.
    ~CBackgroundWork() override;

    template <class T>
    void Run(std::function<T()> job, std::function<void(T&)> done) {
        Post([job = std::move(job), done = std::move(done)]() -> std::function<void()> {
            auto result = std::make_shared<T>(job());
            return [result, done] { done(*result); };
        });
    }
    // Jobs given and not yet handed back.
    int Pending() const { return pending_; }
    // Handles the window's events until every job has been handed back (tests, closing).
    void WaitIdle();

  private:
    using Job = std::function<std::function<void()>()>;
    void Post(Job job);
    void Loop();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool stopping_ = false;
    int pending_ = 0;  // on the window's thread
    std::thread worker_;
};

}  // namespace qx
