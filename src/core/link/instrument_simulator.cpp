#include "instrument_simulator.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/model/text_util.h"
#include "simulated_environment.h"
#include "wire_order.h"

namespace qx {
namespace {

constexpr size_t kPageBytes = 59;
constexpr size_t kBlockBytes = 60;
constexpr uint32_t kDefaultSamples = 3 * 24 * 12;  // three days at 5-minute intervals

// Measurement names of the demonstration instruments, by type: the instrument's own texts, which
// stay as they are in either language.
constexpr const char* kNames[] = {
    NoTr("测试点"),     NoTr("一号仓库"),   NoTr("冷库温湿度"), NoTr("档案室"),
    NoTr("冷链运输箱"), NoTr("实验室"),     NoTr("通风管道"),   NoTr("车间噪声"),
    NoTr("会议室空气"), NoTr("办公区噪声"), NoTr("机房温度"),   NoTr("新装修办公室"),
};
static_assert(std::size(kNames) == kModelCount + 1, "one demonstration name per catalogue row");

uint16_t Code16(double v) {
    return static_cast<uint16_t>(std::clamp<long>(std::lround(v), 0, 65535));
}
int16_t CodeS16(double v) {
    return static_cast<int16_t>(std::clamp<long>(std::lround(v), -32768, 32767));
}
uint16_t Code12(double v) {
    return static_cast<uint16_t>(std::clamp<long>(std::lround(v), 0, 4095));
}

void PutLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

uint32_t IntervalSeconds(uint8_t value, uint8_t unit) {
    const uint32_t factor = unit == 1 ? 60 : unit == 2 ? 3600 : 1;
    return std::max<uint32_t>(value, 1) * factor;
}

bool IsSoundModel(InstrumentTypeId t) {
    return Model(t).soundOnly;
}
bool HasGasLimit(InstrumentTypeId t) {
    return Model(t).gas != GasKind::kNone;
}
// The clock counts UTC and shows local time by the bias sent with it.
bool ClockShownLocal(InstrumentTypeId t) {
    return Model(t).clockReportCarriesBias;
}
bool CountsLocalTime(InstrumentTypeId t) {
    return Model(t).clockCountsLocalTime;
}
bool HasEditorGroup(InstrumentTypeId t, EditorGroup group) {
    return (Model(t).editorGroups & group) != 0;
}

}  // namespace

InstrumentSimulator::InstrumentSimulator(InstrumentTypeId type, UtcClock clock, uint32_t serial)
    : type_(type), clock_(std::move(clock)), seed_(serial * 977u + static_cast<uint32_t>(type)) {
    const std::string model = IsKnownModel(type) ? ModelName(type) : std::string("QX999");
    product_ = model + "-USB Data Logger";
    const int64_t now = clock_();
    pcBias_ = LocalTimeZoneBias(static_cast<std::time_t>(now));
    bias_ = pcBias_;
    SetClockError(97);

    // Settings as a user would have left them.
    ParamBlock& b = setParams_;
    b.SetU8(param::kAddress, static_cast<uint8_t>(std::min<uint32_t>(serial, 254)));
    const std::string number = StrFormat("A%02d%05u", type & 0xFF, serial % 100000);
    b.SetNumber(Utf8ToUtf16(number));
    std::u16string name = Utf8ToUtf16(kNames[IsKnownModel(type) ? type : 0]);
    if (serial > 1) name += Utf8ToUtf16(StrFormat("%u", serial));
    b.SetName(name);
    if (StoresTimeZoneBias(type)) {
        b.SetU16(param::kTimeZoneBias, static_cast<uint16_t>(pcBias_));
    }
    const int maxCount = MaxRecordCount(type);
    b.SetU16(param::kRecordCountSetting, HasCyclicRecording(type)
                                             ? param::kCyclicSetting
                                             : static_cast<uint16_t>(maxCount ? maxCount : 21000));
    b.SetU8(param::kIntervalValue, 5);
    b.SetU8(param::kIntervalUnit, 1);
    // An unrecognised model leaves its LED dark.
    b.SetU8(param::kLedCode, IsKnownModel(type) && HasEditorGroup(type, kEditorAlarmLed) ? 5 : 0);
    switch (Model(type).pressureUnits) {
        case PressureUnitList::kStandard:
            b.SetU8(param::kUnitByte, 0x10);  // hPa
            break;
        case PressureUnitList::kFlowMeter:
            b.SetU8(param::kUnitByte, 0x30);  // hPa, flow m3/s
            break;
        case PressureUnitList::kNone:
            break;
    }
    if (IsSoundModel(type)) {
        b.SetU16(param::kLowLimit, 400);  // 40 dB
        b.SetU16(param::kHighLimit, 800);
    } else {
        b.SetU16(param::kLowLimit, 450);   // 5 °C
        b.SetU16(param::kHighLimit, 660);  // 26 °C
        b.SetU16(param::kLowHumidityLimit, 300);
        b.SetU16(param::kHighHumidityLimit, 750);
    }
    b.SetU8(param::kAlarmMode, 1);
    b.SetU8(param::kStartMode, 1);
    if (Model(type).gas == GasKind::kCo2) b.SetU16(param::kGasLimit, 1000);
    if (Model(type).gas == GasKind::kFormaldehyde) b.SetU16(param::kGasLimit, 10);
    if (HasEditorGroup(type, kEditorStartDelay)) {
        b.SetU16(param::kStartDelay, 300);
        b.SetU16(param::kFirmware, 0x0102);
    }
    if (HasEditorGroup(type, kEditorFlow)) EncodeFlowCoefficients(b, {0.0f, 1.0f, 0.0f});

    RecordingPlan plan;
    plan.samples = kDefaultSamples;
    StartRecording(plan);
}

// ---- Identity --------------------------------------------------------------------------------

void InstrumentSimulator::SetReportLengths(uint16_t input, uint16_t output) {
    inputLength_ = input;
    outputLength_ = output;
}

std::vector<uint8_t> InstrumentSimulator::ReportDescriptor() const {
    std::vector<uint8_t> d = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01};
    auto report = [&](uint8_t id, uint16_t length, uint8_t mainItem) {
        const uint16_t count = length > 0 ? static_cast<uint16_t>(length - 1) : 0;
        const uint8_t items[] = {0x85,
                                 id,
                                 0x75,
                                 0x08,
                                 0x96,
                                 static_cast<uint8_t>(count),
                                 static_cast<uint8_t>(count >> 8),
                                 0x09,
                                 0x01,
                                 mainItem,
                                 0x02};
        d.insert(d.end(), std::begin(items), std::end(items));
    };
    for (uint8_t id = 1; id <= 4; ++id)
        report(id, outputLength_, 0x91);
    for (uint8_t id = 5; id <= 8; ++id)
        report(id, inputLength_, 0x81);
    d.push_back(0xC0);
    return d;
}

