#include "removal_on_signal.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <utility>

namespace qx {
namespace {

constexpr size_t kPathBytes = 4096;

// kFree -> kFilling (one holder copies the path) -> kHeld (the handler may use it) -> kFree.
enum SlotState : int { kFree = 0, kFilling = 1, kHeld = 2 };

struct Slot {
    std::atomic<int> state{kFree};
    RemovalKind kind = RemovalKind::kAnyFile;
    char path[kPathBytes] = {};
};

Slot slots[RemovalOnSignal::kSlots];

// Only async-signal-safe calls: lstat, unlink, signal, raise.
void RemoveHeldFiles(int signal) {
    for (Slot& s : slots) {
        if (s.state.load() != kHeld) continue;
        if (s.kind == RemovalKind::kEmptyOnly) {
            struct stat st {};
            if (::lstat(s.path, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != 0) continue;
        }
        ::unlink(s.path);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

void InstallRemovalOnSignals() {
    struct sigaction action {};
    action.sa_handler = RemoveHeldFiles;
    sigemptyset(&action.sa_mask);
    for (const int s : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal ignored by whoever started the program (nohup) stays ignored.
        struct sigaction old {};
        if (sigaction(s, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        sigaction(s, &action, nullptr);
    }
    std::signal(SIGXFSZ, SIG_IGN);
}

RemovalOnSignal::RemovalOnSignal(const std::string& path, RemovalKind kind) {
    if (path.empty() || path.size() >= kPathBytes) return;
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (!slots[i].state.compare_exchange_strong(expected, kFilling)) continue;
        slots[i].kind = kind;
        std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
        slots[i].state.store(kHeld);
        slot_ = i;
        return;
    }
}

RemovalOnSignal::RemovalOnSignal(RemovalOnSignal&& other) noexcept
    : slot_(std::exchange(other.slot_, -1)) {}

RemovalOnSignal& RemovalOnSignal::operator=(RemovalOnSignal&& other) noexcept {
    if (this != &other) {
        Drop();
        slot_ = std::exchange(other.slot_, -1);
    }
    return *this;
}

void RemovalOnSignal::Drop() {
    if (slot_ < 0) return;
    slots[slot_].state.store(kFree);
    slot_ = -1;
}

}  // namespace qx
