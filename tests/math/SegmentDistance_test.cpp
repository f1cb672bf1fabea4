// The one segment-to-point distance in double precision, at the places a careless projection
// goes wrong: beyond either end, and a segment of no length.
#include <gtest/gtest.h>

#include "math/SegmentDistance.h"

namespace {

TEST(SegmentDistance, IsToTheNearestPointOfTheSegmentNotOfItsLine) {
    const k_DoublePoint from{0, 0, 0}, to{0, 0, -10};
    EXPECT_EQ(squaredSegmentDistance(from, to, {3, 0, -5}), 9.0);
    EXPECT_EQ(squaredSegmentDistance(from, to, {0, 0, -7}), 0.0) << "on the segment";
    // Beyond either end the distance is to that end, not to the infinite line.
    EXPECT_EQ(squaredSegmentDistance(from, to, {0, 4, -13}), 25.0);
    EXPECT_EQ(squaredSegmentDistance(from, to, {0, 3, 4}), 25.0);
    EXPECT_EQ(squaredSegmentDistance(to, from, {0, 3, 4}), 25.0) << "either direction";
}

TEST(SegmentDistance, ASegmentOfNoLengthIsItsOnePoint) {
    const k_DoublePoint point{1, 2, 3};
    EXPECT_EQ(squaredSegmentDistance(point, point, {1, 5, 7}), 25.0);
    EXPECT_EQ(squaredSegmentDistance(point, point, point), 0.0);
}

} // namespace
