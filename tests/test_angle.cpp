// Angles of 512 steps per turn: the sine table and the direction search.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "engine/ZAriz.h"

namespace {

// Exact direction from the start to a target (dx, dy) in screen pixels, in
// steps 0 <= a < 512; screen y grows downwards, angles counter-clockwise.
double exact_steps(int dx, int dy) {
    double a = std::atan2(double(-dy), double(dx)) * 256.0 / std::numbers::pi;
    return a < 0 ? a + 512.0 : a;
}

double circular_error(int angle, double exact) {
    double e = std::fabs(angle - exact);
    return std::min(e, 512.0 - e);
}

}  // namespace

TEST(SineTable, IsRoundedSineWithItsSymmetries) {
    for (int i = 0; i < 512; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(KZ_SIN[i], std::lround(256.0 * std::sin(2.0 * std::numbers::pi * i / 512.0)));
        EXPECT_EQ(KZ_SIN[(i + 256) & 511], -KZ_SIN[i]);
        EXPECT_EQ(KZ_SIN[(128 - i) & 511], KZ_SIN[(128 + i) & 511]);
        EXPECT_LE(std::abs(KZ_SIN[i]), 256);
        const bool top = i >= 123 && i <= 133, bottom = i >= 379 && i <= 389;
        EXPECT_EQ(KZ_SIN[i] == 256, top);
        EXPECT_EQ(KZ_SIN[i] == -256, bottom);
    }
    const struct { int i, v; } telling[] = {{0, 0},     {1, 3},     {4, 13},   {32, 98},  {64, 181},
                                            {100, 241}, {128, 256}, {256, 0},  {448, -181}, {511, -3}};
    for (auto [i, v] : telling)
        EXPECT_EQ(KZ_SIN[i], v) << "entry " << i;
}

TEST(GetAngle, KnownDirections) {
    const struct { int x1, y1, x2, y2, angle; } cases[] = {
        // the axes and a diagonal, near and far
        {0, 0, 10, 0, 0}, {0, 0, 0, -10, 128}, {0, 0, -10, 0, 256}, {0, 0, 0, 10, 384},
        {0, 0, 10, -10, 64}, {0, 0, 1, 0, 0},
        // not always the nearest step
        {0, 0, 3, 4, 437}, {0, 0, 2, 1, 477}, {0, 0, 100, 1, 507},
        {120, 160, 0, 0, 181}, {8, 8, 2, 2, 192},
        // from (8, 8) to the centres of a 4 x 4 grid of cells, in reading order
        {8, 8, 2, 2, 192}, {8, 8, 6, 2, 154}, {8, 8, 10, 2, 102}, {8, 8, 14, 2, 64},
        {8, 8, 2, 6, 230}, {8, 8, 6, 6, 192}, {8, 8, 10, 6, 64}, {8, 8, 14, 6, 26},
        {8, 8, 2, 10, 282}, {8, 8, 6, 10, 320}, {8, 8, 10, 10, 448}, {8, 8, 14, 10, 486},
        {8, 8, 2, 14, 320}, {8, 8, 6, 14, 358}, {8, 8, 10, 14, 410}, {8, 8, 14, 14, 448},
        // a point and itself
        {0, 0, 0, 0, 434}, {120, 160, 120, 160, 434}, {-7, 30000, -7, 30000, 434},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.x1 << ", " << c.y1 << ") to (" << c.x2 << ", " << c.y2 << ")");
        EXPECT_EQ(KZ_GetAngle(c.x1, c.y1, c.x2, c.y2), c.angle);
        // Only the differences count, wherever the two points lie.
        EXPECT_EQ(KZ_GetAngle(c.x1 - 3000, c.y1 + 7000, c.x2 - 3000, c.y2 + 7000), c.angle);
    }
}

TEST(AdjustAngle, LowerNeighbourIsTestedFirstAndTiesKeepTheAngle) {
    // From angle 0 with step 180 the candidates are 332, 0 and 180. Up and
    // left, 332 and 180 are equally near; left they beat 0, and the lower one
    // wins. Down, 332 is nearer than 0 and is taken without looking at 180.
    const struct { int x2, y2, angle; } cases[] = {
        {10, 0, 0}, {0, -10, 180}, {-10, 0, 332}, {0, 10, 332},
    };
    for (auto [x2, y2, angle] : cases)
        EXPECT_EQ(KZ_AdjustAngle(0, 180, 50, 60, 50 + x2, 60 + y2), angle) << x2 << ", " << y2;
    // Ties keep the current angle, whichever neighbour it ties with.
    EXPECT_EQ(KZ_AdjustAngle(64, 128, 0, 0, 10, 0), 64);
    EXPECT_EQ(KZ_AdjustAngle(448, 128, 0, 0, 10, 0), 448);
    // The angle and step are 16-bit: 600 - 700 wraps to 65436, that is 412.
    EXPECT_EQ(KZ_AdjustAngle(600, 700, 0, 0, 0, 10), 412);
    // An angle beyond one turn comes back reduced even when it stays.
    EXPECT_EQ(KZ_AdjustAngle(512 + 384, 1, 0, 0, 0, 10), 384);
}

// Every target whose differences lie within 240 pixels, except the start:
// the search is at most 6.3 steps off, and exact along the eight principal
// directions.
TEST(GetAngle, WithinSixPointThreeStepsOverTheScreen) {
    double worst = 0;
    int principal = 0;
    for (int dy = -240; dy <= 240; ++dy) {
        for (int dx = -240; dx <= 240; ++dx) {
            if (dx == 0 && dy == 0)
                continue;
            const int a = KZ_GetAngle(0, 0, dx, dy);
            ASSERT_TRUE(a >= 0 && a < 512) << dx << ", " << dy;
            const double exact = exact_steps(dx, dy);
            const double err = circular_error(a, exact);
            worst = std::max(worst, err);
            ASSERT_LE(err, 6.3) << "to (" << dx << ", " << dy << ") got " << a << ", exact " << exact;
            if (dx == 0 || dy == 0 || std::abs(dx) == std::abs(dy)) {
                ++principal;
                ASSERT_EQ(a, std::lround(exact) & 511) << "to (" << dx << ", " << dy << ")";
            }
        }
    }
    EXPECT_EQ(principal, 8 * 240);
    EXPECT_GT(worst, 6.2);  // and the bound is nearly reached
}
