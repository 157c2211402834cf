// Files that a process ending on a signal takes with it: a download's reserved name that was
// never written and the temporary file of a writer. A signal that ends the program (SIGINT,
// SIGTERM, SIGHUP) removes what is held here and then ends the program as it would have
// without the handler; kill -9 cannot be caught, and a reservation it leaves is recognised by
// DownloadTarget instead.
#pragma once

#include <string>

namespace qx {

// Installs the handlers of SIGINT, SIGTERM and SIGHUP that remove the held files, and ignores
// SIGXFSZ so that a file-size limit fails a write with EFBIG, which the writers report.
// Once, at the start of a program; a handler installed later (monitor's stop) replaces it.
void InstallRemovalOnSignals();

enum class RemovalKind {
    kAnyFile,    // removed whatever it holds (a temporary file)
    kEmptyOnly,  // removed only while it is empty (a reserved name)
};

// A file held for removal while the holder lives. Several may be held at once, from any
// thread; beyond the slots there are (kSlots) a file is simply not held.
class RemovalOnSignal {
  public:
    static constexpr int kSlots = 32;

    RemovalOnSignal() = default;
    RemovalOnSignal(const std::string& path, RemovalKind kind);
    RemovalOnSignal(RemovalOnSignal&& other) noexcept;
    RemovalOnSignal& operator=(RemovalOnSignal&& other) noexcept;
    RemovalOnSignal(const RemovalOnSignal&) = delete;
    RemovalOnSignal& operator=(const RemovalOnSignal&) = delete;
    ~RemovalOnSignal() { Drop(); }

    bool Held() const { return slot_ >= 0; }
    // The file is no longer removed on a signal.
    void Drop();

  private:
    int slot_ = -1;
};

}  // namespace qx