bool InstrumentSimulator::Plugged() const {
    return plugged_ && (!scenario_ || scenario_->PluggedAt(clock_() - scenarioStart_));
}

EnvironmentReading InstrumentSimulator::Environment(int64_t utc) const {
    const EnvironmentReading room = EnvironmentAt(seed_, utc, pcBias_);
    return scenario_ ? scenario_->Apply(room, utc - scenarioStart_) : room;
}

void InstrumentSimulator::Replug() {
    if (plugged_) return;
    plugged_ = true;
    ++plugGeneration_;
    OnOpened();
}

void InstrumentSimulator::OnOpened() {
    nextPage_.fill(0);
    pagesIn_ = 0;
}

// ---- Faults and log --------------------------------------------------------------------------

void InstrumentSimulator::FailTransfer(uint32_t n) {
    failAt_ = transfers_ + n;
}
void InstrumentSimulator::UnplugAtTransfer(uint32_t n) {
    unplugAt_ = transfers_ + n;
}

void InstrumentSimulator::ClearLog() {
    written_.clear();
    readIds_.clear();
}

bool InstrumentSimulator::CountTransfer() {
    ++transfers_;
    if (!Plugged()) return false;
    if (unplugAt_ != 0 && transfers_ == unplugAt_) {
        unplugAt_ = 0;
        Unplug();
        return false;
    }
    if (failAt_ != 0 && transfers_ == failAt_) {
        failAt_ = 0;
        return false;
    }
    return true;
}

// ---- Clock -----------------------------------------------------------------------------------

int64_t InstrumentSimulator::Internal() const {
    return clock_() + clockOffset_;
}

void InstrumentSimulator::SetClockError(int64_t seconds) {
    clockOffset_ = seconds - (CountsLocalTime(type_) ? int64_t{pcBias_} * 60 : 0);
}

