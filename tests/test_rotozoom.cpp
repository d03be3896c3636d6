// Rotated and zoomed drawing: the box, the exact steps, the drawn shape.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "ZAriz.h"
#include "support/harness.h"

namespace {

constexpr int SW = KZ_SCREEN_W, SH = KZ_SCREEN_H;
constexpr uint16_t BACKDROP = 0x0841;

uint16_t& at(int x, int y) { return kz_buffer[y * SW + x]; }

// A 16 x 16 frame whose every pixel names its own column and row, so a drawn
// pixel tells where in the frame it was sampled. No value is the key colour.
struct Named {
    std::vector<uint16_t> px;
    explicit Named(int w = 16, int h = 16) : px(size_t(w) * h) {
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) px[size_t(r) * w + c] = uint16_t(0x4000 | r << 6 | c);
    }
    static bool named(uint16_t p) { return (p & 0xF000) == 0x4000; }
    static int col(uint16_t p) { return p & 63; }
    static int row(uint16_t p) { return (p >> 6) & 63; }
};

class Rotozoom : public ::testing::Test {
protected:
    void SetUp() override {
        engine_reset();
        kz_window[0] = {0, 0, SW - 1, SH - 1};
        kz_curwindow = 0;
        std::fill(std::begin(kz_buffer), std::end(kz_buffer), BACKDROP);
    }
    void TearDown() override { engine_reset(); }

    static int drawn() {
        return int(std::count_if(std::begin(kz_buffer), std::end(kz_buffer), [](uint16_t p) { return p != BACKDROP; }));
    }
};

// The frame fixed at its top-left corner (100, 100); 16 x 16 unless said.
void draw16(KZ_RotBlitter blit, const void* px, int angle, int zoom, int alpha = 32, const uint16_t* pal = nullptr) {
    blit(px, pal, 16, 16, 100, 100, alpha, angle, zoom);
}

TEST_F(Rotozoom, BoxAroundTheTurnedFrame) {
    struct Case {
        int zoom, angle, B, box;
    } cases[] = {
        {1024, 64, 24, 96},    // a square's diagonal fits half as large again
        {2048, 0, 48, 84},     // twice as large about the same centre
        {64, 0, 1, 108},       {512, 0, 12, 102}, {0, 0, 0, 108},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zoom);
        kz_cursprite = 7;
        KZ_RotoZoomLimits(100, 100, 16, 16, c.angle, c.zoom);
        EXPECT_EQ(kz_cursprite, -1);
        EXPECT_EQ(kz_limits.boxx, c.box);
        EXPECT_EQ(kz_limits.boxy, c.box);
        EXPECT_EQ(kz_limits.right, c.B);
        EXPECT_EQ(kz_limits.bottom, c.B);
    }
}

TEST_F(Rotozoom, AngleSixtyFourLeavesTheBoxCornersAlone) {
    Named f;
    draw16(KZ_16bitRotFull, f.px.data(), 64, 1024);
    for (auto [x, y] : {std::pair{96, 96}, {119, 96}, {96, 119}, {119, 119}, {97, 97}}) EXPECT_EQ(at(x, y), BACKDROP);
    EXPECT_TRUE(Named::named(at(108, 108)));
    // A square turned by an eighth covers about half the box.
    EXPECT_NEAR(drawn(), 256, 40);
}

