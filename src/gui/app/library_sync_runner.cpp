#include "library_sync_runner.h"

#include <QMetaObject>

namespace qx {

CLibrarySyncRunner::~CLibrarySyncRunner() {
    if (worker_.joinable()) worker_.join();
}

bool CLibrarySyncRunner::Start(const std::string& local, const std::string& server, Done done) {
    if (running_) return false;
    if (worker_.joinable()) worker_.join();  // ended: its result was handed over
    running_ = true;
    worker_ = std::thread([this, local, server, done = std::move(done)] {
        const SyncResult result = SyncLocations(local, server);
        QMetaObject::invokeMethod(
            this,
            [this, result, done] {
                running_ = false;
                done(result);
            },
            Qt::QueuedConnection);
    });
    return true;
}

}  // namespace qx
