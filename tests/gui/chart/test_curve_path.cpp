// The vertices and runs a curve is drawn through: one column per pixel with its extremes,
// lines broken where values are missing or recordings are far apart.
#include <gtest/gtest.h>

#include <cmath>

#include "gui/chart/curve_path.h"

namespace qx {
namespace {

const float kMissing = std::nanf("");

// Values drawn at x = 10 * index (xscale 10) on rows y = 100 - value.
CurveWalk Walk(const std::vector<float>& values, float xscale = 10.0f) {
    CurveWalk w;
    w.values = values.data();
    w.first = 0;
    w.end = static_cast<int>(values.size());
    w.xscale = xscale;
    w.band = {0, 0, 1000, 101};
    w.low = 0;
    w.vscale = 1;
    return w;
}

std::vector<int> RunLengths(const CurvePath& p) {
    std::vector<int> lengths;
    int start = 0;
    for (int end : p.runEnds) {
        lengths.push_back(end - start);
        start = end;
    }
    return lengths;
}

TEST(CurvePath, MissingValuesBreakTheLineAndLonePointsStand) {
    const std::vector<float> v{1, 2, kMissing, 4, kMissing, kMissing, 7, 8};
    CurvePath p;
    BuildCurvePath(Walk(v), p);
    EXPECT_EQ(RunLengths(p), (std::vector<int>{2, 1, 2}));
    EXPECT_EQ(p.vertices[2], QPoint(30, 96));  // the point with no neighbours
    EXPECT_EQ(p.vertices[3], QPoint(60, 93));

    // One value alone, and a window of missing values only.
    const std::vector<float> one{5};
    BuildCurvePath(Walk(one), p);
    EXPECT_EQ(RunLengths(p), (std::vector<int>{1}));
    const std::vector<float> none{kMissing, kMissing};
    BuildCurvePath(Walk(none), p);
    EXPECT_TRUE(p.vertices.empty());
    EXPECT_TRUE(p.runEnds.empty());
}

TEST(CurvePath, RecordingsFurtherApartThanTheGapAreNotJoined) {
    const std::vector<float> v{1, 2, 3, 4};
    const std::vector<int64_t> times{0, 300, 901, 1201};
    CurveWalk w = Walk(v);
    w.times = times.data();
    w.gapSeconds = 600;
    CurvePath p;
    BuildCurvePath(w, p);
    EXPECT_EQ(RunLengths(p), (std::vector<int>{2, 2}));
    w.gapSeconds = 601;  // at the limit: joined
    BuildCurvePath(w, p);
    EXPECT_EQ(RunLengths(p), (std::vector<int>{4}));

    // Instruments sampling at times of their own: the line runs on past the points where
    // this one has no value, but not across the pause between its recordings.
    const std::vector<float> own{1, kMissing, 3, kMissing, 5, kMissing, 7};
    const std::vector<int64_t> shared{0, 30, 60, 90, 700, 730, 760};
    w = Walk(own);
    w.times = shared.data();
    w.gapSeconds = 600;
    w.joinAcrossMissing = true;
    BuildCurvePath(w, p);
    EXPECT_EQ(RunLengths(p), (std::vector<int>{2, 2}));
}

TEST(CurvePath, AColumnOfManyPointsKeepsItsExtremes) {
    // Ten points a column; a spike to 90 and a dip to 5 inside column 3.
    std::vector<float> v(100, 50.0f);
    v[33] = 90;
    v[36] = 5;
    CurvePath p;
    CurveWalk w = Walk(v, 0.1f);
    w.selected = 36;
    BuildCurvePath(w, p);
    ASSERT_EQ(RunLengths(p), (std::vector<int>{static_cast<int>(p.vertices.size())}));
    std::vector<QPoint> column3;
    for (const QPoint& q : p.vertices) {
        if (q.x() == 3) column3.push_back(q);
    }
    // First, the nearer extreme (the spike), the other (the dip), last: one stroke over both.
    EXPECT_EQ(column3, (std::vector<QPoint>{{3, 50}, {3, 10}, {3, 95}, {3, 50}}));
    EXPECT_EQ(p.vertices.size(), 9u + 4u);  // the other columns draw one vertex each
    EXPECT_TRUE(p.selectedMet);
    EXPECT_EQ(p.selectedAt, QPoint(3, 95));
}

}  // namespace
}  // namespace qx
