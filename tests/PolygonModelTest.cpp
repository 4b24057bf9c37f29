#include "controls/PolygonModel.h"
#include "controls/Random.h"

#include <gtest/gtest.h>

namespace {

using TOutline = TPolygonModel::TOutline;
using TVelocities = TPolygonModel::TVelocities;

// 12:34:56.789 UTC. Its first two Random(5) give 2 and 1, so bounces at speeds 3, then 2.
// Expected corners and seeds come from an independent Python replay of the draws.
constexpr std::uint32_t kNoon = 45296789;
constexpr std::uint32_t kNoonAfterTwoDraws = 1162356371;

// By hand: seed 0, Random(48): seed = 1, 1 * 48 >> 32 = 0; Random(48): seed = 134775814,
// 134775814 * 48 = 6469239072, >> 32 = 1. Seed 2^32 - 1 wraps to 4160191484, * 48 >> 32 = 46,
// which a 32-bit product would get wrong.
TEST(Random, ReplaysTheSequenceOfASeed) {
    TRandom random(0);
    EXPECT_EQ(random.Random(48), 0);
    EXPECT_EQ(random.Random(48), 1);
    EXPECT_EQ(random.Random(11), 9);
    EXPECT_EQ(random.Random(0), 0); // an empty range still takes its turn
    EXPECT_EQ(random.Random(1000), 272);
    EXPECT_EQ(random.Seed(), 1172187917u);
    random.SetSeed(0xFFFFFFFFu);
    EXPECT_EQ(random.Random(48), 46);
    EXPECT_EQ(random.Seed(), 4160191484u);
}

TEST(Random, SeedIsTheUtcTimeOfDayInMilliseconds) {
    using namespace std::chrono;
    const system_clock::time_point noon{milliseconds(1709296496789)}; // 2024-03-01 UTC
    EXPECT_EQ(TimeOfDaySeed(noon), kNoon);
    EXPECT_EQ(TimeOfDaySeed(noon - milliseconds(kNoon + 1)), 86399999u);
    EXPECT_EQ(TimeOfDaySeed(noon + microseconds(999)), kNoon); // not rounded up

    TRandom random;
    random.Randomize();
    const std::uint32_t after = TimeOfDaySeed(system_clock::now());
    if (after >= 1000) { // else midnight came between the readings
        EXPECT_NEAR(double(random.Seed()), double(after), 1000.0);
    }
}

TEST(PolygonModel, PlacesAndStepsAsTheSeedReplays) {
    TRandom random(kNoon);
    TPolygonModel model;
    model.Place(random, 50, 50);
    EXPECT_EQ(model.Corners(), (TOutline{{{24, 13}, {34, 22}, {39, 5}, {45, 48}, {24, 13}}}));
    EXPECT_EQ(model.Velocities(), (TVelocities{{{-2, -5}, {-4, 0}, {-4, 5}, {5, -3}}}));
    EXPECT_EQ(random.Seed(), 1151660869u); // exactly 16 draws

    // Run at 50 x 73 as on the main window. Corner 4 goes from x 45 to 50, past 49: back to
    // 48, leaving at speed 1.
    model.Step(random, 50, 73);
    EXPECT_EQ(model.Corners(), (TOutline{{{22, 8}, {30, 22}, {35, 10}, {48, 45}, {22, 8}}}));
    EXPECT_EQ(model.Velocities()[3], (TPolygonPoint{-1, -3}));
    for (int step = 2; step <= 200; ++step) {
        model.Step(random, 50, 73);
        // Placed with no vertical speed, and no bounce ever gives it one.
        ASSERT_EQ(model.Corners()[1].Y, 22) << "step " << step;
    }
    EXPECT_EQ(model.Corners(), (TOutline{{{15, 18}, {15, 22}, {40, 23}, {5, 31}, {15, 18}}}));
    EXPECT_EQ(model.Velocities(), (TVelocities{{{1, 1}, {2, 0}, {-4, -1}, {-1, 2}}}));
    EXPECT_EQ(random.Seed(), 3339912993u);
}

// Corners 1..4 standing still at (10, 10); `corner` set as given.
TPolygonModel OneMovingCorner(int corner, TPolygonPoint position, TPolygonPoint velocity) {
    TPolygonModel model;
    for (int i = 1; i <= TPolygonModel::kCornerCount; ++i)
        model.SetCorner(i, {10, 10}, {0, 0});
    model.SetCorner(corner, position, velocity);
    return model;
}

TEST(PolygonModel, BouncesComeBackOneInsideDrawingInCheckOrder) {
    // Corner 1 lands on the edge pixels themselves: no bounce, no draw. Corner 4 leaves at
    // the top (2 - 4) and the right (48 + 5) at once: the top is checked, and draws, first.
    TPolygonModel model = OneMovingCorner(1, {3, 46}, {-3, 3});
    model.SetCorner(4, {48, 2}, {5, -4});
    TRandom random(kNoon);
    model.Step(random, 50, 50);
    EXPECT_EQ(model.Corners()[0], (TPolygonPoint{0, 49}));
    EXPECT_EQ(model.Corners()[4], (TPolygonPoint{0, 49}));
    EXPECT_EQ(model.Velocities()[0], (TPolygonPoint{-3, 3}));
    EXPECT_EQ(model.Corners()[3], (TPolygonPoint{48, 1}));
    EXPECT_EQ(model.Velocities()[3], (TPolygonPoint{-2, 3}));
    EXPECT_EQ(random.Seed(), kNoonAfterTwoDraws);

    // Left outside by a shrink, a still corner comes back too.
    model = OneMovingCorner(2, {40, 60}, {0, 0});
    random.SetSeed(kNoon);
    model.Step(random, 20, 30);
    EXPECT_EQ(model.Corners()[1], (TPolygonPoint{18, 28}));
    EXPECT_EQ(model.Velocities()[1], (TPolygonPoint{-3, -2}));
}

} // namespace
