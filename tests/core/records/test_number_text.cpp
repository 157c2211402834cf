#include "core/records/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <random>

namespace qx {
namespace {

std::string Printf(const char* fmt, double v) {
    char buf[512];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

std::string Fixed(double v, int decimals) {
    std::string s;
    AppendFixed(s, v, decimals);
    return s;
}

std::string General(double v) {
    std::string s;
    AppendGeneral(s, v);
    return s;
}

// The formatter must agree with printf character for character, ties and signs included.
TEST(NumberText, FixedAgreesWithPrintf) {
    const char* formats[] = {"%.0f", "%.1f", "%.2f", "%.3f", "%.4f",
                             "%.5f", "%.6f", "%.7f", "%.8f", "%.9f"};
    std::mt19937 rng(12345);
    std::uniform_int_distribution<uint32_t> bits;
    std::uniform_int_distribution<int> tenths(-4000, 40000);
    for (int i = 0; i < 200000; ++i) {
        // Values as decoding makes them (tenths, hundredths as floats) and arbitrary floats.
        float f;
        switch (i % 4) {
            case 0:
                f = static_cast<float>(tenths(rng) / 10.0 - 40);
                break;
            case 1:
                f = static_cast<float>(tenths(rng) / 100.0);
                break;
            case 2:
                f = static_cast<float>(tenths(rng)) / 8.0f;
                break;  // exact ties x.x25
            default:
                f = std::bit_cast<float>(bits(rng));
                break;
        }
        if (!std::isfinite(f)) continue;
        const int d = i % 10;
        ASSERT_EQ(Fixed(f, d), Printf(formats[d], f)) << f << " with " << d;
    }
    EXPECT_EQ(Fixed(-0.0, 1), "-0.0");
    EXPECT_EQ(Fixed(-0.04, 1), "-0.0");
    EXPECT_EQ(Fixed(0.125, 2), Printf("%.2f", 0.125));
    EXPECT_EQ(Fixed(2.5, 0), Printf("%.0f", 2.5));
    EXPECT_EQ(Fixed(3.14159, 12), "3.141590000");  // decimals are limited to 9
    EXPECT_EQ(Fixed(3.5, -2), "4");
}

TEST(NumberText, GeneralAgreesWithPrintf) {
    std::mt19937 rng(777);
    std::uniform_int_distribution<uint32_t> bits;
    std::uniform_int_distribution<int> ppm(0, 65535);
    for (int i = 0; i < 100000; ++i) {
        const float f = i % 2 ? static_cast<float>(ppm(rng)) : std::bit_cast<float>(bits(rng));
        if (!std::isfinite(f)) continue;
        ASSERT_EQ(General(f), Printf("%g", f)) << f;
    }
    EXPECT_EQ(General(450), "450");
    EXPECT_EQ(General(1234.5), "1234.5");
    EXPECT_EQ(General(1234567), "1.23457e+06");
    EXPECT_EQ(General(0.0001), "0.0001");
}

TEST(NumberText, TimesAgreeWithStrftime) {
    std::mt19937 rng(99);
    std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX);
    for (int i = 0; i < 20000; ++i) {
        const std::time_t t = any(rng);
        std::tm tm{};
        ASSERT_TRUE(localtime_r(&t, &tm));
        char expected[64];
        std::strftime(expected, sizeof expected, "%y-%m-%d %H:%M:%S", &tm);
        std::string s;
        AppendShortDateTime(s, tm);
        ASSERT_EQ(s, expected) << t;
    }
}

TEST(NumberText, IsoTimeCarriesTheOffset) {
    std::tm tm{};
    tm.tm_year = 117, tm.tm_mon = 2, tm.tm_mday = 10, tm.tm_hour = 21, tm.tm_min = 7,
    tm.tm_sec = 12;
    tm.tm_gmtoff = 8 * 3600;
    std::string s;
    AppendIsoDateTime(s, tm);
    EXPECT_EQ(s, "2017-03-10T21:07:12+08:00");
    tm.tm_gmtoff = -(3 * 3600 + 30 * 60);
    s.clear();
    AppendIsoDateTime(s, tm);
    EXPECT_EQ(s, "2017-03-10T21:07:12-03:30");
    s.clear();
    AppendInt(s, -12);
    AppendInt(s, 32512);
    EXPECT_EQ(s, "-1232512");
}

TEST(NumberText, SecondsWithTheirDuration) {
    EXPECT_EQ(SecondsWithDuration(0), "0");
    EXPECT_EQ(SecondsWithDuration(-5), "0");
    EXPECT_EQ(SecondsWithDuration(59), "59 (00:00:59)");
    EXPECT_EQ(SecondsWithDuration(86399), "86399 (23:59:59)");
    EXPECT_EQ(SecondsWithDuration(86400), "86400 (1天00:00:00)");
}

}  // namespace
}  // namespace qx