int64_t InstrumentSimulator::ClockError() const {
    return clockOffset_ + (CountsLocalTime(type_) ? int64_t{pcBias_} * 60 : 0);
}

uint32_t InstrumentSimulator::Clock() {
    const int64_t internal = Internal();
    return static_cast<uint32_t>(ClockShownLocal(type_) ? internal - int64_t{bias_} * 60
                                                        : internal);
}

// ---- Parameter blocks and recording ----------------------------------------------------------

const ParamBlock& InstrumentSimulator::SetParams() {
    Advance();
    return setParams_;
}

const ParamBlock& InstrumentSimulator::RecordedParams() {
    Advance();
    return recordedParams_;
}

void InstrumentSimulator::SetSetParams(const ParamBlock& block) {
    setParams_ = block;
    hasSetParams_ = true;
}

bool InstrumentSimulator::Recording() {
    Advance();
    return rec_.running && !rec_.waitingForButton;
}

uint32_t InstrumentSimulator::SampleLimit() const {
    const uint16_t setting = setParams_.RecordCountSetting();
    if (HasCyclicRecording(type_) && setting == param::kCyclicSetting) return 0;
    const uint32_t cap = static_cast<uint32_t>(Model(type_).sampleCap);
    return setting == 0 ? cap : std::min<uint32_t>(setting, cap);
}

void InstrumentSimulator::BeginRecording(int64_t start) {
    recordedParams_ = setParams_;
    rec_ = RecordingState{};
    rec_.exists = true;
    rec_.running = true;
    rec_.start = start;
    rec_.interval =
        IntervalSeconds(setParams_.U8(param::kIntervalValue), setParams_.U8(param::kIntervalUnit));
    rec_.limit = SampleLimit();
    for (size_t off : {param::kLowAlarm, param::kHighAlarm})
        recordedParams_.SetU8(off, 0);
    if (!HasGasLimit(type_)) {
        recordedParams_.SetU8(param::kLowHumidityAlarm, 0);
        recordedParams_.SetU8(param::kHighHumidityAlarm, 0);
    }
    if (HasCyclicRecording(type_)) recordedParams_.SetU16(param::kWrapCount, 0);
    Advance();
}

void InstrumentSimulator::StartRecording(const RecordingPlan& plan) {
    setParams_.SetU8(param::kIntervalValue, plan.intervalValue);
    setParams_.SetU8(param::kIntervalUnit, plan.intervalUnit);
    if (plan.countSetting != 0) setParams_.SetU16(param::kRecordCountSetting, plan.countSetting);
    const uint32_t interval = IntervalSeconds(plan.intervalValue, plan.intervalUnit);
    const int64_t now = Internal();
    BeginRecording(now - int64_t{plan.samples} * interval);
    rec_.taken = plan.samples;
    rec_.running = plan.running;
    if (plan.running) {
        // The next sample falls due one interval from now.
        rec_.start = now - (int64_t{plan.samples} - 1) * interval;
    }
    // The settings were written shortly before the recording began.
    const auto setTime = static_cast<uint32_t>(rec_.start - 3600);
    setParams_.SetU32(param::kSetTime, setTime);
    recordedParams_.SetU32(param::kSetTime, setTime);
    if (rec_.limit != 0 && rec_.taken >= rec_.limit) {
        rec_.taken = rec_.limit;
        rec_.running = false;
    }
    Advance();
}

void InstrumentSimulator::ClearRecording() {
    rec_ = RecordingState{};
    recordedParams_ = ParamBlock{};
    setParams_.SetU32(param::kStartTime, 0);
    setParams_.SetU16(param::kStoredCount, 0);
}

void InstrumentSimulator::PressButton() {
    if (rec_.waitingForButton) BeginRecording(Internal());
}

void InstrumentSimulator::Advance() {
    if (!rec_.exists || rec_.waitingForButton) return;
    if (rec_.running) {
        const int64_t now = Internal();
        uint64_t due =
            now >= rec_.start ? static_cast<uint64_t>((now - rec_.start) / rec_.interval) + 1 : 0;
        if (rec_.limit != 0 && due >= rec_.limit) {
            due = rec_.limit;
            rec_.running = false;
        }
        rec_.taken = std::max(rec_.taken, due);
    }
    if (rec_.scanned < rec_.taken) {
        const uint64_t from = rec_.taken > kCyclicMemory
                                  ? std::max(rec_.scanned, rec_.taken - kCyclicMemory)
                                  : rec_.scanned;
        ScanAlarms(from, rec_.taken);
        rec_.scanned = rec_.taken;
    }
    UpdateRecordedBookkeeping();
}

