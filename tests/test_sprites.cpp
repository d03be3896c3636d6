// The sprite table, the choice of blitter for a sprite, and sprite animation.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "ZAriz.h"
#include "support/harness.h"

namespace {

constexpr int SW = KZ_SCREEN_W, SH = KZ_SCREEN_H;
constexpr uint16_t BACKDROP = 0x0841;

using Screen = std::vector<uint16_t>;

Screen render(const std::function<void()>& draw) {
    std::fill(std::begin(kz_buffer), std::end(kz_buffer), BACKDROP);
    draw();
    return Screen(std::begin(kz_buffer), std::end(kz_buffer));
}

class Sprites : public ::testing::Test {
protected:
    void SetUp() override { engine_reset(); }
    void TearDown() override { engine_reset(); }
};

// ---- the table -----------------------------------------------------------------

const uint16_t solid16[16 * 16] = {};
const KZ_Image plain16{const_cast<uint16_t*>(solid16), nullptr, nullptr, nullptr, nullptr, 2, 1, 16, 16};

TEST_F(Sprites, RangeWidensAndGapsStayEmpty) {
    EXPECT_EQ(kz_minsprite, 4096);
    EXPECT_EQ(kz_maxsprite, -1);
    KZ_CreateSprite(5, &plain16, 16, 16, 0, 0);
    KZ_CreateSprite(3, &plain16, 16, 16, 0, 0);
    EXPECT_EQ(kz_minsprite, 3);
    EXPECT_EQ(kz_maxsprite, 5);
    EXPECT_EQ(kz_sprites[4], nullptr);
    KZ_InitSprites();
    for (KZ_Sprite* s : kz_sprites) ASSERT_EQ(s, nullptr);
    EXPECT_EQ(kz_minsprite, 3);
    EXPECT_EQ(kz_maxsprite, 5);
}

TEST_F(Sprites, CreateSetsEveryFieldAndRecreateResets) {
    uint16_t pal[256] = {};
    uint8_t plane[4] = {}, rle[4] = {};
    uint16_t list[2] = {};
    KZ_Image img{const_cast<uint16_t*>(solid16), plane, list, rle, pal, 3, 0, 16, 64};
    KZ_CreateSprite(7, &img, 12, 10, -3, 400);
    KZ_Sprite* s = kz_sprites[7];
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->active, 1);
    EXPECT_EQ(s->pixels, solid16);
    EXPECT_EQ(s->alphaplane, plane);
    EXPECT_EQ(s->rlelist, list);
    EXPECT_EQ(s->rle, rle);
    EXPECT_EQ(s->palette, pal);
    EXPECT_EQ(s->depth, 3);
    EXPECT_EQ(s->full, 0);
    EXPECT_EQ(s->x, -3);
    EXPECT_EQ(s->y, 400);
    EXPECT_EQ(s->framew, 12);
    EXPECT_EQ(s->w, 12);
    EXPECT_EQ(s->frameh, 10);
    EXPECT_EQ(s->h, 10);

    // Everything the game may have changed comes back; the record is the same.
    KZ_StartSpriteAnimEx(7, 0, 3, 40, 0, 0);
    KZ_SetSpriteLimits(7, 2, 2, 3, 3);
    s->alpha = 5, s->zoom = 99, s->angle = 7, s->prio = 12, s->frame = 2, s->window = 4, s->flipx = s->flipy = 1;
    s->active = 0;
    KZ_CreateSprite(7, &img, 12, 10, 1, 2);
    EXPECT_EQ(kz_sprites[7], s);
    EXPECT_EQ(s->active, 1);
    EXPECT_EQ(s->animon, 0);
    EXPECT_EQ(s->alpha, 32);
    EXPECT_EQ(s->zoom, 1024);
    EXPECT_EQ(s->angle, 0);
    EXPECT_EQ(s->prio, 0);
    EXPECT_EQ(s->frame, 0);
    EXPECT_EQ(s->window, 0);
    EXPECT_EQ(s->flipx, 0);
    EXPECT_EQ(s->flipy, 0);
    EXPECT_EQ(s->limitx1, 0);
    EXPECT_EQ(s->limity1, 0);
    EXPECT_EQ(s->limitx2, 11);
    EXPECT_EQ(s->limity2, 9);

