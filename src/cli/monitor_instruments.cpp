#include "monitor_instruments.h"

#include "core/library/library_identity.h"
#include "core/library/record_library.h"
#include "core/model/text_util.h"

namespace qx::cli {

std::vector<AttachedCandidate> AttachedCandidates(const CliOptions& options) {
    ConsoleInstrument scanner(options);
    InstrumentLink& link = scanner.session.link;
    link.Enumerate();
    const std::vector<std::string> names = link.CandidateNames();
    const std::vector<uint32_t> indexes = link.CandidateIndexes();
    std::vector<AttachedCandidate> out;
    for (size_t i = 0; i < names.size(); ++i)
        out.push_back({link.DevicePathOf(indexes[i]), ModelFromProductString(names[i])});
    return out;
}

bool OpenWatched(const CliOptions& options, const AttachedCandidate& candidate, int64_t every,
                 Watched& into) {
    auto instrument = std::make_unique<ConsoleInstrument>(options);
    instrument->ui.holdWarnings = true;
    instrument->ui.infoStream = nullptr;
    instrument->session.link.Enumerate();
    if (!ConnectTo(*instrument, candidate.path)) return false;
    ReportProtocol& protocol = instrument->session.protocol;
    ParamBlock settings;
    if (!protocol.ReadStatus() || !instrument->session.state.live.HasSetParams() ||
        !protocol.ReadParamBlock(ParamSource::kSetParams, settings))
        return false;
    const InstrumentTypeId type = candidate.model;
    into.instrument = std::move(instrument);
    into.path = candidate.path;
    into.settings = settings;
    into.pending.instrument = InstrumentKeyOf(settings, type);
    into.pending.name = Trim(Utf16ToUtf8(settings.Name()));
    into.pending.settings = settings;
    into.pending.interval = static_cast<uint32_t>(every);
    into.title = InstrumentName(into.pending.instrument);
    into.units = RecordUnitsOf(settings.UnitByte(), type);
    into.interval = every;
    return true;
}

WatchedReading ReadWatched(Watched& w, int64_t time) {
    if (!w.instrument->session.protocol.ReadStatus()) {
        w.instrument.reset();
        return WatchedReading::kNoAnswer;
    }
    if (time <= w.lastTime) return WatchedReading::kHeld;
    w.lastTime = time;
    AppendLiveSample(w.instrument->session.state.live, w.pending.instrument.model,
                     w.pending.samples);
    w.pending.times.push_back(time);
    return WatchedReading::kTaken;
}

}  // namespace qx::cli