void InstrumentSimulator::UpdateRecordedBookkeeping() {
    ParamBlock& r = recordedParams_;
    uint64_t count = rec_.taken;
    uint16_t wraps = 0;
    if (rec_.limit == 0 && count > kCyclicMemory) {
        wraps = static_cast<uint16_t>(std::min<uint64_t>((count - 1) / kCyclicMemory, 0x7FFF));
        count -= uint64_t{wraps} * kCyclicMemory;
    }
    r.SetU32(param::kStartTime, static_cast<uint32_t>(rec_.start));
    r.SetU16(param::kStoredCount, static_cast<uint16_t>(std::min<uint64_t>(count, 0xFFFF)));
    if (HasCyclicRecording(type_)) r.SetU16(param::kWrapCount, wraps);
    // The current settings mirror the bookkeeping of the recording.
    setParams_.SetU32(param::kStartTime, r.StartTime());
    setParams_.SetU16(param::kStoredCount, r.StoredCount());
    setParams_.SetU8(param::kLowAlarm, r.U8(param::kLowAlarm));
    setParams_.SetU8(param::kHighAlarm, r.U8(param::kHighAlarm));
    if (!HasGasLimit(type_)) {
        setParams_.SetU8(param::kLowHumidityAlarm, r.U8(param::kLowHumidityAlarm));
        setParams_.SetU8(param::kHighHumidityAlarm, r.U8(param::kHighHumidityAlarm));
    }
    if (HasCyclicRecording(type_)) setParams_.SetU16(param::kWrapCount, wraps);
}

void InstrumentSimulator::ScanAlarms(uint64_t from, uint64_t to) {
    ParamBlock& r = recordedParams_;
    const bool sound = IsSoundModel(type_);
    const double low = sound ? r.U16(param::kLowLimit) / 10.0 : r.U16(param::kLowLimit) / 10.0 - 40;
    const double high =
        sound ? r.U16(param::kHighLimit) / 10.0 : r.U16(param::kHighLimit) / 10.0 - 40;
    const bool humidity = (ChannelMask(type_) & kChHumidity) && !HasGasLimit(type_);
    const double lowH = r.U16(param::kLowHumidityLimit) / 10.0;
    const double highH = r.U16(param::kHighHumidityLimit) / 10.0;
    for (uint64_t i = from; i < to; ++i) {
        const TrueSample s = SampleAt(i, nullptr);
        const double v = sound ? s.ch[4] : s.ch[0];
        if (v < low) r.SetU8(param::kLowAlarm, 1);
        if (v > high) r.SetU8(param::kHighAlarm, 1);
        if (humidity) {
            if (s.ch[1] < lowH) r.SetU8(param::kLowHumidityAlarm, 1);
            if (s.ch[1] > highH) r.SetU8(param::kHighHumidityAlarm, 1);
        }
    }
}

uint64_t InstrumentSimulator::FirstDownloadIndex() {
    return rec_.taken - DownloadableCount();
}

uint32_t InstrumentSimulator::DownloadableCount() {
    Advance();
    if (!rec_.exists) return 0;
    return static_cast<uint32_t>(
        std::min<uint64_t>(EffectiveRecordCount(recordedParams_, type_), rec_.taken));
}

TrueSample InstrumentSimulator::DownloadSample(uint32_t k) {
    Advance();
    return SampleAt(FirstDownloadIndex() + k, nullptr);
}

std::vector<TrueSample> InstrumentSimulator::TrueSamples() {
    const uint32_t n = DownloadableCount();
    const uint64_t first = FirstDownloadIndex();
    std::vector<TrueSample> out;
    out.reserve(n);
    for (uint32_t k = 0; k < n; ++k)
        out.push_back(SampleAt(first + k, nullptr));
    return out;
}

std::vector<uint8_t> InstrumentSimulator::PackedSamples() {
    const uint32_t n = DownloadableCount();
    const uint64_t first = FirstDownloadIndex();
    const size_t s = static_cast<size_t>(BytesPerSample(type_));
    std::vector<uint8_t> out(n * s);
    for (uint32_t k = 0; k < n; ++k)
        SampleAt(first + k, out.data() + k * s);
    return out;
}

