// The window's library sync: sends what the library server lacks from the PC's local library
// on a worker thread, so that a server that is slow to answer never holds up the window, and
// hands the result back on the window's thread.
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <thread>

#include "core/library/library_sync.h"

namespace qx {

class CLibrarySyncRunner : public QObject {
  public:
    using Done = std::function<void(const SyncResult&)>;

    explicit CLibrarySyncRunner(QObject* parent = nullptr) : QObject(parent) {}
    // Waits for a sync that is still running.
    ~CLibrarySyncRunner() override;

    // Starts sending from the library at `local` to the one at `server`; `done` runs on this
    // object's thread when it ends. False (and nothing started) while one is running.
    bool Start(const std::string& local, const std::string& server, Done done);
    bool Running() const { return running_; }

  private:
    std::thread worker_;
    bool running_ = false;
};

}  // namespace qx