    KZ_CreateSprite(8, &img, 1, 0, 0, 0);
    EXPECT_EQ(kz_sprites[8]->limitx2, 0);
    EXPECT_EQ(kz_sprites[8]->limity2, -1);
}

TEST_F(Sprites, SetImageKeepsEverythingElse) {
    uint8_t idx[16 * 16] = {};
    uint16_t pal[256] = {};
    const KZ_Image img8{idx, nullptr, nullptr, nullptr, pal, 1, 1, 16, 16};
    KZ_CreateSprite(2, &plain16, 16, 16, 50, 60);
    KZ_Sprite& s = *kz_sprites[2];
    s.alpha = 20, s.frame = 1, s.zoom = 2000, s.prio = 9;
    KZ_SetSpriteLimits(2, 1, 1, 4, 4);
    KZ_SetSpriteImage(2, &img8);
    EXPECT_EQ(s.depth, 1);
    EXPECT_EQ(s.pixels, idx);
    EXPECT_EQ(s.palette, pal);
    EXPECT_EQ(s.x, 50);
    EXPECT_EQ(s.alpha, 20);
    EXPECT_EQ(s.frame, 1);
    EXPECT_EQ(s.zoom, 2000);
    EXPECT_EQ(s.prio, 9);
    EXPECT_EQ(s.limitx2, 4);
}

TEST_F(Sprites, BoxIsCentredOnThePosition) {
    const std::vector<uint16_t> white(16 * 16, 0xFFFF);
    const KZ_Image img{const_cast<uint16_t*>(white.data()), nullptr, nullptr, nullptr, nullptr, 2, 1, 16, 16};
    struct Case {
        int w, first, last;
    } cases[] = {{9, 96, 104}, {8, 96, 103}, {1, 100, 100}, {0, 0, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.w);
        const Screen s = render([&] {
            KZ_CreateSprite(1, &img, uint16_t(c.w), 4, 100, 50);
            KZ_ShowSprite(1);
        });
        std::vector<int> cols;
        for (int x = 0; x < SW; ++x)
            if (s[50 * SW + x] != BACKDROP) cols.push_back(x);
        if (c.last < c.first) {
            EXPECT_TRUE(cols.empty());
        } else {
            ASSERT_FALSE(cols.empty());
            EXPECT_EQ(cols.front(), c.first);
            EXPECT_EQ(cols.back(), c.last);
            EXPECT_EQ(int(cols.size()), c.w);
        }
    }
}

// ---- the choice of blitter ----------------------------------------------------------

// Three 16 x 16 frames whose pixels all differ, with key-coloured and index-0
// pixels scattered through them, so that a wrong blitter, frame or flip shows.
struct Pictures {
    std::vector<uint16_t> px16, pal;
    std::vector<uint8_t> px8, plane;
    Pictures() : px16(16 * 48), pal(256), px8(16 * 48), plane(16 * 48) {
        for (int i = 0; i < 16 * 48; ++i) {
            const int c = i % 16, r = i / 16;
            px16[i] = (c + r) % 5 == 0 ? 0xF81F : uint16_t(0x4000 | r << 6 | c);
            px8[i] = uint8_t((c * 3 + r) % 7 ? i % 251 + 1 : 0);
            plane[i] = uint8_t((c + r + (r / 16) * 7) % 33);
        }
        for (int i = 0; i < 256; ++i) pal[i] = uint16_t(0x1000 + i * 37);
    }
    KZ_Image image(int depth, int full) {
        if (depth == 1) return {px8.data(), nullptr, nullptr, nullptr, pal.data(), 1, full, 16, 48};
        return {px16.data(), depth == 3 ? plane.data() : nullptr, nullptr, nullptr, nullptr, depth, full, 16, 48};
    }
};

