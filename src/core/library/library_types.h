// What the record library keeps, in the terms of the program rather than of a database:
// instruments, their recordings, the samples of a recording as runs, the record files they came
// from and the samples a file brought that differ from the library's. Every store engine keeps
// these and nothing else (library_store.h).
//
// An instrument is its model and its instrument number (InstrumentKey). The number is what the
// user gives the logger in its settings, so two loggers of one model that carry the same number
// are one instrument to the library: their samples at the same times are conflicts, which the
// library reports. Loggers of different models never mix, whatever their numbers.
//
// A recording is what one start of the instrument recorded: its start time, interval, units and
// limits (RecordingKey). Downloads of a recording that is still running, or of a cyclic logger
// that wrapped, carry the same key, and their samples merge into the one recording.
//
// A sample is identified by its instrument and its time. Samples are kept as runs: samples of
// one recording at equal intervals without a gap, packed exactly as the record file holds them.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "content_hash.h"
#include "core/model/instrument_catalogue.h"
#include "core/records/record_header.h"

namespace qx {

using LibraryId = int64_t;

// The version of the library's format that this program reads and writes; every engine keeps
// it in its database and migrates older ones step by step. A newer database is refused.
inline constexpr int kLibraryFormatVersion = 5;

struct InstrumentKey {
    InstrumentTypeId model = 0;
    std::string number;  // UTF-8, white space at both ends removed
    bool operator==(const InstrumentKey&) const = default;
};

struct RecordingKey {
    int64_t start = 0;      // the record start time of the settings, as the instrument keeps it
    uint32_t interval = 0;  // seconds between samples
    std::string settings;   // units and limits as text, equal for equal settings
    bool operator==(const RecordingKey&) const = default;
};

// Samples first, first + interval, ... of one recording; bytes holds count samples of the
// model's record file layout back to back. The checksum is written with the run
// (RunChecksum, library_merge.h) and read back with it, so that a run whose stored times or
// bytes changed since is known for what it is.
struct SampleRun {
    LibraryId recording = 0;
    int64_t first = 0;
    uint32_t interval = 0;
    uint32_t count = 0;
    std::vector<uint8_t> bytes;
    ContentHash checksum;

