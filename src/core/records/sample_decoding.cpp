#include "sample_decoding.h"

#include <algorithm>
#include <cmath>

#include "core/model/byte_order.h"
#include "record_file.h"
#include "record_set.h"

namespace qx {
namespace {

// The packed temperature and humidity of the first three bytes.
inline void DecodePacked(const uint8_t* p, SampleRow& row) {
    const int t = (p[2] & 0x0F) * 256 + p[0];
    const int h = (p[2] >> 4) * 256 + p[1];
    row.SetCh(0, static_cast<float>(t / 10.0 - 40));
    row.SetCh(1, static_cast<float>(h / 10.0));
}

template <typename Decode>
void DecodeAll(const uint8_t* samples, int size, int32_t n, SampleRow* rows, Decode decode) {
    for (int32_t k = 0; k < n; ++k) {
        decode(samples + static_cast<size_t>(k) * static_cast<size_t>(size),
               rows[static_cast<size_t>(k)]);
    }
}

}  // namespace

int SampleLayoutSize(SampleLayout layout) {
    switch (layout) {
        case SampleLayout::kTemperature16:
        case SampleLayout::kSound16:
            return 2;
        case SampleLayout::kPackedTempHumidity:
            return 3;
        case SampleLayout::kPackedPressure:
        case SampleLayout::kPackedCo2:
        case SampleLayout::kPackedFormaldehyde:
            return 5;
        case SampleLayout::kFlowMeter:
            return 9;
    }
    return 2;
}

SampleLayout DecodedSampleLayout(InstrumentTypeId type) {
    return IsKnownModel(type) ? Model(type).sampleLayout : SampleLayout::kTemperature16;
}

int DecodedSampleSize(InstrumentTypeId type) {
    return SampleLayoutSize(DecodedSampleLayout(type));
}

int32_t DecodableSampleCount(const ParamBlock& params, InstrumentTypeId type, size_t imageBytes) {
    const size_t bytes = std::min(imageBytes, RecordImage::kSize);
    if (bytes <= RecordImage::kHeaderSize) return 0;
    const size_t held =
        (bytes - RecordImage::kHeaderSize) / static_cast<size_t>(DecodedSampleSize(type));
    const size_t n = std::min<size_t>({EffectiveRecordCount(params, type),
                                       static_cast<size_t>(RecordSampleCap(type)),
                                       static_cast<size_t>(RecordSet::kMaxRows), held});
    return static_cast<int32_t>(n);
}

float AirDensity(float pKpa, float temperature, float humidity) {
    const double t = temperature;
    const float p = static_cast<float>(pKpa * 1000.0);
    const float x = static_cast<float>((6.4147 + 17.438 * t / (239.78 + t)) / 100);
    const float v = static_cast<float>(std::exp(static_cast<double>(x)));
    const float e = static_cast<float>(static_cast<double>(v) * humidity / 100);
    const float r = static_cast<float>(287 / (1 - 0.378 * e * 100 / p));
    const float rho = static_cast<float>(p / (static_cast<double>(r) * (t + 273.15)));
    // Zero pressure makes the formula 0 / 0; it counts as no density, like a negative one.
    return rho > 0 && std::isfinite(rho) ? rho : 0.0f;
}

void DecodeRecord(const RecordImage& image, RecordSet& set, InstrumentTypeId type,
                  size_t imageBytes) {
    set.header = image.Header();
    set.type = type;
    const ParamBlock params = set.header.Params();
    const int32_t n = DecodableSampleCount(params, type, imageBytes);
    set.count = n;
    if (n <= 0) return;
    DecodeSamples(image.Samples(), n, type, params, set.rows.data());
}

void DecodeSamples(const uint8_t* samples, int32_t n, InstrumentTypeId type,
                   const ParamBlock& params, SampleRow* rows) {
    if (n <= 0) return;
    const int size = DecodedSampleSize(type);
    switch (DecodedSampleLayout(type)) {
        case SampleLayout::kPackedTempHumidity:
            DecodeAll(samples, size, n, rows,
                      [](const uint8_t* p, SampleRow& r) { DecodePacked(p, r); });
            break;
        case SampleLayout::kSound16:
            DecodeAll(samples, size, n, rows, [](const uint8_t* p, SampleRow& r) {
                r.SetCh(4, static_cast<float>(LoadU16(p) / 10.0));
            });
            break;
        case SampleLayout::kPackedPressure:
            DecodeAll(samples, size, n, rows, [](const uint8_t* p, SampleRow& r) {
                DecodePacked(p, r);
                r.SetCh(2, static_cast<float>(LoadU16(p + 3) / 10.0));
            });
            break;
        case SampleLayout::kPackedCo2:
            DecodeAll(samples, size, n, rows, [](const uint8_t* p, SampleRow& r) {
                DecodePacked(p, r);
                r.SetCh(6, static_cast<float>(LoadU16(p + 3)));
            });
            break;
        case SampleLayout::kPackedFormaldehyde:
            DecodeAll(samples, size, n, rows, [](const uint8_t* p, SampleRow& r) {
                DecodePacked(p, r);
                r.SetCh(6, static_cast<float>(LoadU16(p + 3) / 100.0));
            });
            break;
        case SampleLayout::kFlowMeter: {
            const FlowCoefficients c = DecodeFlowCoefficients(params);
            DecodeAll(samples, size, n, rows, [&c](const uint8_t* p, SampleRow& r) {
                DecodePacked(p, r);
                r.SetCh(2, static_cast<float>(LoadU16(p + 3) / 10.0));
                r.SetCh(3, static_cast<float>(static_cast<int16_t>(LoadU16(p + 5)) / 100.0));
                r.SetCh(4, static_cast<float>(LoadU16(p + 7) / 10.0));
                const float rho = AirDensity(static_cast<float>(r.Ch(2) / 10.0), r.Ch(0), r.Ch(1));
                const double g = rho != 0 ? 1.2 * r.Ch(3) / rho : 0.0;
                r.SetCh(5, static_cast<float>(c.c1 * g * g + c.c2 * g + c.c3));
            });
            break;
        }
        case SampleLayout::kTemperature16:
            DecodeAll(samples, size, n, rows, [](const uint8_t* p, SampleRow& r) {
                r.SetCh(0, static_cast<float>(LoadU16(p) / 10.0 - 40));
            });
            break;
    }
}

}  // namespace qx