TrueSample InstrumentSimulator::SampleAt(uint64_t index, uint8_t* packed) const {
    const int64_t internal = rec_.start + static_cast<int64_t>(index) * rec_.interval;
    // A clock that counts local time; the readings follow the true (UTC) time.
    const int64_t utc = CountsLocalTime(type_) ? internal + int64_t{pcBias_} * 60 : internal;
    const EnvironmentReading e = Environment(utc);

    TrueSample s;
    s.time =
        CountsLocalTime(type_) ? internal + int64_t{recordedParams_.TimeZoneBias()} * 60 : internal;
    uint8_t bytes[9] = {};
    auto packTempHumidity = [&] {
        const uint16_t t = Code12((e.temperature + 40) * 10);
        const uint16_t h = Code12(e.humidity * 10);
        bytes[0] = static_cast<uint8_t>(t);
        bytes[1] = static_cast<uint8_t>(h);
        bytes[2] = static_cast<uint8_t>(((t >> 8) & 0x0F) | ((h >> 8) << 4));
        s.ch[0] = static_cast<float>(t / 10.0 - 40);
        s.ch[1] = static_cast<float>(h / 10.0);
    };
    // An unrecognised model answers with the default row's three-byte samples.
    switch (Model(type_).sampleLayout) {
        case SampleLayout::kTemperature16: {
            const uint16_t t = Code16((e.temperature + 40) * 10);
            PutLe16(bytes, t);
            s.ch[0] = static_cast<float>(t / 10.0 - 40);
            break;
        }
        case SampleLayout::kSound16: {
            const uint16_t v = Code16(e.sound * 10);
            PutLe16(bytes, v);
            s.ch[4] = static_cast<float>(v / 10.0);
            break;
        }
        case SampleLayout::kPackedPressure: {
            packTempHumidity();
            const uint16_t p = Code16(e.pressure * 10);
            PutLe16(bytes + 3, p);
            s.ch[2] = static_cast<float>(p / 10.0);
            break;
        }
        case SampleLayout::kPackedCo2: {
            packTempHumidity();
            const uint16_t c = Code16(e.co2);
            PutLe16(bytes + 3, c);
            s.ch[6] = static_cast<float>(c);
            break;
        }
        case SampleLayout::kPackedFormaldehyde: {
            packTempHumidity();
            const uint16_t f = Code16(e.formaldehyde * 100);
            PutLe16(bytes + 3, f);
            s.ch[6] = static_cast<float>(f / 100.0);
            break;
        }
        case SampleLayout::kFlowMeter: {
            packTempHumidity();
            const uint16_t p = Code16(e.pressure * 10);
            const int16_t d = CodeS16(e.diffPressure * 100);
            const uint16_t l = Code16(e.sound * 10);
            PutLe16(bytes + 3, p);
            PutLe16(bytes + 5, static_cast<uint16_t>(d));
            PutLe16(bytes + 7, l);
            s.ch[2] = static_cast<float>(p / 10.0);
            s.ch[3] = static_cast<float>(d / 100.0);
            s.ch[4] = static_cast<float>(l / 10.0);
            break;
        }
        case SampleLayout::kPackedTempHumidity:
            packTempHumidity();
            break;
    }
    if (packed) std::memcpy(packed, bytes, static_cast<size_t>(BytesPerSample(type_)));
    return s;
}

// ---- Status ----------------------------------------------------------------------------------

