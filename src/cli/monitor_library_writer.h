// The monitor's writes of live readings: into the library, and with the library on a server
// into the local library first and then to the server as far as it can be reached. Readings
// the server misses wait in the local library; when it is back they go as library sync sends
// them. A write that fails leaves the readings pending, to be tried with the next ones.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/library/live_recording.h"
#include "core/library/record_library.h"

namespace qx::cli {

class LiveLibraryWriter {
  public:
    // `server`: the library's server location when `library` is the local one, else empty.
    LiveLibraryWriter(RecordLibrary& library, std::string server, std::function<int64_t()> now)
        : library_(library), serverLocation_(std::move(server)), now_(std::move(now)) {}

    // Writes the pending readings and clears them; false (they stay pending) when the library
    // did not take them. The first failure of a row is reported.
    bool Flush(LiveReadings& pending);
    // The library cannot be written at all (damaged, newer, not a library): monitoring ends.
    bool Fatal() const { return fatal_; }

  private:
    // The readings to the library server too, as far as it can be reached.
    void Send(const LiveReadings& readings);

    RecordLibrary& library_;
    std::string serverLocation_;
    std::function<int64_t()> now_;
    std::unique_ptr<RecordLibrary> server_;
    std::optional<int64_t> serverTried_;  // when the server was last opened, or failed
    bool serverMissed_ = false;           // said once until the server takes readings again
    bool serverRefused_ = false;          // it refused: not tried again (said once)
    bool writeFailed_ = false;            // the last write failed: reported once until one succeeds
    bool fatal_ = false;
};

}  // namespace qx::cli