// Quarter turns sample exactly: every frame pixel lands on one screen pixel,
// but the span estimate falls one short, so the source edge that each span
// ends on is not drawn.
TEST_F(Rotozoom, QuarterTurnsAreExact) {
    struct Case {
        int angle;
        std::function<std::pair<int, int>(int c, int r)> where;
        std::function<bool(int c, int r)> dropped;
    } cases[] = {
        {0, [](int c, int r) { return std::pair{100 + c, 100 + r}; }, [](int c, int) { return c == 15; }},
        {512, [](int c, int r) { return std::pair{100 + c, 100 + r}; }, [](int c, int) { return c == 15; }},
        // Counter-clockwise: the right edge comes to the top, the top edge to the left.
        {128, [](int c, int r) { return std::pair{100 + r, 115 - c}; }, [](int, int r) { return r == 15; }},
        {256, [](int c, int r) { return std::pair{115 - c, 115 - r}; }, [](int c, int) { return c == 0; }},
        // Clockwise: the left edge comes to the top.
        {-128, [](int c, int r) { return std::pair{115 - r, 100 + c}; }, [](int, int r) { return r == 0; }},
        {384, [](int c, int r) { return std::pair{115 - r, 100 + c}; }, [](int, int r) { return r == 0; }},
    };
    Named f;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.angle);
        std::fill(std::begin(kz_buffer), std::end(kz_buffer), BACKDROP);
        draw16(KZ_16bitRotFull, f.px.data(), k.angle, 1024);
        std::vector<uint16_t> want(SW * SH, BACKDROP);
        for (int r = 0; r < 16; ++r)
            for (int c = 0; c < 16; ++c)
                if (!k.dropped(c, r)) {
                    auto [x, y] = k.where(c, r);
                    want[y * SW + x] = f.px[r * 16 + c];
                }
        EXPECT_TRUE(std::equal(want.begin(), want.end(), std::begin(kz_buffer)));
    }
}

TEST_F(Rotozoom, ZoomTwoDrawsEachPixelTwiceAsLarge) {
    Named f;
    draw16(KZ_16bitRotFull, f.px.data(), 0, 2048);
    // Rows 92 to 123; columns 92 to 122, the estimate dropping the last one.
    for (int y = 84; y < 132; ++y)
        for (int x = 84; x < 132; ++x) {
            const bool in = y >= 92 && y <= 123 && x >= 92 && x <= 122;
            ASSERT_EQ(at(x, y), in ? f.px[((y - 92) / 2) * 16 + (x - 92) / 2] : BACKDROP) << x << "," << y;
        }
    EXPECT_EQ(drawn(), 32 * 31);
}

TEST_F(Rotozoom, SmallZooms) {
    struct Case {
        int zoom, rows, perrow;
    } cases[] = {
        {64, 0, 0},   // one box pixel, but its span estimate is 0
        {512, 8, 7},  // the estimate drops the last pixel of each span
        {0, 0, 0},
    };
    Named f;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zoom);
        std::fill(std::begin(kz_buffer), std::end(kz_buffer), BACKDROP);
        draw16(KZ_16bitRotFull, f.px.data(), 0, c.zoom);
        int rows = 0;
        for (int y = 0; y < SH; ++y) {
            const int n = int(std::count_if(&at(0, y), &at(0, y) + SW, [](uint16_t p) { return p != BACKDROP; }));
            if (n) {
                ++rows;
                EXPECT_EQ(n, c.perrow) << y;
            }
        }
        EXPECT_EQ(rows, c.rows);
    }
}

// Every drawn pixel is the frame pixel nearest below the exact turned and
// scaled source point, give or take the fixed-point rounding.
TEST_F(Rotozoom, DrawnPixelsFollowTheTurn) {
    Named f;
    const double pi = std::acos(-1.0);
    for (int zoom : {700, 1024, 1500, 3000})
        for (int angle : {1, 30, 64, 100, 200, 300, 450, -77}) {
            SCOPED_TRACE(testing::Message() << zoom << " " << angle);
            std::fill(std::begin(kz_buffer), std::end(kz_buffer), BACKDROP);
            draw16(KZ_16bitRotFull, f.px.data(), angle, zoom);
            const int bx = kz_limits.boxx, by = kz_limits.boxy, half = kz_limits.right >> 1;
            const double a = 2 * pi * angle / 512, k = 1024.0 / zoom;
            int n = 0;
            for (int y = 0; y < SH; ++y)
                for (int x = 0; x < SW; ++x) {
                    const uint16_t p = at(x, y);
                    if (p == BACKDROP) continue;
                    ++n;
                    const double X = x - bx - half, Y = y - by - half;
                    const double u = 8 + (X * std::cos(a) - Y * std::sin(a)) * k;
                    const double v = 8 + (X * std::sin(a) + Y * std::cos(a)) * k;
                    ASSERT_TRUE(Named::named(p));
                    ASSERT_NEAR(Named::col(p) + 0.5, u, 1.6) << x << "," << y;
                    ASSERT_NEAR(Named::row(p) + 0.5, v, 1.6) << x << "," << y;
                }
            // Nearly the whole turned frame is there.
            EXPECT_GT(n, 256.0 * (zoom / 1024.0) * (zoom / 1024.0) * 0.8);
        }
}