LiveStatus InstrumentSimulator::Status() {
    Advance();
    const EnvironmentReading e = Environment(clock_());
    const ParamBlock& p = setParams_;
    LiveStatus st;
    st.SetU32(live::kClock, Clock());
    st.SetU16(live::kCount, rec_.exists ? recordedParams_.StoredCount() : 0);
    st.SetU16(live::kLowLimit, p.U16(param::kLowLimit));
    st.SetU16(live::kHighLimit, p.U16(param::kHighLimit));
    if (IsSoundModel(type_)) {
        st.SetU16(live::kValue, Code16(e.sound * 10));
        if (HasEditorGroup(type_, kEditorSoundMeter)) {
            st.SetU8(live::kLowHumidityLimit, p.U8(param::kUnitByte));  // sampling speed
            st.SetU8(live::kLowHumidityLimit + 1, p.U8(param::kLowHumidityLimit));  // weighting
        }
    } else {
        st.SetU16(live::kValue, Code16((e.temperature + 40) * 10));
        if (ChannelMask(type_) & kChHumidity)
            st.SetU16(live::kHumidity, Code16(heldHumidity_.value_or(e.humidity) * 10));
        st.SetU16(live::kLowHumidityLimit, p.U16(param::kLowHumidityLimit));
        st.SetU16(live::kHighHumidityLimit, p.U16(param::kHighHumidityLimit));
        st.SetU8(live::kUnitByte, p.UnitByte());
    }
    st.SetU8(live::kBlocksPresent,
             static_cast<uint8_t>((hasSetParams_ ? live::kSetParamsPresent : 0) |
                                  (rec_.exists ? live::kRecordedParamsPresent : 0)));
    st.SetU8(live::kRecording, rec_.running && !rec_.waitingForButton ? 1 : 0);
    st.SetU8(live::kExternal, external_);
    switch (Model(type_).sampleLayout) {
        case SampleLayout::kPackedPressure:
            st.SetU16(live::kGas, Code16(e.pressure * 10));
            break;
        case SampleLayout::kFlowMeter: {
            st.SetU16(live::kGas, Code16(e.pressure * 10));
            st.SetU16(live::kDiffPressure, static_cast<uint16_t>(CodeS16(e.diffPressure * 100)));
            st.SetU16(live::kSoundOrGasLimit, Code16(e.sound * 10));
            // Flow from the differential pressure and the air density (ideal gas).
            const double rho = e.pressure * 100 / (287.05 * (e.temperature + 273.15));
            const double g = 1.2 * e.diffPressure / rho;
            const FlowCoefficients c = DecodeFlowCoefficients(p);
            const double flow = c.c1 * g * g + c.c2 * g + c.c3;
            const double raw = FlowInThousandths(p.UnitByte()) ? flow * 1000 : flow;
            st.SetU16(live::kFlowOrWrap, static_cast<uint16_t>(CodeS16(raw)));
            break;
        }
        case SampleLayout::kPackedCo2:
            st.SetU16(live::kGas, Code16(e.co2));
            st.SetU16(live::kSoundOrGasLimit, p.U16(param::kGasLimit));
            break;
        case SampleLayout::kPackedFormaldehyde:
            st.SetU16(live::kGas, Code16(e.formaldehyde * 100));
            st.SetU16(live::kSoundOrGasLimit, p.U16(param::kGasLimit));
            break;
        case SampleLayout::kPackedTempHumidity:
            if (HasCyclicRecording(type_)) {
                st.SetU16(live::kFlowOrWrap,
                          rec_.exists ? recordedParams_.U16(param::kWrapCount) : 0);
            }
            break;
        case SampleLayout::kTemperature16:
        case SampleLayout::kSound16:
            break;
    }
    return st;
}

// ---- Transfers -------------------------------------------------------------------------------

bool InstrumentSimulator::WriteReport(std::span<const uint8_t> report) {
    if (report.empty() || !CountTransfer()) return false;
    written_.emplace_back(report.begin(), report.end());
    // Bytes the host did not send count as zero.
    std::array<uint8_t, 64> r{};
    std::memcpy(r.data(), report.data(), std::min(report.size(), r.size()));
    Advance();
    switch (r[0]) {
        case 1:
            return HandleClockReport(r);
        case 2: {
            const uint8_t page = r[1];
            if (page > 1) return true;
            std::memcpy(pageIn_.data() + page * kPageBytes, r.data() + 2, kPageBytes);
            pagesIn_ = static_cast<uint8_t>(pagesIn_ | (1u << page));
            if (pagesIn_ == 3) {
                pagesIn_ = 0;
                ApplyWrittenBlock();
            }
            return true;
        }
        case 3:
            rec_.running = false;
            nextPage_.fill(0);
            return true;
        case 4:
            requestedBlock_ = static_cast<uint16_t>((r[1] << 8) | r[2]);
            return true;
        default:
            return false;  // the device stalls unknown reports
    }
}

