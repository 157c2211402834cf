#include "status_blinker.h"

#include "gui/common/app_pictures.h"

namespace qx {

int StatusBlinker::Tick(int64_t nowMs, bool statusOk, bool connected) {
    if (!statusOk) {
        liveStart_ = -1;
        restStart_ = -1;
        return connected ? kStatusConnected : kStatusNotConnected;
    }
    if (liveStart_ == -1 && restStart_ == -1) {
        liveStart_ = nowMs;
        return kStatusLive;
    }
    if (liveStart_ != -1) {
        if (nowMs - liveStart_ > kLivePhaseMs) {
            liveStart_ = -1;
            restStart_ = nowMs;
            return kStatusConnected;
        }
        return kStatusLive;
    }
    if (nowMs - restStart_ > kRestPhaseMs) {
        restStart_ = -1;
        liveStart_ = nowMs;
        return kStatusLive;
    }
    return kStatusConnected;
}

}  // namespace qx
