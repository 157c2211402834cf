// The blinking of the status icon (the main window's 100 ms timer 2). While the status reads
// succeed the icon alternates between "live" (icon 1) for 500 ms and "connected" (icon 7) for
// 300 ms; otherwise it shows "connected" (7) or "not connected" (8) without blinking.
#pragma once

#include <cstdint>

namespace qx {

class StatusBlinker {
  public:
    static constexpr int kLivePhaseMs = 500;
    static constexpr int kRestPhaseMs = 300;

    // One tick at nowMs (process clock): the status icon to show.
    int Tick(int64_t nowMs, bool statusOk, bool connected);

    // Start of the current phase, -1 when not in that phase.
    int64_t LivePhaseStart() const { return liveStart_; }
    int64_t RestPhaseStart() const { return restStart_; }

  private:
    int64_t liveStart_ = -1;  // phase A: icon 1
    int64_t restStart_ = -1;  // phase B: icon 7
};

}  // namespace qx