TEST_F(Sprites, DispatchChoosesTheBlitter) {
    Pictures p;
    const uint16_t* P16 = p.px16.data();
    const uint8_t* P8 = p.px8.data();
    const KZ_Image quit_full = [] {
        KZ_Image i = kz_quit;
        i.full = 1;
        return i;
    }();
    // The sprite's box starts at (112, 152).
    struct Case {
        const char* name;
        KZ_Image image;
        std::function<void(KZ_Sprite&)> set;
        std::function<void()> want;
    } cases[] = {
        {"angle 512 draws unrotated, flipped", p.image(2, 0), [](KZ_Sprite& s) { s.angle = 512, s.flipx = 1; },
         [&] { KZ_Copy16bitToScreen(P16, 16, 16, 112, 152, 32, 1, 0); }},
        {"angle 1 rotates, flips ignored", p.image(2, 0), [](KZ_Sprite& s) { s.angle = 1, s.flipx = 1; },
         [&] { KZ_16bitRot(P16, nullptr, 16, 16, 112, 152, 32, 1, 1024); }},
        {"zoom 1023 rotates", p.image(2, 0), [](KZ_Sprite& s) { s.zoom = 1023, s.flipy = 1; },
         [&] { KZ_16bitRot(P16, nullptr, 16, 16, 112, 152, 32, 0, 1023); }},
        {"opacity 31 full", p.image(2, 1), [](KZ_Sprite& s) { s.angle = 64, s.alpha = 31; },
         [&] { KZ_16bitRotAlphaFull(P16, nullptr, 16, 16, 112, 152, 31, 64, 1024); }},
        {"opacity 32 full", p.image(2, 1), [](KZ_Sprite& s) { s.angle = 64; },
         [&] { KZ_16bitRotFull(P16, nullptr, 16, 16, 112, 152, 32, 64, 1024); }},
        {"opacity 31", p.image(2, 0), [](KZ_Sprite& s) { s.angle = 64, s.alpha = 31; },
         [&] { KZ_16bitRotAlpha(P16, nullptr, 16, 16, 112, 152, 31, 64, 1024); }},
        {"8-bit full rotated", p.image(1, 1), [](KZ_Sprite& s) { s.zoom = 1500; },
         [&] { KZ_8bitRotFull(P8, p.pal.data(), 16, 16, 112, 152, 32, 0, 1500); }},
        {"8-bit rotated at 12", p.image(1, 0), [](KZ_Sprite& s) { s.zoom = 1500, s.alpha = 12; },
         [&] { KZ_8bitRotAlpha(P8, p.pal.data(), 16, 16, 112, 152, 12, 0, 1500); }},
        {"depth 3 is always the one", p.image(3, 1), [](KZ_Sprite& s) { s.angle = 100, s.alpha = 20, s.frame = 1; },
         [&] {
             alphalayer = p.plane.data() + 256;
             KZ_24bitRot(P16 + 256, nullptr, 16, 16, 112, 152, 20, 100, 1024);
         }},
        {"depth 3 not full", p.image(3, 0), [](KZ_Sprite& s) { s.angle = 100; },
         [&] {
             alphalayer = p.plane.data();
             KZ_24bitRot(P16, nullptr, 16, 16, 112, 152, 32, 100, 1024);
         }},
        // A full flag other than 1 means full, on every path.
        {"full 2 rotated", p.image(2, 2), [](KZ_Sprite& s) { s.angle = 30, s.alpha = 20; },
         [&] { KZ_16bitRotAlphaFull(P16, nullptr, 16, 16, 112, 152, 20, 30, 1024); }},
        {"full 2 unrotated", p.image(2, 2), [](KZ_Sprite&) {},
         [&] { KZ_Copy16bitFastCopy(P16, 16, 16, 112, 152, 32); }},
        {"flipped full uses the mirroring blitter", p.image(1, 1), [](KZ_Sprite& s) { s.flipx = 1; },
         [&] { KZ_Copy8bitToScreen(P8, p.pal.data(), 16, 16, 112, 152, 32, 1, 0); }},
        {"depth 3 full, frame 1", p.image(3, 1), [](KZ_Sprite& s) { s.frame = 1, s.alpha = 24; },
         [&] {
             alphalayer = p.plane.data() + 256;
             KZ_Copy24bitToScreen(P16 + 256, 16, 16, 112, 152, 24);
         }},
        {"depth 3 flipped, frame 2", p.image(3, 0), [](KZ_Sprite& s) { s.frame = 2, s.flipy = 1; },
         [&] {
             alphalayer = p.plane.data() + 512;
             KZ_Copy24bitToScreenFlip(P16 + 512, 16, 16, 112, 152, 32, 0, 1);
         }},
        // Frame 2 of 16 x 16 frames: pixel 512, row entry 32.
        {"run-length frame 2", kz_quit, [](KZ_Sprite& s) { s.frame = 2; },
         [&] { KZ_Copy16bitRLE(kz_quit_Sprite + 512, kz_quit_RLE, kz_quit_RLEList + 32, 16, 16, 112, 152, 32); }},
        {"full quit button rotated draws its key colour", quit_full, [](KZ_Sprite& s) { s.zoom = 2048; },
         [&] { KZ_16bitRotFull(kz_quit_Sprite, nullptr, 16, 16, 112, 152, 32, 0, 2048); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Screen want = render([&] {
            kz_cursprite = -1;
            c.want();
        });
        ASSERT_NE(want, Screen(SW * SH, BACKDROP));
        const Screen got = render([&] {
            KZ_CreateSprite(40, &c.image, 16, 16, 120, 160);
            c.set(*kz_sprites[40]);
            KZ_ShowSprite(40);
        });
        EXPECT_EQ(got, want);
    }
}

TEST_F(Sprites, OtherDepthsDrawNothingButStillAnimate) {
    for (int depth : {0, 4}) {
        SCOPED_TRACE(depth);
        KZ_Image img = plain16;
        img.depth = depth;
        KZ_CreateSprite(12, &img, 16, 16, 120, 160);
        kz_sprites[12]->window = 5;
        KZ_StartSpriteAnimEx(12, 0, 3, 40, 0, 0);
        kz_cursprite = -1;
        kz_curwindow = 0;
        const Screen s = render([] { KZ_ShowSprite(12); });
        EXPECT_EQ(s, Screen(SW * SH, BACKDROP));
        EXPECT_EQ(kz_sprites[12]->frame, 1);
        EXPECT_EQ(kz_cursprite, 12);
        EXPECT_EQ(kz_curwindow, 5);
    }
}

TEST(SpriteTable, RotozoomTable) {
    const KZ_RotBlitter want[12] = {KZ_8bitRot,  KZ_8bitRotFull,  KZ_8bitRotAlpha,  KZ_8bitRotAlphaFull,
                                    KZ_16bitRot, KZ_16bitRotFull, KZ_16bitRotAlpha, KZ_16bitRotAlphaFull,
                                    KZ_24bitRot, KZ_24bitRot,     KZ_24bitRot,      KZ_24bitRot};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(KZ_CopyRot[i], want[i]) << i;
}

// ---- animation ------------------------------------------------------------------------

struct Anim {
    const char* name;
    int first, last, speed, pingpong, loops, fps;
    std::vector<int> frames;  // the frame after each step, that is, as drawn
    bool on_after;
};

class Animation : public Sprites, public ::testing::WithParamInterface<Anim> {};

TEST_P(Animation, FramesAsDrawn) {
    const Anim& a = GetParam();
    KZ_CreateSprite(0, &plain16, 16, 16, 0, 0);
    kz_FPS = a.fps;
    KZ_StartSpriteAnimEx(0, int16_t(a.first), int16_t(a.last), uint16_t(a.speed), uint8_t(a.pingpong),
                         int16_t(a.loops));
    std::vector<int> got;
    for (size_t i = 0; i < a.frames.size(); ++i) {
        KZ_UpdateSpriteAnim(0);
        got.push_back(kz_sprites[0]->frame);
    }
    EXPECT_EQ(got, a.frames);
    EXPECT_EQ(kz_sprites[0]->animon != 0, a.on_after);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Animation,
    ::testing::Values(
        Anim{"wrapping", 0, 3, 40, 0, 0, 40, {1, 2, 3, 0, 1, 2, 3, 0, 1}, true},
        Anim{"wrapping twice", 0, 3, 40, 0, 2, 40, {1, 2, 3, 0, 1, 2, 3, 0, 0, 0}, false},
        Anim{"ping-pong", 0, 3, 40, 1, 0, 40, {1, 2, 3, 2, 1, 0, 1, 2, 3, 2}, true},
        Anim{"ping-pong once", 0, 3, 40, 1, 1, 40, {1, 2, 3, 3, 3, 3}, false},
        Anim{"ping-pong twice", 0, 3, 40, 1, 2, 40, {1, 2, 3, 2, 1, 0, 0, 0}, false},
        Anim{"half speed", 0, 3, 20, 0, 0, 40, {0, 1, 1, 2, 2, 3, 3, 0}, true},
        Anim{"double speed", 0, 3, 80, 0, 0, 40, {2, 0, 2, 0}, true},
        Anim{"speed 0", 0, 3, 0, 0, 0, 40, {0, 0, 0, 0}, true},
        // Three steps a draw; the pass ends on the second draw's first step.
        Anim{"speed 120 once", 0, 3, 120, 0, 1, 40, {3, 0, 0, 0}, false},
        Anim{"another range", 5, 7, 40, 0, 0, 40, {6, 7, 5, 6}, true},
        // A one-frame ping-pong stays on its frame, and its passes still count.
        Anim{"one-frame ping-pong", 2, 2, 40, 1, 0, 40, {2, 2, 2}, true},
        Anim{"one-frame ping-pong, 3 passes", 0, 0, 40, 1, 3, 40, {0, 0, 0, 0}, false},
        // A range given high to low plays downward from its first frame.
        Anim{"downward", 3, 0, 40, 0, 0, 40, {2, 1, 0, 3, 2, 1, 0, 3}, true},
        Anim{"downward once", 3, 0, 40, 0, 1, 40, {2, 1, 0, 3, 3}, false},
        Anim{"downward ping-pong", 3, 0, 40, 1, 0, 40, {2, 1, 0, 1, 2, 3, 2, 1}, true},
        Anim{"downward ping-pong once", 3, 0, 40, 1, 1, 40, {2, 1, 0, 0, 0}, false},
        // No measured frame rate yet: one step per unit of speed, and the
        // update returns.
        Anim{"frame rate 0", 0, 3, 3, 0, 0, 0, {3, 2, 1, 0}, true}),
    [](const testing::TestParamInfo<Anim>& info) {
        std::string s = info.param.name;
        for (char& ch : s)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return s;
    });

// The game may move the frame of a running animation; outside the range a
// ping-pong bounces back toward it a step at a time.
TEST_F(Sprites, PingPongFromAFrameMovedPastTheRange) {
    KZ_CreateSprite(0, &plain16, 16, 16, 0, 0);
    kz_FPS = 40;
    KZ_StartSpriteAnimEx(0, 0, 3, 40, 1, 0);
    kz_sprites[0]->frame = 6;
    std::vector<int> got;
    for (int i = 0; i < 5; ++i) {
        KZ_UpdateSpriteAnim(0);
        got.push_back(kz_sprites[0]->frame);
    }
    EXPECT_EQ(got, (std::vector<int>{5, 4, 3, 2, 1}));
}

TEST_F(Sprites, StartSetsTheFieldsAndRestarts) {
    KZ_CreateSprite(3, &plain16, 16, 16, 0, 0);
    KZ_StartSpriteAnimEx(3, 2, 6, 300, 1, 4);
    const KZ_Sprite& s = *kz_sprites[3];
    EXPECT_EQ(s.frame, 2);
    EXPECT_EQ(s.animfirst, 2);
    EXPECT_EQ(s.animlast, 6);
    EXPECT_EQ(s.animstep, 1);
    EXPECT_EQ(s.animspeed, 300);
    EXPECT_EQ(s.animloops, 4);
    EXPECT_EQ(s.animpingpong, 1);
    EXPECT_EQ(s.animcount, 0);
    EXPECT_EQ(s.animon, 1);
    // Only the low 8 bits of the speed count: 300 steps like 44.
    KZ_UpdateSpriteAnim(3);
    EXPECT_EQ(s.frame, 3);
    EXPECT_EQ(s.animcount, 4);

    KZ_StartSpriteAnimEx(3, 6, 1, 40, 0, 0);
    EXPECT_EQ(s.frame, 6);
    EXPECT_EQ(s.animfirst, 1);
    EXPECT_EQ(s.animlast, 6);
    EXPECT_EQ(s.animstep, -1);
}

}  // namespace
