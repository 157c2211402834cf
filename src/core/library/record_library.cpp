#include "record_library.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <limits>
#include <map>
#include <memory>

#include "core/model/text_util.h"
#include "core/records/record_file.h"
#include "core/records/sample_decoding.h"
#include "instrument_write.h"
#include "library_identity.h"
#include "library_merge.h"
#include "library_texts.h"
#include "recording_totals.h"
#include "timeline.h"

namespace qx {
namespace {

// A download's samples merge with the downloaded samples the instrument holds: live readings
// at the same times neither make them duplicates nor conflicts, as the history shows the
// download's samples in their time (timeline.h).
void WithoutLiveRuns(std::vector<SampleRun>& runs, std::span<const LibraryRecording> recordings) {
    std::vector<LibraryId> live;
    for (const LibraryRecording& r : recordings) {
        if (IsLiveRecording(r.key)) live.push_back(r.id);
    }
    if (live.empty()) return;
    std::erase_if(runs, [&](const SampleRun& run) {
        return std::find(live.begin(), live.end(), run.recording) != live.end();
    });
}

constexpr int64_t kNoBound = std::numeric_limits<int64_t>::max();

TimelineSpan SpanOf(const LibraryRecording& r) {
    return {r.id, IsLiveRecording(r.key), r.totals.first, r.totals.last};
}

// The spans of the recordings that hold samples.
std::vector<TimelineSpan> SpansOf(std::span<const LibraryRecording> recordings) {
    std::vector<TimelineSpan> spans;
    for (const LibraryRecording& r : recordings) {
        if (r.totals.samples > 0) spans.push_back(SpanOf(r));
    }
    return spans;
}

std::string AbsolutePath(const std::string& path) {
    std::error_code error;
    std::filesystem::path p = std::filesystem::absolute(path, error);
    if (error) return path;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(p, error);
    return (error ? p.lexically_normal() : canonical).string();
}

char Folded(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool ContainsFolded(std::string_view text, std::string_view part) {
    return std::search(text.begin(), text.end(), part.begin(), part.end(),
                       [](char a, char b) { return Folded(a) == Folded(b); }) != text.end();
}

bool HasRecordExtension(const std::filesystem::path& path) {
    return EqualsIgnoreCase(path.extension().string(), ".QXRec");
}

// The state of a file by its path and size (Check also compares its contents).
FileState StateBySize(const LibraryFile& file) {
    std::error_code error;
    const auto status = std::filesystem::status(file.path, error);
    if (error || !std::filesystem::exists(status)) return FileState::kMissing;
    if (!std::filesystem::is_regular_file(status)) return FileState::kChanged;
    const uintmax_t size = std::filesystem::file_size(file.path, error);
    return !error && size == file.size ? FileState::kPresent : FileState::kChanged;
}

// The hash of a record file as adding takes it: of the bytes its recording is read from.
std::optional<ContentHash> HashOfRecordFile(const std::string& path) {
    auto image = std::make_unique<RecordImage>();
    size_t bytes = 0;
    if (!IsKnownModel(ReadRecordFile(path, *image, &bytes))) return std::nullopt;
    return Sha256(std::span(image->bytes.data(), bytes));
}

// States of files, a missing one "moved" when another file with its contents is present; a
// file of another PC is looked for there, not here.
std::vector<SourceFile> StatesOf(const std::vector<LibraryFile>& files, bool compareContents) {
    std::vector<SourceFile> states;
    states.reserve(files.size());
    std::map<std::array<uint8_t, 32>, std::string> presentByHash;
    const std::string here = ThisHostName();
    for (const LibraryFile& f : files) {
        if (!f.host.empty() && f.host != here) {
            states.push_back({f, FileState::kElsewhere, {}});
            continue;
        }
        FileState state = StateBySize(f);
        if (state == FileState::kPresent && compareContents) {
            const std::optional<ContentHash> hash = HashOfRecordFile(f.path);
            if (!hash || !(*hash == f.hash)) state = FileState::kChanged;
        }
        if (state == FileState::kPresent) presentByHash.emplace(f.hash.bytes, f.path);
        states.push_back({f, state, {}});
    }
    for (SourceFile& s : states) {
        if (s.state != FileState::kMissing) continue;
        const auto it = presentByHash.find(s.file.hash.bytes);
        if (it != presentByHash.end()) {
            s.state = FileState::kMoved;
            s.movedTo = it->second;
        }
    }
    return states;
}

}  // namespace

// ---- Instruments by name ---------------------------------------------------------------

std::string InstrumentName(const InstrumentKey& key) {
    return ModelName(key.model) + ":" + key.number;
}

InstrumentMatch FindInstrument(std::span<const LibraryInstrument> instruments,
                               std::string_view text, const LibraryInstrument** found,
                               std::vector<const LibraryInstrument*>* candidates) {
    const std::string wanted = Trim(text);
    std::vector<const LibraryInstrument*> matches;
    for (const LibraryInstrument& i : instruments) {
        if (EqualsIgnoreCase(i.key.number, wanted)) matches.push_back(&i);
    }
    if (matches.empty()) {
        // MODEL:NUMBER; a number may itself hold ':', so every ':' is tried.
        for (size_t colon = wanted.find(':'); colon != std::string::npos;
             colon = wanted.find(':', colon + 1)) {
            const InstrumentTypeId model = ModelFromName(Trim(wanted.substr(0, colon)));
            const std::string number = Trim(wanted.substr(colon + 1));
            for (const LibraryInstrument& i : instruments) {
                if (IsKnownModel(model) && i.key.model == model &&
                    EqualsIgnoreCase(i.key.number, number))
                    matches.push_back(&i);
            }
        }
    }
    if (candidates) *candidates = matches;
    if (matches.size() == 1 && found) *found = matches.front();
    return matches.empty()       ? InstrumentMatch::kNone
           : matches.size() == 1 ? InstrumentMatch::kOne
                                 : InstrumentMatch::kSeveral;
}

// ---- Adding ----------------------------------------------------------------------------

RecordLibrary::RecordLibrary(std::unique_ptr<LibraryStore> store)
    : store_(std::move(store)), workspace_(std::make_unique<TotalsWorkspace>()) {}

AddResult RecordLibrary::Fail(AddResult& result) {
    result.status = AddStatus::kFailed;
    result.message = LibraryErrorMessage(Location(), Error());
    result.reason = Error().detail;
    return result;
}

AddResult RecordLibrary::AddRecordFile(const std::string& path) {
    return Add(AbsolutePath(path));
}

AddResult RecordLibrary::Add(const std::string& path) {
    AddResult r;
    r.path = path;
    auto image = std::make_unique<RecordImage>();
    size_t bytes = 0;
    const InstrumentTypeId type = ReadRecordFile(path, *image, &bytes, &r.reason);
    if (!IsKnownModel(type)) {
        r.status = AddStatus::kUnreadable;
        r.message = OpenFailedMessage(path);
        return r;
    }
    IncomingRecording in;
    if (!IncomingOf(*image, type, bytes, in, &r.reason)) {
        r.status = AddStatus::kRefused;
        r.message = OpenFailedMessage(path);
        return r;
    }
    r.instrument = in.instrument;
    r.samples = in.count;
    LibraryFile file;
    file.path = path;
    file.host = ThisHostName();
    file.hash = Sha256(std::span(image->bytes.data(), bytes));
    std::error_code sizeError;
    file.size = std::filesystem::file_size(path, sizeError);
    file.added = static_cast<int64_t>(std::time(nullptr));
    file.samples = in.count;

    // Known contents are settled without waiting for the write lock; the lookup is repeated
    // under it, as another process may be adding the same file.
    std::vector<LibraryFile> known;
    const auto lookUp = [&] {
        known.clear();
        return store_->FilesWithHash(file.hash, known);
    };
    const auto knownHere = [&] {
        for (const LibraryFile& f : known) {
            if (f.path != path) continue;
            r.status = AddStatus::kKnown;
            r.recording = f.recording;
            r.duplicates = in.count;
            return true;
        }
        return false;
    };
    if (!lookUp()) return Fail(r);
    if (knownHere()) return r;

    InstrumentWrite write(*store_, *workspace_);
    if (!write.Begin(in.instrument)) return Fail(r);
    if (!lookUp()) return Fail(r);
    if (knownHere()) {
        write.Abandon();
        return r;
    }
    if (!known.empty()) {
        file.recording = known.front().recording;
        LibraryId id = 0;
        if (!store_->AddFile(file, id)) {
            return Fail(r);
        }
        if (hooks_.beforeCommit) hooks_.beforeCommit(path);
        if (!write.Commit()) {
            return Fail(r);
        }
        r.status = AddStatus::kCopy;
        r.recording = file.recording;
        r.duplicates = in.count;
        return r;
    }

    if (!write.AddName(in.name)) return Fail(r);
    LibraryRecording recording;
    if (!write.Recording(in.key, in.header, in.name, in.TimeOf(0), recording)) return Fail(r);

    MergePlan plan;
    if (in.count > 0) {
        const int64_t first = in.TimeOf(0), last = in.TimeOf(in.count - 1);
        std::vector<SampleRun> existing;
        if (!store_->Runs(write.Instrument(), 0, first, last, existing)) {
            return Fail(r);
        }
        WithoutLiveRuns(existing, write.Recordings());
        plan = PlanMerge(in, existing);
        for (SampleRun& run : plan.runs)
            run.recording = recording.id;
        if (!write.AddRuns(plan.runs)) return Fail(r);
        for (const LibraryRecording& other : write.Recordings()) {
            if (other.id != recording.id && other.totals.samples > 0 &&
                other.totals.first <= last && other.totals.last >= first)
                ++(IsLiveRecording(other.key) ? r.liveOverlaps : r.overlaps);
        }
    }
    const bool newer = in.header.DownloadTime() > recording.header.DownloadTime();
    if ((plan.added > 0 || newer) &&
        !write.Renew(recording.id, newer ? in.header : recording.header))
        return Fail(r);

    file.recording = recording.id;
    file.newSamples = plan.added;
    file.conflicts = static_cast<int64_t>(plan.conflicts.size());
    LibraryId fileId = 0;
    if (!store_->AddFile(file, fileId) || !store_->AddConflicts(fileId, plan.conflicts)) {
        return Fail(r);
    }
    if (hooks_.beforeCommit) hooks_.beforeCommit(path);
    if (!write.Commit()) {
        return Fail(r);
    }
    r.status = AddStatus::kAdded;
    r.recording = recording.id;
    r.added = plan.added;
    r.duplicates = plan.duplicates;
    r.conflicts = file.conflicts;
    return r;
}

// ---- Live readings ---------------------------------------------------------------------

bool RecordLibrary::AddLive(const LiveReadings& in, LiveAddResult& result) {
    result = {};
    if (in.times.empty()) return true;
    const InstrumentTypeId type = in.instrument.model;
    const size_t size = static_cast<size_t>(DecodedSampleSize(type));
    const int64_t first = in.times.front(), last = in.times.back();

    InstrumentWrite write(*store_, *workspace_);
    if (!write.Begin(in.instrument) || !write.AddName(in.name)) return false;
    const LibraryId instrument = write.Instrument();
    RecordingQuery ofInstrument;
    ofInstrument.instrument = instrument;
    std::vector<LibraryRecording> meeting;
    // What the instrument holds in the readings' time, asked per recording that meets it: the
    // runs of one recording are found by their own index, while a question over all the
    // instrument's runs would pass every earlier run of a long monitored history.
    RecordingQuery inTime = ofInstrument;
    inTime.from = first;
    inTime.to = last;
    std::vector<SampleRun> existing, some;
    if (!store_->Recordings(inTime, meeting)) return false;
    for (const LibraryRecording& r : meeting) {
        if (!store_->Runs(instrument, r.id, first, last, some)) return false;
        existing.insert(existing.end(), std::make_move_iterator(some.begin()),
                        std::make_move_iterator(some.end()));
    }
    const auto held = [&existing](int64_t t) {
        return std::any_of(existing.begin(), existing.end(), [t](const SampleRun& r) {
            if (t < r.first || t > r.Last()) return false;
            return r.interval == 0 ? t == r.first : (t - r.first) % r.interval == 0;
        });
    };

    std::vector<LibraryRecording> touched;  // the live recordings the readings go to
    std::vector<SampleRun> runs;
    for (size_t i = 0; i < in.times.size(); ++i) {
        const int64_t t = in.times[i];
        if (held(t)) {
            ++result.held;
            continue;
        }
        const RecordingKey key = LiveRecordingKey(in.settings, type, in.interval, t);
        auto recording = std::find_if(touched.begin(), touched.end(),
                                      [&](const LibraryRecording& r) { return r.key == key; });
        if (recording == touched.end()) {
            LibraryRecording r;
            if (!write.Recording(key, LiveRecordingHeader(in.settings, type, key, last), in.name, t,
                                 r))
                return false;
            touched.push_back(std::move(r));
            recording = touched.end() - 1;
        }
        if (runs.empty() || runs.back().recording != recording->id ||
            runs.back().Last() + in.interval != t || runs.back().count >= kMaxRunSamples) {
            runs.push_back({recording->id, t, in.interval, 0, {}, {}});
        }
        SampleRun& run = runs.back();
        run.bytes.insert(run.bytes.end(), in.samples.begin() + static_cast<ptrdiff_t>(i * size),
                         in.samples.begin() + static_cast<ptrdiff_t>((i + 1) * size));
        ++run.count;
        ++result.added;
    }
    if (!write.AddRuns(runs)) return false;
    for (const LibraryRecording& r : touched) {
        if (!write.Renew(r.id, LiveRecordingHeader(in.settings, type, r.key, last))) return false;
    }
    if (!write.Commit()) {
        result = {};
        return false;
    }
    return true;
}

// ---- Recordings of another library ----------------------------------------------------

namespace {

// A run as a record file's samples, for the merge: sample k at run.TimeOf(k).
bool IncomingOfRun(const StoredRecording& in, const SampleRun& run, IncomingRecording& out) {
    const InstrumentTypeId type = in.recording.instrumentKey.model;
    const int size = DecodedSampleSize(type);
    if (size <= 0 || run.bytes.size() < size_t{run.count} * static_cast<size_t>(size) ||
        run.first < std::numeric_limits<int32_t>::min() ||
        run.first > std::numeric_limits<uint32_t>::max())
        return false;
    out.instrument = in.recording.instrumentKey;
    out.key = in.recording.key;
    out.header = in.recording.header;
    out.name = in.recording.name;
    out.clock = {};
    if (run.first >= 0) {
        out.clock.start = static_cast<uint32_t>(run.first);
    } else {
        out.clock.shift = static_cast<int32_t>(run.first);
    }
    out.clock.interval = run.interval;
    out.sampleSize = size;
    out.count = run.interval == 0 ? std::min<uint32_t>(run.count, 1) : run.count;
    out.samples = std::span(run.bytes.data(), size_t{out.count} * static_cast<size_t>(size));
    return true;
}

}  // namespace

bool RecordLibrary::HoldsFile(const LibraryFile& file, bool& held) {
    std::vector<LibraryFile> known;
    if (!store_->FilesWithHash(file.hash, known)) return false;
    held = std::any_of(known.begin(), known.end(),
                       [&](const LibraryFile& f) { return f.path == file.path; });
    return true;
}

bool RecordLibrary::ReadStored(const LibraryRecording& recording, StoredRecording& out) {
    out = StoredRecording{};
    out.recording = recording;
    std::vector<LibraryInstrument> instruments;
    if (!store_->Instruments(instruments)) return false;
    for (const LibraryInstrument& i : instruments) {
        if (i.id == recording.instrument) out.names = i.names;
    }
    std::vector<LibraryFile> files;
    if (!store_->Runs(recording.instrument, recording.id, std::numeric_limits<int64_t>::min(),
                      kNoBound, out.runs) ||
        !store_->Files(recording.id, files))
        return false;
    std::vector<DamagedRun> damaged;
    LeaveOutDamaged(out.runs, recording, &damaged);
    for (const DamagedRun& d : damaged)
        out.damaged += d.samples;
    for (LibraryFile& f : files) {
        StoredRecording::File& file = out.files.emplace_back();
        if (!store_->Conflicts(f.id, file.conflicts)) return false;
        file.file = std::move(f);
    }
    return true;
}

bool RecordLibrary::AddStored(const StoredRecording& in, StoredAddResult& result) {
    result = {};
    result.unplaced = in.damaged;
    InstrumentWrite write(*store_, *workspace_);
    if (!write.Begin(in.recording.instrumentKey)) return false;
    const LibraryId instrument = write.Instrument();

    // The files this library lacks at their paths; a copy is contents it knows elsewhere.
    struct Missing {
        const StoredRecording::File* file;
        LibraryId knownIn = 0;  // the recording holding the same contents
    };
    std::vector<Missing> missing;
    for (const StoredRecording::File& f : in.files) {
        std::vector<LibraryFile> known;
        if (!store_->FilesWithHash(f.file.hash, known)) return false;
        if (std::any_of(known.begin(), known.end(),
                        [&](const LibraryFile& k) { return k.path == f.file.path; }))
            continue;
        missing.push_back({&f, known.empty() ? 0 : known.front().recording});
    }

    // The samples, merged run by run against what the instrument holds in their time.
    MergePlan plan;
    if (!in.runs.empty()) {
        int64_t first = in.runs.front().first, last = in.runs.front().Last();
        for (const SampleRun& run : in.runs) {
            first = std::min(first, run.first);
            last = std::max(last, run.Last());
        }
        std::vector<SampleRun> existing;
        if (!store_->Runs(instrument, 0, first, last, existing)) return false;
        if (!IsLiveRecording(in.recording.key)) WithoutLiveRuns(existing, write.Recordings());
        for (const SampleRun& run : in.runs) {
            IncomingRecording piece;
            if (!IncomingOfRun(in, run, piece)) {
                result.unplaced += run.count;
                continue;
            }
            result.unplaced += run.count - piece.count;
            MergePlan part = PlanMerge(piece, existing);
            plan.added += part.added;
            plan.duplicates += part.duplicates;
            std::move(part.runs.begin(), part.runs.end(), std::back_inserter(plan.runs));
            std::move(part.conflicts.begin(), part.conflicts.end(),
                      std::back_inserter(plan.conflicts));
        }
    }
    result.added = plan.added;
    result.duplicates = plan.duplicates;
    if (plan.added == 0 && missing.empty()) {
        result.duplicates += static_cast<int64_t>(plan.conflicts.size());
        write.Abandon();
        return true;
    }

    for (const std::string& name : in.names) {
        if (!write.AddName(name)) return false;
    }
    LibraryRecording recording;
    if (!write.Recording(in.recording.key, in.recording.header, in.recording.name,
                         in.recording.totals.first, recording))
        return false;
    for (SampleRun& run : plan.runs)
        run.recording = recording.id;
    if (!write.AddRuns(plan.runs)) return false;
    const bool newer = in.recording.header.DownloadTime() > recording.header.DownloadTime();
    if ((plan.added > 0 || newer) &&
        !write.Renew(recording.id, newer ? in.recording.header : recording.header))
        return false;

    // Which file of a recording brought a sample is not kept: samples this library holds with
    // other values are noted with the first file it did not know.
    bool conflictsNoted = false;
    for (const Missing& m : missing) {
        LibraryFile file = m.file->file;
        // A file the sending library kept without a PC is one of the PC that sends it.
        if (file.host.empty()) file.host = ThisHostName();
        std::vector<ConflictSample> conflicts;
        if (m.knownIn != 0) {
            file.recording = m.knownIn;
            file.newSamples = 0;
            file.conflicts = 0;
        } else {
            file.recording = recording.id;
            conflicts = m.file->conflicts;
            if (!conflictsNoted) {
                conflictsNoted = true;
                for (ConflictSample& c : plan.conflicts) {
                    if (std::none_of(conflicts.begin(), conflicts.end(),
                                     [&](const ConflictSample& x) { return x.time == c.time; }))
                        conflicts.push_back(std::move(c));
                }
                std::sort(conflicts.begin(), conflicts.end(),
                          [](const auto& a, const auto& b) { return a.time < b.time; });
                result.conflicts = static_cast<int64_t>(plan.conflicts.size());
                file.conflicts = static_cast<int64_t>(conflicts.size());
            }
        }
        LibraryId id = 0;
        if (!store_->AddFile(file, id) || !store_->AddConflicts(id, conflicts)) return false;
        result.filesAdded.push_back(file.path);
    }
    // Without a file to note them on (a live recording), held times keep their values.
    if (!conflictsNoted) result.duplicates += static_cast<int64_t>(plan.conflicts.size());
    if (hooks_.beforeCommit) hooks_.beforeCommit(in.recording.instrumentKey.number);
    if (!write.Commit()) {
        result = {};
        return false;
    }
    result.sent = true;
    return true;
}

std::vector<AddResult> RecordLibrary::AddPaths(std::span<const std::string> paths,
                                               const std::function<void(const AddResult&)>& each) {
    std::vector<AddResult> results;
    // The library as a whole failed (it cannot be reached or written): no use going on. A
    // failure of one file's write leaves the others to be tried.
    bool failed = false;
    const auto add = [&](AddResult r) {
        failed = r.status == AddStatus::kFailed && IsLibraryWide(Error().fault);
        if (each) each(r);
        results.push_back(std::move(r));
    };
    for (const std::string& given : paths) {
        const std::string path = AbsolutePath(given);
        std::error_code error;
        if (!std::filesystem::is_directory(path, error)) {
            add(Add(path));
            if (failed) break;
            continue;
        }
        std::vector<std::string> files;
        auto it = std::filesystem::recursive_directory_iterator(
            path, std::filesystem::directory_options::skip_permission_denied, error);
        for (; !error && it != std::filesystem::recursive_directory_iterator();
             it.increment(error)) {
            std::error_code typeError, sizeError;
            // An empty record file is a download's reserved name (a download under way, or
            // one that was killed): it holds no record yet.
            if (it->is_regular_file(typeError) && HasRecordExtension(it->path()) &&
                it->file_size(sizeError) != 0)
                files.push_back(it->path().string());
        }
        if (error) {
            AddResult r;
            r.path = path;
            r.status = AddStatus::kUnreadable;
            r.message = OpenFailedMessage(path);
            r.reason = error.message();
            add(std::move(r));
        }
        std::sort(files.begin(), files.end());
        for (size_t i = 0; i < files.size() && !failed; ++i)
            add(Add(files[i]));
        if (failed) break;
    }
    return results;
}

namespace {

// What is wrong with a run of the recording, if anything.
std::optional<DamagedRun> DamagedRunOf(const SampleRun& run, const LibraryRecording& recording) {
    const RunDamage damage = DamageOf(run, recording.instrumentKey.model);
    if (damage == RunDamage::kNone) return std::nullopt;
    DamagedRun d;
    d.instrument = recording.instrumentKey;
    d.recording = run.recording;
    d.first = run.first;
    d.last = run.Last();
    d.samples = run.count;
    d.shortBytes = damage == RunDamage::kShort;
    return d;
}

}  // namespace

void RecordLibrary::LeaveOutDamaged(std::vector<SampleRun>& runs, const LibraryRecording& recording,
                                    std::vector<DamagedRun>* noted) {
    std::erase_if(runs, [&](const SampleRun& run) {
        const std::optional<DamagedRun> damage = DamagedRunOf(run, recording);
        if (!damage) return false;
        const DamagedRun& d = *damage;
        const bool known = std::any_of(damaged_.begin(), damaged_.end(), [&](const DamagedRun& x) {
            return x.recording == d.recording && x.first == d.first;
        });
        if (!known) damaged_.push_back(d);
        if (noted) noted->push_back(d);
        return true;
    });
}

std::string ThisHostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

// ---- Reading ---------------------------------------------------------------------------

bool RecordLibrary::Instruments(std::vector<LibraryInstrument>& out) {
    return store_->Instruments(out);
}

bool RecordLibrary::Overlaps(LibraryId instrument, std::vector<LibraryOverlap>& out) {
    out.clear();
    RecordingQuery query;
    query.instrument = instrument;
    std::vector<LibraryRecording> recordings;
    if (!store_->Recordings(query, recordings)) return false;
    if (recordings.empty()) return true;
    const std::vector<TimelineSpan> spans = SpansOf(recordings);
    for (const TimelineOverlap& o : OverlapsOf(spans)) {
        LibraryOverlap& lo = out.emplace_back();
        lo.instrument = recordings.front().instrumentKey;
        lo.overlap = o;
        std::vector<SampleRun> runs;
        if (!store_->Runs(instrument, o.setAside.recording, o.stretch.first, o.stretch.last, runs))
            return false;
        for (const SampleRun& run : runs) {
            if (run.count == 0 || run.Last() < o.stretch.first || run.first > o.stretch.last)
                continue;
            if (run.interval == 0) {
                ++lo.setAside;
                continue;
            }
            // Samples k with first <= TimeOf(k) <= last.
            const int64_t lo_k =
                run.first >= o.stretch.first
                    ? 0
                    : (o.stretch.first - run.first + run.interval - 1) / run.interval;
            const int64_t hi_k =
                std::min<int64_t>(run.count - 1, (o.stretch.last - run.first) / run.interval);
            if (hi_k >= lo_k) lo.setAside += hi_k - lo_k + 1;
        }
    }
    return true;
}

bool RecordLibrary::List(const LibraryFilter& filter, std::vector<RecordingEntry>& out) {
    out.clear();
    RecordingQuery query;
    query.instrument = filter.instrument;
    query.model = filter.model;
    query.from = filter.from;
    query.to = filter.to;
    query.excursionsOnly = filter.excursionsOnly;
    std::vector<LibraryRecording> recordings;
    if (!store_->Recordings(query, recordings)) return false;
    std::vector<LibraryFile> files;
    if (!store_->Files(0, files)) return false;
    std::map<LibraryId, std::vector<SourceFile>> byRecording;
    for (SourceFile& s : StatesOf(files, filter.readFiles))
        byRecording[s.file.recording].push_back(std::move(s));
    for (LibraryRecording& r : recordings) {
        if (!filter.number.empty() && !ContainsFolded(r.instrumentKey.number, filter.number))
            continue;
        if (!filter.name.empty() && !ContainsFolded(r.name, filter.name)) continue;
        RecordingEntry& e = out.emplace_back();
        e.recording = std::move(r);
        const auto it = byRecording.find(e.recording.id);
        if (it != byRecording.end()) e.files = std::move(it->second);
    }
    // Overlaps are a matter of an instrument's recordings, whether the filter lists them or not.
    std::map<LibraryId, std::vector<LibraryOverlap>> byInstrument;
    for (RecordingEntry& e : out) {
        auto [it, fresh] = byInstrument.try_emplace(e.recording.instrument);
        if (fresh && !Overlaps(e.recording.instrument, it->second)) return false;
        for (const LibraryOverlap& o : it->second) {
            if (o.overlap.kept.recording == e.recording.id ||
                o.overlap.setAside.recording == e.recording.id)
                e.overlaps.push_back(o);
        }
    }
    return true;
}

bool RecordLibrary::Recording(LibraryId id, std::optional<int64_t> from, std::optional<int64_t> to,
                              RecordingSamples& out) {
    RecordingQuery query;
    query.recording = id;
    std::vector<LibraryRecording> found;
    if (!store_->Recordings(query, found)) return false;
    out = RecordingSamples{};
    if (found.empty()) return true;
    const LibraryRecording& r = found.front();
    std::vector<SampleRun> runs;
    const int64_t lo = from.value_or(std::numeric_limits<int64_t>::min());
    const int64_t hi = to.value_or(kNoBound);
    if (!store_->Runs(r.instrument, r.id, lo, hi, runs)) return false;
    std::vector<DamagedRun> damaged;
    LeaveOutDamaged(runs, r, &damaged);
    out.type = r.instrumentKey.model;
    out.params = r.header.Params();
    AppendTimedSamples(runs, out.type, out.params, lo, hi, out.samples);
    for (const DamagedRun& d : damaged)
        out.setAside.push_back({d.first, d.last, d.samples, false, false, true, d.recording});
    return true;
}

namespace {

// One recording's samples in a history: the parts in its kept stretches, and for the rest the
// recording that holds that time (by rank), counted per stretch left out.
struct SplitRecording {
    std::vector<std::vector<TimedSample>> parts;
    std::vector<std::pair<LibraryId, SetAsideSamples>> setAside;
};

SplitRecording Split(std::vector<TimedSample> samples, const TimelineSpan& self,
                     std::span<const TimelineSpan> spans) {
    SplitRecording out;
    const std::vector<TimeStretch> kept = KeptStretches(self, spans);
    if (kept.size() == 1 && kept.front() == TimeStretch{self.first, self.last}) {
        out.parts.push_back(std::move(samples));
        return out;
    }
    std::vector<TimelineSpan> over;  // the recordings that outrank it, best first
    for (const TimelineSpan& o : spans) {
        if (o.recording != self.recording && Outranks(o, self) && o.last >= self.first &&
            o.first <= self.last)
            over.push_back(o);
    }
    std::sort(over.begin(), over.end(), Outranks);
    size_t k = 0;
    size_t part = kept.size();  // the stretch of the last part begun
    bool settingAside = false;  // the previous sample was set aside
    for (TimedSample& sample : samples) {
        const int64_t t = sample.time;
        while (k < kept.size() && kept[k].last < t)
            ++k;
        if (k < kept.size() && kept[k].first <= t) {
            if (part != k) {
                out.parts.emplace_back();
                part = k;
            }
            out.parts.back().push_back(std::move(sample));
            settingAside = false;
            continue;
        }
        part = kept.size();
        const auto by = std::find_if(over.begin(), over.end(), [t](const TimelineSpan& o) {
            return o.first <= t && t <= o.last;
        });
        if (by == over.end()) continue;  // cannot be: a time outside every kept stretch is covered
        if (settingAside && out.setAside.back().first == by->recording) {
            SetAsideSamples& s = out.setAside.back().second;
            s.last = t;
            ++s.count;
        } else {
            out.setAside.push_back({by->recording, {t, t, 1, self.live, by->live}});
        }
        settingAside = true;
    }
    return out;
}

}  // namespace

bool RecordLibrary::History(LibraryId instrument, int64_t from, int64_t to,
                            InstrumentHistory& out) {
    out.clear();
    RecordingQuery query;
    query.instrument = instrument;
    query.from = from;
    query.to = to;
    std::vector<LibraryRecording> recordings;
    std::vector<SampleRun> runs;
    if (!store_->Recordings(query, recordings) || !store_->Runs(instrument, 0, from, to, runs))
        return false;
    std::map<LibraryId, std::vector<SampleRun>> byRecording;
    for (SampleRun& run : runs)
        byRecording[run.recording].push_back(std::move(run));
    const std::vector<TimelineSpan> spans = SpansOf(recordings);
    // Damaged runs are left out, noted with the recording they belong to.
    std::vector<std::pair<LibraryId, SetAsideSamples>> setAside;
    for (const LibraryRecording& r : recordings) {
        std::vector<DamagedRun> damaged;
        LeaveOutDamaged(byRecording[r.id], r, &damaged);
        for (const DamagedRun& d : damaged)
            setAside.push_back(
                {r.id, {d.first, d.last, d.samples, false, false, true, d.recording}});
    }

    struct Part {
        LibraryId recording;
        RecordingSamples samples;
    };
    std::vector<Part> parts;
    for (const LibraryRecording& r : recordings) {
        if (r.totals.samples == 0) continue;
        std::vector<TimedSample> samples;
        const ParamBlock params = r.header.Params();
        AppendTimedSamples(byRecording[r.id], r.instrumentKey.model, params, from, to, samples);
        if (samples.empty()) continue;
        // Samples outside the recording's own span (totals not renewed) are its own.
        TimelineSpan self = SpanOf(r);
        self.first = std::min(self.first, samples.front().time);
        self.last = std::max(self.last, samples.back().time);
        SplitRecording split = Split(std::move(samples), self, spans);
        for (std::vector<TimedSample>& s : split.parts) {
            Part& p = parts.emplace_back();
            p.recording = r.id;
            p.samples.type = r.instrumentKey.model;
            p.samples.params = params;
            p.samples.samples = std::move(s);
        }
        std::move(split.setAside.begin(), split.setAside.end(), std::back_inserter(setAside));
    }
    std::sort(parts.begin(), parts.end(), [](const Part& a, const Part& b) {
        return a.samples.samples.front().time < b.samples.samples.front().time;
    });
    // Each stretch set aside is noted with the part of the recording that kept its time (the
    // part nearest to it), or the nearest part of any recording when that one has none here.
    std::sort(setAside.begin(), setAside.end(),
              [](const auto& a, const auto& b) { return a.second.first < b.second.first; });
    for (const auto& [by, s] : setAside) {
        Part* home = nullptr;
        int64_t distance = 0;
        for (Part& p : parts) {
            const int64_t d =
                std::max<int64_t>(0, std::max(p.samples.samples.front().time - s.last,
                                              s.first - p.samples.samples.back().time));
            const bool better = !home || (p.recording == by && home->recording != by) ||
                                ((p.recording == by) == (home->recording == by) && d < distance);
            if (better) {
                home = &p;
                distance = d;
            }
        }
        if (home) home->samples.setAside.push_back(s);
    }
    out.reserve(parts.size());
    for (Part& p : parts)
        out.push_back(std::move(p.samples));
    return true;
}

bool RecordLibrary::Check(LibraryCheck& out) {
    out = LibraryCheck{};
    if (!store_->CheckStorage(out.problems)) return false;
    if (!out.problems.empty()) return true;  // nothing more can be trusted
    std::vector<LibraryInstrument> instruments;
    std::vector<LibraryRecording> recordings;
    std::vector<LibraryFile> files;
    if (!store_->Instruments(instruments) || !store_->Recordings({}, recordings) ||
        !store_->Files(0, files))
        return false;
    out.instruments = static_cast<int64_t>(instruments.size());
    out.recordings = static_cast<int64_t>(recordings.size());
    out.files = static_cast<int64_t>(files.size());
    for (const LibraryRecording& r : recordings) {
        std::vector<SampleRun> runs;
        if (!store_->Runs(r.instrument, r.id, std::numeric_limits<int64_t>::min(), kNoBound, runs))
            return false;
        const RecordingTotals t =
            ComputeTotals(runs, r.instrumentKey.model, r.header, r.totals.first, workspace_.get());
        out.samples += t.samples;
        // A recording with a damaged run is told by its runs: its totals, of other samples
        // than it has now, say nothing more.
        const size_t damaged = out.damaged.size();
        for (const SampleRun& run : runs) {
            if (std::optional<DamagedRun> d = DamagedRunOf(run, r)) {
                out.problems.push_back(DamagedRunLine(*d));
                out.damaged.push_back(std::move(*d));
            }
        }
        if (out.damaged.size() > damaged) continue;
        if (t.samples != r.totals.samples || t.first != r.totals.first || t.last != r.totals.last ||
            t.excursions != r.totals.excursions) {
            out.problems.push_back(StrFormat(
                "recording %lld of %s: its totals (%lld samples, %lld excursions) differ from "
                "its samples (%lld, %lld)",
                static_cast<long long>(r.id), InstrumentName(r.instrumentKey).c_str(),
                static_cast<long long>(r.totals.samples),
                static_cast<long long>(r.totals.excursions), static_cast<long long>(t.samples),
                static_cast<long long>(t.excursions)));
        }
    }
    for (SourceFile& s : StatesOf(files, true)) {
        if (s.state != FileState::kPresent && s.state != FileState::kElsewhere)
            out.unusual.push_back(std::move(s));
    }
    for (const LibraryInstrument& i : instruments) {
        std::vector<LibraryOverlap> overlaps;
        if (!Overlaps(i.id, overlaps)) return false;
        std::move(overlaps.begin(), overlaps.end(), std::back_inserter(out.overlaps));
    }
    return true;
}

}  // namespace qx