// The estimate can run past the frame: at angle 1 and zoom 2048 box row 40
// estimates 3 pixels, the third on source row 16. The span stops at the last
// inside point; the frame is allocated to its size so a read past it shows
// under the address sanitizer.
TEST_F(Rotozoom, SpanEndsAtItsLastInsidePoint) {
    Named f;
    draw16(KZ_16bitRotFull, f.px.data(), 1, 2048);
    ASSERT_EQ(kz_limits.boxy, 84);
    const int y = 84 + 40;
    std::vector<int> xs;
    for (int x = 0; x < SW; ++x)
        if (at(x, y) != BACKDROP) xs.push_back(x);
    ASSERT_EQ(xs, (std::vector<int>{84 + 9, 84 + 10}));
    EXPECT_EQ(at(93, y), f.px[15 * 16 + 0]);
    EXPECT_EQ(at(94, y), f.px[15 * 16 + 0]);
    for (uint16_t p : kz_buffer) ASSERT_TRUE(p == BACKDROP || Named::named(p));
}

TEST_F(Rotozoom, ClippedByTheWindow) {
    Named f;
    draw16(KZ_16bitRotFull, f.px.data(), 64, 1300);
    const std::vector<uint16_t> whole(std::begin(kz_buffer), std::end(kz_buffer));

    // Cut on the right and at the bottom, where spans do not start, so the
    // pixels inside are exactly those of the whole box.
    std::fill(std::begin(kz_buffer), std::end(kz_buffer), BACKDROP);
    KZ_SetWindowLimits(3, 0, 0, 107, 110);
    kz_curwindow = 3;
    draw16(KZ_16bitRotFull, f.px.data(), 64, 1300);
    int inside = 0;
    for (int y = 0; y < SH; ++y)
        for (int x = 0; x < SW; ++x) {
            const bool in = x <= 107 && y <= 110;
            ASSERT_EQ(at(x, y), in ? whole[y * SW + x] : BACKDROP) << x << "," << y;
            inside += in && at(x, y) != BACKDROP;
        }
    EXPECT_GT(inside, 50);

    // Near the screen's corner, only the part inside the screen.
    std::fill(std::begin(kz_buffer), std::end(kz_buffer), BACKDROP);
    kz_curwindow = 0;
    KZ_16bitRotFull(f.px.data(), nullptr, 16, 16, -8, 310, 32, 100, 2000);
    EXPECT_GT(drawn(), 20);
    EXPECT_TRUE(Named::named(at(0, 319)));
}

// A window number counts by its low four bits and an angle by its low nine,
// out to the ends of the integer range.
TEST_F(Rotozoom, WindowAndAngleCountByTheirLowBits) {
    Named f;
    KZ_SetWindowLimits(1, 95, 95, 107, 110);
    auto draw = [&](int window, int angle) {
        std::fill(std::begin(kz_buffer), std::end(kz_buffer), BACKDROP);
        kz_curwindow = uint8_t(window);
        draw16(KZ_16bitRotFull, f.px.data(), angle, 1300);
        return std::vector<uint16_t>(std::begin(kz_buffer), std::end(kz_buffer));
    };
    const auto turned = draw(1, 511);
    EXPECT_GT(drawn(), 50);
    EXPECT_EQ(at(94, 100), BACKDROP);
    EXPECT_EQ(draw(17, 511), turned);
    EXPECT_EQ(draw(1, INT32_MAX), turned);
    EXPECT_EQ(draw(1, INT32_MIN), draw(1, 0));
}

