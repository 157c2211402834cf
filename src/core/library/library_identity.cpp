#include "library_identity.h"

#include "core/model/text_util.h"
#include "core/records/derived_series.h"
#include "core/records/sample_decoding.h"

namespace qx {

InstrumentKey InstrumentKeyOf(const ParamBlock& params, InstrumentTypeId type) {
    return {type, Trim(Latin1ToUtf8(params.NumberLatin1()))};
}

RecordingKey RecordingKeyOf(const ParamBlock& params, InstrumentTypeId type) {
    RecordingKey key;
    key.start = params.StartTime();
    key.interval = SampleClockOf(params, type).interval;
    const AlarmLimits a = AlarmLimitsOf(params, type);
    key.settings =
        StrFormat("unit=%02x temp=%.3f..%.3f hum=%.3f..%.3f sound=%.3f..%.3f gas=%.3f..%.3f",
                  params.UnitByte(), a.temperatureLow, a.temperatureHigh, a.humidityLow,
                  a.humidityHigh, a.soundLow, a.soundHigh, a.gasLow, a.gasHigh);
    if (DecodedSampleLayout(type) == SampleLayout::kFlowMeter) {
        const FlowCoefficients c = DecodeFlowCoefficients(params);
        key.settings += StrFormat(" flow=%.9g,%.9g,%.9g", double{c.c1}, double{c.c2}, double{c.c3});
    }
    return key;
}

bool IncomingOf(const RecordImage& image, InstrumentTypeId type, size_t bytes,
                IncomingRecording& out, std::string* why) {
    const ParamBlock params = image.Params();
    out.instrument = InstrumentKeyOf(params, type);
    out.key = RecordingKeyOf(params, type);
    out.header = image.Header();
    out.name = Trim(Utf16ToUtf8(params.Name()));
    out.clock = SampleClockOf(params, type);
    out.sampleSize = DecodedSampleSize(type);
    out.count = static_cast<uint32_t>(std::max(0, DecodableSampleCount(params, type, bytes)));
    out.samples = std::span(image.Samples(), out.count * static_cast<size_t>(out.sampleSize));
    if (out.clock.interval == 0 && out.count > 1) {
        if (why) *why = "the record interval is 0: its samples have no times of their own";
        return false;
    }
    return true;
}

}  // namespace qx