bool InstrumentSimulator::HandleClockReport(std::span<const uint8_t> r) {
    const uint32_t t = GetBigEndian32(&r[1]);
    if (ClockShownLocal(type_)) bias_ = static_cast<int16_t>(GetBigEndian16(&r[5]));
    clockOffset_ = int64_t{t} - clock_();
    return true;
}

void InstrumentSimulator::ApplyWrittenBlock() {
    ParamBlock b;
    std::memcpy(b.bytes.data(), pageIn_.data(), ParamBlock::kSize);
    SwapParamBlockForWrite(b, type_);
    // Fields the instrument alone keeps.
    auto keep = [&](size_t off, size_t width) {
        std::memcpy(b.bytes.data() + off, setParams_.bytes.data() + off, width);
    };
    keep(param::kStartTime, 4);
    keep(param::kStoredCount, 2);
    keep(param::kLowAlarm, 2);
    if (!HasGasLimit(type_)) keep(param::kLowHumidityAlarm, 2);
    if (HasCyclicRecording(type_)) keep(param::kWrapCount, 2);
    if (HasEditorGroup(type_, kEditorStartDelay)) keep(param::kFirmware, 2);
    if (misstoreWidth_ == 1)
        b.SetU8(misstoreOffset_, static_cast<uint8_t>(b.U8(misstoreOffset_) + 1));
    if (misstoreWidth_ == 2) {
        b.SetU16(misstoreOffset_, static_cast<uint16_t>(b.U16(misstoreOffset_) + 1));
    }
    misstoreWidth_ = 0;

    rec_.running = false;
    setParams_ = b;
    hasSetParams_ = true;
    if (b.U8(param::kStartMode) != 0) {
        const int64_t delay =
            HasEditorGroup(type_, kEditorStartDelay) ? b.U16(param::kStartDelay) : 0;
        BeginRecording(Internal() + delay);
    } else {
        rec_.waitingForButton = true;  // the instrument's button starts the next recording
    }
}

bool InstrumentSimulator::ReadReport(std::span<uint8_t> report) {
    if (report.empty() || !CountTransfer()) return false;
    const uint8_t id = report[0];
    readIds_.push_back(id);
    Advance();
    std::vector<uint8_t> reply(std::max<size_t>(inputLength_, 1 + kBlockBytes), 0);
    reply[0] = id;
    switch (id) {
        case 5:
            FillStatusReply(reply);
            break;
        case 6:
        case 7:
            if (!FillPageReply(id, reply)) return false;
            break;
        case 8:
            FillBlockReply(reply);
            break;
        default:
            return false;
    }
    std::memcpy(report.data(), reply.data(), std::min<size_t>(report.size(), inputLength_));
    return true;
}

void InstrumentSimulator::FillStatusReply(std::span<uint8_t> reply) {
    LiveStatus st = Status();
    SwapLiveStatusFields(st, type_);
    std::memcpy(reply.data() + 1, st.bytes.data(), LiveStatus::kSize);
}

bool InstrumentSimulator::FillPageReply(uint8_t id, std::span<uint8_t> reply) {
    ParamBlock b = id == 6 ? (hasSetParams_ ? setParams_ : ParamBlock{}) : recordedParams_;
    SwapParamBlockForRead(b, type_);
    std::array<uint8_t, 2 * kPageBytes> pages{};
    std::memcpy(pages.data(), b.bytes.data(), ParamBlock::kSize);
    uint8_t page = nextPage_[id];
    if (wrongPages_ > 0) {
        --wrongPages_;
        page ^= 1;
    } else {
        nextPage_[id] ^= 1;
    }
    reply[1] = page;
    std::memcpy(reply.data() + 2, pages.data() + page * kPageBytes, kPageBytes);
    return true;
}

void InstrumentSimulator::FillBlockReply(std::span<uint8_t> reply) {
    std::fill(reply.begin() + 1, reply.begin() + 1 + kBlockBytes, 0xFF);
    if (notReady_ > 0) {
        --notReady_;
        return;
    }
    const uint32_t n = DownloadableCount();
    const uint64_t first = FirstDownloadIndex();
    const size_t s = static_cast<size_t>(BytesPerSample(type_));
    const size_t k = kBlockBytes / s;
    for (size_t j = 0; j < k; ++j) {
        const uint64_t sample = uint64_t{requestedBlock_} * k + j;
        if (sample >= n) break;
        SampleAt(first + sample, reply.data() + 1 + j * s);
    }
}

}  // namespace qx
