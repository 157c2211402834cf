#include "live_recording.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "core/records/sample_decoding.h"
#include "library_identity.h"

namespace qx {
namespace {

void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

// Temperature and humidity packed into three bytes of 12-bit codes.
void PutPacked(std::vector<uint8_t>& out, const LiveStatus& status) {
    const uint16_t t = std::min<uint16_t>(status.U16(live::kValue), 0x0FFF);
    const uint16_t h = std::min<uint16_t>(status.U16(live::kHumidity), 0x0FFF);
    out.push_back(static_cast<uint8_t>(t));
    out.push_back(static_cast<uint8_t>(h));
    out.push_back(static_cast<uint8_t>(((t >> 8) & 0x0F) | ((h >> 8) << 4)));
}

}  // namespace

void AppendLiveSample(const LiveStatus& status, InstrumentTypeId type, std::vector<uint8_t>& out) {
    const size_t before = out.size();
    switch (DecodedSampleLayout(type)) {
        case SampleLayout::kTemperature16:
        case SampleLayout::kSound16:
            Put16(out, status.U16(live::kValue));
            break;
        case SampleLayout::kPackedTempHumidity:
            PutPacked(out, status);
            break;
        case SampleLayout::kPackedPressure:
        case SampleLayout::kPackedCo2:
        case SampleLayout::kPackedFormaldehyde:
            PutPacked(out, status);
            Put16(out, status.U16(live::kGas));
            break;
        case SampleLayout::kFlowMeter:
            PutPacked(out, status);
            Put16(out, status.U16(live::kGas));
            Put16(out, status.U16(live::kDiffPressure));
            Put16(out, status.U16(live::kSoundOrGasLimit));
            break;
    }
    out.resize(before + static_cast<size_t>(DecodedSampleSize(type)));
}

int LiveRecordingHours(uint32_t interval) {
    // At most about kLiveRecordingSamples readings, in hours that divide a day.
    int hours = 24;
    while (hours > 1 &&
           int64_t{hours} * 3600 / std::max<uint32_t>(interval, 1) > kLiveRecordingSamples)
        hours = hours == 24 ? 12 : hours == 12 ? 6 : hours == 6 ? 4 : hours == 4 ? 2 : 1;
    return hours;
}

RecordingKey LiveRecordingKey(const ParamBlock& settings, InstrumentTypeId type, uint32_t interval,
                              int64_t time) {
    RecordingKey key = RecordingKeyOf(settings, type);
    std::tm local{};
    const std::time_t t = static_cast<std::time_t>(time);
    localtime_r(&t, &local);
    const int hours = LiveRecordingHours(interval);
    local.tm_hour = local.tm_hour / hours * hours;
    local.tm_min = 0;
    local.tm_sec = 0;
    local.tm_isdst = -1;
    key.start = static_cast<int64_t>(std::mktime(&local));
    key.interval = interval;
    key.settings = kLiveSettingsMark + key.settings;
    return key;
}

RecordHeader LiveRecordingHeader(const ParamBlock& settings, InstrumentTypeId type,
                                 const RecordingKey& key, int64_t last) {
    ParamBlock params = settings;
    params.SetU32(param::kStartTime, static_cast<uint32_t>(key.start));
    const uint32_t v = key.interval;
    const bool seconds = v <= 255, minutes = !seconds && v % 60 == 0 && v / 60 <= 255;
    params.SetU8(param::kIntervalValue, static_cast<uint8_t>(seconds   ? v
                                                             : minutes ? v / 60
                                                                       : v / 3600));
    params.SetU8(param::kIntervalUnit, seconds ? 0 : minutes ? 1 : 2);
    RecordHeader header;
    header.SetU32(RecordHeader::kMagicOffset, Model(type).fileMagic);
    header.SetU32(RecordHeader::kDownloadTimeOffset, static_cast<uint32_t>(last));
    std::memcpy(header.bytes.data() + RecordHeader::kParamOffset, params.bytes.data(),
                ParamBlock::kSize);
    return header;
}

bool IsLiveInterval(int64_t v) {
    return (v >= 1 && v <= 255) || (v > 0 && v % 60 == 0 && v / 60 <= 255) ||
           (v > 0 && v % 3600 == 0 && v / 3600 <= 255);
}

std::optional<int64_t> ParseLiveInterval(std::string_view text) {
    size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')
        ++digits;
    if (digits == 0 || digits > 6) return std::nullopt;
    const std::string_view unit = text.substr(digits);
    int64_t n = 0;
    for (size_t i = 0; i < digits; ++i)
        n = n * 10 + (text[i] - '0');
    int64_t factor = 0;
    if (unit.empty() || unit == "s") factor = 1;
    if (unit == "m" || unit == "min") factor = 60;
    if (unit == "h") factor = 3600;
    if (factor == 0 || n * factor > kMaxLiveInterval || !IsLiveInterval(n * factor))
        return std::nullopt;
    return n * factor;
}

bool IsLiveRecording(const RecordingKey& key) {
    return key.settings.starts_with(kLiveSettingsMark);
}

}  // namespace qx