    int64_t TimeOf(uint32_t k) const { return first + int64_t{k} * interval; }
    int64_t Last() const { return count ? TimeOf(count - 1) : first; }
};

// A run's samples as readings, for an engine that keeps them to be queried (a server's readings
// view): per sample, the values of the model's series (SeriesList order) in the recording's
// units, decoded by the library, never by the engine.
using RunReadings = std::vector<float>;

// Kept with each recording and renewed whenever its samples change, so that listing is cheap.
struct RecordingTotals {
    int64_t first = 0;  // times of the first and the last sample (the start when none)
    int64_t last = 0;
    int64_t samples = 0;
    // Excursions of the whole recording against its own limits, as the statistics count them.
    int64_t excursions = 0;
};

// A stretch of a recording's time with an excursion: from the first to the last sample outside
// a limit (of any series; overlapping excursions make one stretch).
struct ExcursionSpan {
    int64_t first = 0;
    int64_t last = 0;
    bool operator==(const ExcursionSpan&) const = default;
};

struct LibraryRecording {
    LibraryId id = 0;
    LibraryId instrument = 0;
    InstrumentKey instrumentKey;
    RecordingKey key;
    // The header of the latest download of the recording (by download time): its settings as
    // the instrument last reported them.
    RecordHeader header;
    std::string name;  // the measurement name, UTF-8
    RecordingTotals totals;
};

struct LibraryInstrument {
    LibraryId id = 0;
    InstrumentKey key;
    std::vector<std::string> names;  // every measurement name seen, sorted
};

// A record file as the library took it in. The library never changes or deletes it; the same
// contents met again at another path get a row of their own that brings no samples.
struct LibraryFile {
    LibraryId id = 0;
    LibraryId recording = 0;
    // Absolute, on the PC `host`: the bytes the file system names it by, in any encoding.
    std::string path;
    // The PC whose file system holds the path (its host name); empty for files added before
    // the library kept it, which count as this PC's.
    std::string host;
    uint64_t size = 0;
    ContentHash hash;     // of the bytes the recording was read from
    int64_t added = 0;    // when it was added, seconds since 1970-01-01 00:00 UTC
    int64_t samples = 0;  // samples the file holds
    int64_t newSamples = 0;
    int64_t conflicts = 0;  // samples the library already held with another value
};

// A sample of a file that the library holds with another value: the file's value, not kept in
// the recording.
struct ConflictSample {
    int64_t time = 0;
    std::vector<uint8_t> bytes;
};

// Which recordings to list; every condition given must hold.
struct RecordingQuery {
    LibraryId instrument = 0;    // 0: any
    LibraryId recording = 0;     // 0: any
    InstrumentTypeId model = 0;  // 0: any
    // Recordings whose time span (first to last sample) meets from..to, both inclusive.
    std::optional<int64_t> from;
    std::optional<int64_t> to;
    // Recordings with excursions; with from or to, with an excursion that meets from..to.
    bool excursionsOnly = false;
};

// How a store operation failed.
enum class LibraryFault {
    kNone,
    kMissing,      // no library at that place (opening without creating)
    kBusy,         // another program kept it locked for too long
    kDamaged,      // the database is damaged: rebuild it from the record files
    kNewer,        // made by a newer program: refused, never written
    kNotLibrary,   // a file of another kind
    kFull,         // the disk is full
    kUnsupported,  // a kind of library this program cannot open
    kFailed,       // anything else; detail says what
    // A library on a server:
    kUnreachable,   // the server cannot be reached (or the connection broke)
    kLoginRefused,  // the server refused the user or the password
    kNoDatabase,    // the server has no database of that name (the administrator makes it)
    // The server refused the operation; trying again changes nothing until the server's
    // administrator has mended it (detail names what):
    kRefused,  // a permission the login lacks (SQLSTATE 42501)
    kLacking,  // a table, column or function the database lacks (42P01, 42703, 42883)
};

// Whether a failure concerns the library as a whole (it cannot be reached, used or written,
// so the next file would fail too) rather than the one file or recording being written.
inline bool IsLibraryWide(LibraryFault fault) {
    return fault != LibraryFault::kNone && fault != LibraryFault::kFailed;
}

struct LibraryError {
    LibraryFault fault = LibraryFault::kNone;
    std::string detail;  // the engine's own words, for the line below the message
    int version = 0;     // kNewer: the database's schema version
};

// One entry of the alarm journal: a change of an alarm (raised, level, ended, acknowledged) or
// a message about it (sent, failed), as the library keeps it, never changed once written. The
// kinds are plain words so that every engine and every program version reads them alike.
struct LibraryAlarmEntry {
    int64_t seq = 0;     // the library's order of the entries; given when added
    std::string alarm;   // the alarm's id
    std::string change;  // raised, level, ended, acknowledged, sent, failed
    std::string kind;    // threshold, lost, silent, fault, calibration
    std::string level;   // warning, alarm
    std::string side;    // high, low, or empty
    InstrumentKey instrument;
    std::string name;                   // the measurement name, UTF-8
    std::string channel;                // temp, hum, co2, ... or empty
    std::string value, limit, extreme;  // the numbers as written ("8.6"), or empty
    int64_t start = 0;                  // when the condition began
    int64_t time = 0;                   // when this entry's change happened
    std::string host;                   // the PC that wrote it
    std::string user;                   // acknowledged: who (the OS user, and the server role)
    std::string comment;  // acknowledged: the comment; sent, failed: recipients and reason
    bool operator==(const LibraryAlarmEntry&) const = default;
};

struct AlarmEntryQuery {
    int64_t from = std::numeric_limits<int64_t>::min();  // entries of alarms with changes in
    int64_t to = std::numeric_limits<int64_t>::max();    // from..to (both inclusive)
    std::string alarm;                                   // of one alarm only, when not empty
};

// What a monitor writes while it runs, so that another PC notices when it stops writing.
struct MonitorHeartbeat {
    std::string host;
    std::string monitor;  // the monitor's own name on its PC (its process and start)
    int64_t started = 0;
    int64_t time = 0;         // its latest beat
    std::string instruments;  // MODEL:NUMBER of those it watches, space-separated
};

}  // namespace qx
