// The compositor's order: which sprite lies in front, which are skipped, and
// what the fade covers.
#include <gtest/gtest.h>

#include <vector>

#include "ZAriz.h"
#include "support/harness.h"

namespace {

constexpr int SW = KZ_SCREEN_W;

uint16_t at(int x, int y) { return kz_buffer[y * SW + x]; }

// One 16 x 16 single-colour image per colour, kept alive for the test.
struct Solid {
    std::vector<uint16_t> px;
    KZ_Image image;
    explicit Solid(uint16_t colour)
        : px(16 * 64, colour), image{px.data(), nullptr, nullptr, nullptr, nullptr, 2, 1, 16, 64} {}
};

class Compose : public ::testing::Test {
protected:
    void SetUp() override {
        engine_reset();
        kz_fade.level = 32;
        KZ_SetFadeLimits(0, 0, 239, 319);
    }
    void TearDown() override { engine_reset(); }

    static KZ_Sprite& sprite(int n, const Solid& s, int x, int y, int prio) {
        KZ_CreateSprite(n, &s.image, 16, 16, int16_t(x), int16_t(y));
        kz_sprites[n]->prio = int16_t(prio);
        return *kz_sprites[n];
    }
};

const Solid red(0xF800), green(0x07E0), blue(0x001F), white(0xFFFF);

TEST_F(Compose, FrontToBack) {
    struct Case {
        const char* name;
        int n1, prio1, n2, prio2;  // sprite 1 red at (100, 100), sprite 2 green at (106, 100)
        uint16_t overlap;
    } cases[] = {
        {"lower number in front", 300, 8, 301, 8, 0xF800},
        {"lower number in front, either order made", 301, 8, 300, 8, 0x07E0},
        {"lower priority in front", 5, 7, 10, 2, 0x07E0},
        {"priority 0 is the front", 4000, 0, 3, 1023, 0xF800},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine_reset();
        kz_fade.level = 32;
        sprite(c.n1, red, 100, 100, c.prio1);
        sprite(c.n2, green, 106, 100, c.prio2);
        kz_whenrefresh();
        EXPECT_EQ(at(94, 100), 0xF800);
        EXPECT_EQ(at(103, 100), c.overlap);
        EXPECT_EQ(at(112, 100), 0x07E0);
        EXPECT_EQ(at(120, 100), 0x0000);
    }
}

TEST_F(Compose, SkippedSpritesAreNeitherDrawnNorAnimated) {
    struct Case {
        const char* name;
        void (*hide)(KZ_Sprite&);
    } cases[] = {
        {"inactive", [](KZ_Sprite& s) { s.active = 0; }},
        {"opacity 0", [](KZ_Sprite& s) { s.alpha = 0; }},
        {"negative opacity", [](KZ_Sprite& s) { s.alpha = -3; }},
        {"zoom 0", [](KZ_Sprite& s) { s.zoom = 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine_reset();
        kz_fade.level = 32;
        kz_bgcolor = 0x1234;
        sprite(1, red, 50, 50, 3);
        sprite(2, red, 150, 150, 3);
        KZ_StartSpriteAnimEx(1, 0, 3, 40, 0, 0);
        KZ_StartSpriteAnimEx(2, 0, 3, 40, 0, 0);
        c.hide(*kz_sprites[2]);
        kz_whenrefresh();
        kz_whenrefresh();
        EXPECT_EQ(kz_sprites[1]->frame, 2);
        EXPECT_EQ(at(50, 50), 0xF800);
        EXPECT_EQ(kz_sprites[2]->frame, 0);
        EXPECT_EQ(at(150, 150), 0x1234);
    }
}

// The game's tint: half-way to black over priority 4 and all behind it.
TEST_F(Compose, FadeCoversItsPriorityAndBehind) {
    kz_bgcolor = 0x001F;
    sprite(10, white, 20, 20, 1023);
    sprite(11, white, 60, 20, 5);
    sprite(12, white, 100, 20, 4);
    sprite(13, white, 140, 20, 3);
    sprite(14, white, 180, 20, 0);
    kz_fade = {16, 0x0000, 4, 0, 0, 239, 319};
    kz_whenrefresh();
    EXPECT_EQ(at(20, 20), 0x7BEF);
    EXPECT_EQ(at(60, 20), 0x7BEF);
    EXPECT_EQ(at(100, 20), 0x7BEF);
    EXPECT_EQ(at(140, 20), 0xFFFF);
    EXPECT_EQ(at(180, 20), 0xFFFF);
    EXPECT_EQ(at(200, 200), 0x000F);

    // A sprite of priority 3 over a tinted one is drawn whole.
    sprite(15, white, 100, 28, 3);
    kz_whenrefresh();
    EXPECT_EQ(at(100, 14), 0x7BEF);
    EXPECT_EQ(at(100, 24), 0xFFFF);
    EXPECT_EQ(at(100, 30), 0xFFFF);
}

}  // namespace
