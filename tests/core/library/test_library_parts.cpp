// The record library's engine-neutral parts on hand-made data: the content hash, the cutting
// of new samples into runs, and the excursions of a recording across pieces and gaps.
#include <gtest/gtest.h>

#include <string>

#include "core/library/content_hash.h"
#include "core/library/library_merge.h"
#include "core/library/recording_totals.h"
#include "core/model/byte_order.h"
#include "core/records/record_fixtures.h"

namespace qx {
namespace {

std::string HashOf(const std::string& text) {
    return Sha256(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size())).Hex();
}

TEST(ContentHash, KnownDigests) {
    EXPECT_EQ(HashOf(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(HashOf("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the length no longer fits the last block.
    EXPECT_EQ(HashOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(HashOf(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// Temperature codes (model QX420B) of `n` samples at 20.0 degrees, one a minute from `first`.
SampleRun MildRun(int64_t first, uint32_t n) {
    SampleRun run;
    run.first = first;
    run.interval = 60;
    run.count = n;
    run.bytes.resize(2 * size_t{n});
    for (uint32_t k = 0; k < n; ++k)
        StoreU16(run.bytes.data() + 2 * k, 600);
    return run;
}
void SetHot(SampleRun& run, uint32_t from, uint32_t to) {  // 50.0 degrees, above 40
    for (uint32_t k = from; k <= to; ++k)
        StoreU16(run.bytes.data() + 2 * k, 900);
}

TEST(LibraryMerge, NewSamplesAreCutIntoRunsAroundHeldOnes) {
    const auto plan = [](uint32_t count, std::vector<SampleRun> held) {
        const SampleRun samples = MildRun(0, count);
        IncomingRecording in;
        in.clock.interval = 60;
        in.sampleSize = 2;
        in.count = count;
        in.samples = samples.bytes;
        return PlanMerge(in, held);
    };
    EXPECT_EQ(plan(kMaxRunSamples, {}).runs.size(), 1u);
    const MergePlan past = plan(kMaxRunSamples + 1, {});
    ASSERT_EQ(past.runs.size(), 2u);
    EXPECT_EQ(past.runs[1].first, int64_t{kMaxRunSamples} * 60);
    EXPECT_EQ(past.runs[1].count, 1u);

    SampleRun held = MildRun(10 * 60, 5);
    SetHot(held, 4, 4);  // sample 14 differs
    const MergePlan around = plan(20, {held});
    EXPECT_EQ(around.added, 15);
    EXPECT_EQ(around.duplicates, 4);
    ASSERT_EQ(around.conflicts.size(), 1u);
    EXPECT_EQ(around.conflicts[0].time, 14 * 60);
    ASSERT_EQ(around.runs.size(), 2u);
    EXPECT_EQ(around.runs[0].count, 10u);
    EXPECT_EQ(around.runs[1].first, 15 * 60);
    EXPECT_EQ(around.runs[1].count, 5u);
}

TEST(RecordingTotals, ExcursionsAcrossPiecesCountOnceAndGapsEndThem) {
    RecordImage image = test::MakeRecordImage(4, 1);  // limits 0..40 degrees
    // 9 runs without a gap (36864 samples, more than one record's rows) with one excursion
    // across sample 32768, where the samples are taken in two pieces; then after a gap one
    // that goes on from the last sample before the gap.
    std::vector<SampleRun> runs;
    for (uint32_t r = 0; r < 9; ++r)
        runs.push_back(MildRun(int64_t{r} * 4096 * 60, 4096));
    SetHot(runs[7], 4090, 4095);  // samples 32762 .. 32767
    SetHot(runs[8], 0, 10);       // samples 32768 .. 32778
    SetHot(runs[8], 4095, 4095);
    runs.push_back(MildRun(runs[8].Last() + 120, 10));
    SetHot(runs[9], 0, 2);
    std::vector<ExcursionSpan> spans;
    const RecordingTotals t = ComputeTotals(runs, 4, image.Header(), 0, nullptr, &spans);
    EXPECT_EQ(t.samples, 9 * 4096 + 10);
    EXPECT_EQ(t.first, 0);
    EXPECT_EQ(t.last, runs[8].Last() + 120 + 9 * 60);
    EXPECT_EQ(t.excursions, 3);
    EXPECT_EQ(spans, (std::vector<ExcursionSpan>{{32762 * 60, 32778 * 60},
                                                 {runs[8].Last(), runs[8].Last()},
                                                 {runs[9].first, runs[9].first + 120}}));

    const RecordingTotals none = ComputeTotals({}, 4, image.Header(), 12345);
    EXPECT_EQ(none.samples, 0);
    EXPECT_EQ(none.first, 12345);
}

}  // namespace
}  // namespace qx