TEST_F(Rotozoom, PerPixelRules) {
    // Uniform frames so the rule alone decides, drawn at zoom 2048 about the
    // centre pixel (108, 108); white over a black screen.
    const std::vector<uint8_t> idx0(256, 0), idx1(256, 1);
    const std::vector<uint16_t> white(256, 0xFFFF), key(256, 0xF81F);
    std::vector<uint16_t> pal(256, 0);
    pal[0] = 0x001F;
    pal[1] = 0xFFFF;
    const uint16_t none = 0x0000;
    struct Case {
        const char* name;
        KZ_RotBlitter blit;
        const void* px;
        int alpha;
        uint8_t plane;
        uint16_t want;
    } cases[] = {
        {"8 index 0", KZ_8bitRot, idx0.data(), 32, 0, none},
        {"8 index 1", KZ_8bitRot, idx1.data(), 32, 0, 0xFFFF},
        {"8 full index 0", KZ_8bitRotFull, idx0.data(), 32, 0, 0x001F},
        {"8 alpha index 0", KZ_8bitRotAlpha, idx0.data(), 16, 0, none},
        {"8 alpha index 1", KZ_8bitRotAlpha, idx1.data(), 16, 0, 0x7BEF},
        {"8 alpha full index 0", KZ_8bitRotAlphaFull, idx0.data(), 16, 0, 0x000F},
        {"8 alpha full index 1", KZ_8bitRotAlphaFull, idx1.data(), 16, 0, 0x7BEF},
        {"16 key", KZ_16bitRot, key.data(), 32, 0, none},
        {"16 full key", KZ_16bitRotFull, key.data(), 32, 0, 0xF81F},
        {"16 alpha", KZ_16bitRotAlpha, white.data(), 16, 0, 0x7BEF},
        {"16 alpha key", KZ_16bitRotAlpha, key.data(), 16, 0, none},
        {"16 alpha full key", KZ_16bitRotAlphaFull, key.data(), 16, 0, 0x780F},
        {"24 opaque", KZ_24bitRot, white.data(), 32, 32, 0xFFFF},
        {"24 transparent", KZ_24bitRot, white.data(), 32, 0, none},
        {"24 own weight", KZ_24bitRot, white.data(), 32, 16, 0x7BEF},
        {"24 at half", KZ_24bitRot, white.data(), 16, 32, 0x7BEF},
        {"24 weight 8", KZ_24bitRot, white.data(), 16, 16, 0x39E7},
        {"24 weight 0", KZ_24bitRot, white.data(), 16, 1, none},
        // No opacity, or a negative one, draws nothing.
        {"16 alpha 0", KZ_16bitRotAlpha, white.data(), 0, 0, none},
        {"16 alpha -5", KZ_16bitRotAlphaFull, white.data(), -5, 0, none},
        {"8 alpha -5", KZ_8bitRotAlphaFull, idx1.data(), -5, 0, none},
        {"24 alpha -5", KZ_24bitRot, white.data(), -5, 32, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::fill(std::begin(kz_buffer), std::end(kz_buffer), none);
        std::vector<uint8_t> plane(256, c.plane);
        alphalayer = plane.data();
        draw16(c.blit, c.px, 0, 2048, c.alpha, pal.data());
        EXPECT_EQ(at(108, 108), c.want);
        EXPECT_EQ(std::count(std::begin(kz_buffer), std::end(kz_buffer), c.want), c.want == none ? SW * SH : 32 * 31);
    }
}

// Through a sprite: the source rectangle does not apply, and no sprite is
// current afterwards.
TEST_F(Rotozoom, SourceRectangleIgnored) {
    Named f;
    const KZ_Image img{f.px.data(), nullptr, nullptr, nullptr, nullptr, 2, 1, 16, 16};
    auto draw = [&](bool piece) {
        std::fill(std::begin(kz_buffer), std::end(kz_buffer), BACKDROP);
        KZ_CreateSprite(9, &img, 16, 16, 108, 108);
        if (piece) KZ_SetSpriteLimits(9, 2, 2, 3, 3);
        kz_sprites[9]->zoom = 2048;
        KZ_ShowSprite(9);
        return std::vector<uint16_t>(std::begin(kz_buffer), std::end(kz_buffer));
    };
    const auto whole = draw(false);
    EXPECT_EQ(draw(true), whole);
    EXPECT_EQ(kz_cursprite, -1);
    EXPECT_EQ(drawn(), 32 * 31);
}

}  // namespace
