// Synthetic record images for tests, seeds and benchmarks: every model's packed sample layout
// filled with deterministic, plausible raw values.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>

#include "core/model/instrument_catalogue.h"
#include "core/model/param_block.h"
#include "core/records/record_image.h"

namespace qx::test {

// Seconds of a local calendar time (the tests run with TZ=CST-8 unless they switch it).
inline int64_t LocalTime(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

inline void PutU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

// Packed temperature and humidity raw values (12 bits each) into three bytes.
inline void PutPacked(uint8_t* p, int tempRaw, int humRaw) {
    p[0] = static_cast<uint8_t>(tempRaw & 0xFF);
    p[1] = static_cast<uint8_t>(humRaw & 0xFF);
    p[2] = static_cast<uint8_t>(((tempRaw >> 8) & 0x0F) | (((humRaw >> 8) & 0x0F) << 4));
}

// Raw values of sample k: temperature 15..45 °C, humidity 30..80 %, pressure about 1013 hPa,
// sound 40..90 dB, CO2 400..1600 ppm, formaldehyde 0.00..0.20 mg/m3, differential pressure
// -2..+2 (raw / 100).
inline void PutSample(InstrumentTypeId type, uint8_t* p, uint32_t k) {
    const int temp = 550 + static_cast<int>((k * 37) % 300);
    const int hum = 300 + static_cast<int>((k * 53) % 500);
    switch (type) {
        case 1:
        case 2:
        case 3:
            PutPacked(p, temp, hum);
            break;
        case 5:
            PutPacked(p, temp, hum);
            PutU16(p + 3, static_cast<uint16_t>(10000 + (k * 11) % 300));
            break;
        case 8:
            PutPacked(p, temp, hum);
            PutU16(p + 3, static_cast<uint16_t>(400 + (k * 97) % 1200));
            break;
        case 11:
            PutPacked(p, temp, hum);
            PutU16(p + 3, static_cast<uint16_t>((k * 7) % 21));
            break;
        case 6:
            PutPacked(p, temp, hum);
            PutU16(p + 3, static_cast<uint16_t>(10000 + (k * 11) % 300));
            PutU16(p + 5, static_cast<uint16_t>(static_cast<int16_t>(-200 + (k * 13) % 400)));
            PutU16(p + 7, static_cast<uint16_t>(400 + (k * 29) % 500));
            break;
        case 7:
        case 9:
            PutU16(p, static_cast<uint16_t>(400 + (k * 29) % 500));
            break;
        default:
            PutU16(p, static_cast<uint16_t>(temp));
            break;
    }
}

// An image of a type with count samples starting at start, one every intervalSeconds (unit
// seconds up to 255, else minutes), magic and download time set.
inline RecordImage MakeRecordImage(InstrumentTypeId type, uint32_t count,
                                   uint32_t start = 1489151232, uint32_t intervalSeconds = 60) {
    RecordImage image;
    ParamBlock p;
    p.SetU8(param::kAddress, 1);
    p.SetNumber(u"QX0001");
    p.SetName(u"测试点");
    p.SetU16(param::kRecordCountSetting, static_cast<uint16_t>(count));
    if (intervalSeconds <= 255) {
        p.SetU8(param::kIntervalValue, static_cast<uint8_t>(intervalSeconds));
        p.SetU8(param::kIntervalUnit, 0);
    } else {
        p.SetU8(param::kIntervalValue, static_cast<uint8_t>(intervalSeconds / 60));
        p.SetU8(param::kIntervalUnit, 1);
    }
    p.SetU16(param::kLowLimit, 400);
    p.SetU16(param::kHighLimit, 800);
    p.SetU16(param::kLowHumidityLimit, 200);
    p.SetU16(param::kHighHumidityLimit, 900);
    p.SetU8(param::kStartMode, 1);
    p.SetU32(param::kStartTime, start);
    p.SetU16(param::kStoredCount, static_cast<uint16_t>(count));
    if (type == 8) p.SetU16(param::kGasLimit, 1000);
    if (type == 11) p.SetU16(param::kGasLimit, 10);
    if (type == 6) p.SetU16(param::kFlow2, 10000);  // c2 = 1
    image.SetParams(p);
    image.SetMagic(Model(type).fileMagic);
    image.SetDownloadTime(start + count * intervalSeconds);
    const size_t size = static_cast<size_t>(BytesPerSample(type));
    for (uint32_t k = 0; k < count; ++k) {
        if (RecordImage::kHeaderSize + (k + 1) * size > RecordImage::kSize) break;
        PutSample(type, image.Samples() + k * size, k);
    }
    return image;
}

// Runs f while files may grow to at most `bytes` (writes past it fail), then lifts the limit.
template <typename F>
auto WithFileSizeLimit(rlim_t bytes, F f) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limited = old;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
    auto result = f();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_DFL);
    return result;
}

// A fresh path in the temporary directory; the file is removed with the object.
class TempPath {
  public:
    explicit TempPath(const std::string& suffix) {
        static int counter = 0;
        path_ =
            (std::filesystem::temp_directory_path() /
             ("qx-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) + suffix))
                .string();
    }
    ~TempPath() {
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    TempPath(const TempPath&) = delete;
    TempPath& operator=(const TempPath&) = delete;
    const std::string& str() const { return path_; }

  private:
    std::string path_;
};

}  // namespace qx::test
