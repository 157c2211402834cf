// Sample decoding: the packed samples of a record image into the rows of a RecordSet, and the
// air-density formula the flow meter's samples and the display series share.
//
// Sample layouts, the catalogue's sampleLayout column (little-endian; sample k at image offset
// 96 + k * size):
//   kPackedTempHumidity  3 bytes  packed temperature and humidity     -> ch0, ch1
//   kTemperature16       2 bytes  u16 temperature code                -> ch0 (also any type
//                                                                        outside 1..11)
//   kSound16             2 bytes  u16 sound level                     -> ch4
//   kPackedPressure      5 bytes  packed; u16 pressure                -> ch0, ch1, ch2
//   kPackedCo2           5 bytes  packed; u16 CO2                     -> ch0, ch1, ch6
//   kPackedFormaldehyde  5 bytes  packed; u16 formaldehyde            -> ch0, ch1, ch6
//   kFlowMeter           9 bytes  packed; u16 pressure; s16 differential pressure; u16 sound
//                                 level -> ch0 .. ch4, and the flow ch5 computed from them
// Packed: temperature (b2 & 0x0F) * 256 + b0, /10 - 40; humidity (b2 >> 4) * 256 + b1, /10.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/model/instrument_catalogue.h"
#include "record_image.h"

namespace qx {

struct RecordSet;
struct SampleRow;

// Bytes of one sample of a layout.
int SampleLayoutSize(SampleLayout layout);
// The layout a type decodes with: the catalogue's, or kTemperature16 outside 1..11.
SampleLayout DecodedSampleLayout(InstrumentTypeId type);

// Bytes of one sample as decoding lays them out (the catalogue's sizes, except that types
// outside 1..11 decode as two-byte temperature codes).
int DecodedSampleSize(InstrumentTypeId type);

// Samples a record image of a type yields: the effective record count (cyclic rule of type 2),
// limited to the type's cap, to RecordSet::kMaxRows and to the whole samples within the first
// imageBytes bytes of the image.
int32_t DecodableSampleCount(const ParamBlock& params, InstrumentTypeId type,
                             size_t imageBytes = RecordImage::kSize);

// Fills set from the image as the given type: header copy, type, count and rows 0..count-1.
// Rows from count on and channels a type does not write keep what they held. One pass, no
// allocation. imageBytes: how much of the image holds record data (a file's length).
void DecodeRecord(const RecordImage& image, RecordSet& set, InstrumentTypeId type,
                  size_t imageBytes = RecordImage::kSize);

// Decodes n packed samples of a type (DecodedSampleSize bytes each, as a record file holds them)
// into rows[0..n) as DecodeRecord does; the flow meter's coefficients come from params.
void DecodeSamples(const uint8_t* samples, int32_t n, InstrumentTypeId type,
                   const ParamBlock& params, SampleRow* rows);

// Air density in kg/m3 from the pressure in kPa, the temperature in °C and the relative
// humidity in %, in single precision; 0 where the result would be negative.
float AirDensity(float pKpa, float temperature, float humidity);

}  // namespace qx
