// Stylus and keys through the frame loop: raw events arrive during a frame's
// wait, and each refresh turns them into the Stylus and Pad records.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <initializer_list>
#include <vector>

#include "engine/ZAriz.h"
#include "platform/display.h"
#include "support/harness.h"

namespace {

using zp::Ev;

struct Raw {
    Ev ev;
    int a = 0, b = 0;
};

// One frame, with these events reaching the window during its wait.
void frame(std::initializer_list<Raw> events = {}) {
    for (const Raw& e : events)
        zp::headless_script(zp::headless_time(), e.ev, e.a, e.b);
    KZ_Refresh();
}

Raw down(int x, int y) { return {Ev::StylusDown, x, y}; }
Raw move(int x, int y) { return {Ev::StylusMove, x, y}; }
Raw up(int x = 0, int y = 0) { return {Ev::StylusUp, x, y}; }
Raw key_down(int vk) { return {Ev::KeyDown, vk}; }
Raw key_up(int vk) { return {Ev::KeyUp, vk}; }

constexpr int VK_ACTION = 0x0D, VK_L = 0x25, VK_U = 0x26, VK_R = 0x27, VK_D = 0x28;

// Runs `body` as the game, on a fresh engine.
void as_game(const std::function<void()>& body) {
    run_game([&] {
        KZ_Init();
        body();
        return 0;
    });
}

// A small image whose pixels, palette and alpha plane live with it. Pictures
// are opaque ("full") so that the compositor can draw the sprites made of them.
struct Picture {
    std::vector<uint8_t> bytes;
    std::vector<uint16_t> words;
    std::vector<uint8_t> alpha;
    std::vector<uint16_t> palette = std::vector<uint16_t>(256, 0x1234);
    KZ_Image image{};

    Picture(int depth, int w, int h) {
        image.depth = depth;
        image.full = 1;
        image.width = w;
        image.height = h;
        bytes.assign(size_t(w * h), 1);
        words.assign(size_t(w * h), 0x07E0);
        alpha.assign(size_t(w * h), 32);
        image.pixels = depth == 1 ? static_cast<void*>(bytes.data()) : static_cast<void*>(words.data());
        image.palette = depth == 1 ? palette.data() : nullptr;
        image.alpha = depth == 3 ? alpha.data() : nullptr;
    }
};

struct StylusWant {
    int held, released, pressed, doubletap, x, y, heldtime, releasedtime, dx, dy;
};

void expect_stylus(const StylusWant& w) {
    EXPECT_EQ(Stylus.held, w.held);
    EXPECT_EQ(Stylus.released, w.released);
    EXPECT_EQ(Stylus.pressed, w.pressed);
    EXPECT_EQ(Stylus.doubletap, w.doubletap);
    EXPECT_EQ(Stylus.x, w.x);
    EXPECT_EQ(Stylus.y, w.y);
    EXPECT_EQ(Stylus.heldtime, w.heldtime);
    EXPECT_EQ(Stylus.releasedtime, w.releasedtime);
    EXPECT_EQ(Stylus.dx, w.dx);
    EXPECT_EQ(Stylus.dy, w.dy);
}

std::array<int, 5> keys(const KZ_Keys& k) { return {k.up, k.down, k.right, k.left, k.action}; }

}  // namespace

TEST(Stylus, RecordsFollowTheRawEventsFrameByFrame) {
    struct Step {
        std::initializer_list<Raw> events;
        StylusWant want;
    };
    as_game([] {
        const Step steps[] = {
            // held rel prs dbl   x    y  ht  rt  dx  dy
            {{}, {0, 0, 0, 0, 120, 160, 0, 1, 0, 0}},
            // the first press after start counts as a double tap: both counters were 0
            {{down(100, 200)}, {1, 0, 1, 1, 100, 200, 1, 1, 0, 0}},
            {{move(103, 195)}, {1, 0, 0, 0, 103, 195, 2, 1, 3, -5}},
            {{move(101, 199), move(90, 190)}, {1, 0, 0, 0, 90, 190, 3, 1, -13, -5}},
            // lifting keeps the position and the last motion
            {{up(110, 210)}, {0, 1, 0, 0, 90, 190, 3, 1, -13, -5}},
            {{move(50, 50)}, {0, 0, 0, 0, 90, 190, 3, 2, -13, -5}},
            // a one-frame press
            {{down(60, 70)}, {1, 0, 1, 1, 60, 70, 1, 2, 0, 0}},
            {{up(61, 71)}, {0, 1, 0, 0, 60, 70, 1, 1, 0, 0}},
            // down and up within one wait are never seen
            {{down(10, 10), up(77, 77)}, {0, 0, 0, 0, 60, 70, 1, 2, 0, 0}},
        };
        int n = 0;
        for (const Step& s : steps) {
            SCOPED_TRACE(testing::Message() << "frame " << ++n);
            frame(s.events);
            expect_stylus(s.want);
        }
        // The raw record: up cleared the flag and left the position of the
        // last down or move.
        EXPECT_EQ(stylusheld, 0);
        EXPECT_EQ(stylusx, 10);
        EXPECT_EQ(stylusy, 10);
    });
}

TEST(Stylus, DoubleTapCountsFramesBetweenPressStarts) {
    const struct { int start, held, gap, doubletap; } cases[] = {
        // a first press from start-up: the frames since the first refresh count
        {45, 1, 0, 1},
        {46, 1, 0, 0},
        // a second tap 44 or 45 frames after the first began, whatever its length
        {60, 1, 44, 1},
        {60, 1, 45, 0},
        {60, 20, 44, 1},
        {60, 20, 45, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "start " << c.start << ", held " << c.held << ", gap " << c.gap);
        as_game([&] {
            for (int f = 1; f < c.start; ++f)
                frame();
            frame({down(5, 5)});
            if (c.gap == 0) {
                EXPECT_EQ(Stylus.doubletap, c.doubletap);
                return;
            }
            for (int f = 1; f < c.held; ++f)
                frame();
            frame({up()});
            for (int f = c.held + 1; f < c.gap; ++f)
                frame();
            frame({down(5, 5)});
            EXPECT_EQ(Stylus.pressed, 1);
            EXPECT_EQ(Stylus.doubletap, c.doubletap);
        });
    }
}

// The counters stop at 32767: a wrapped counter would turn the sum that
// decides a double tap negative, and the first tap after a long pause or a
// long hold would read as a double tap.
TEST(Stylus, FrameCountersSaturate) {
    engine_reset();
    stylusheld = 0;
    for (int f = 0; f < 40000; ++f)
        KZ_UpdateInput();
    EXPECT_EQ(Stylus.releasedtime, 32767);
    stylusheld = 1;
    KZ_UpdateInput();
    EXPECT_EQ(Stylus.pressed, 1);
    EXPECT_EQ(Stylus.doubletap, 0);
    for (int f = 0; f < 40000; ++f)
        KZ_UpdateInput();
    EXPECT_EQ(Stylus.heldtime, 32767);
    EXPECT_EQ(Stylus.releasedtime, 32767);
    stylusheld = 0;
    KZ_UpdateInput();
    stylusheld = 1;
    KZ_UpdateInput();
    EXPECT_EQ(Stylus.pressed, 1);
    EXPECT_EQ(Stylus.doubletap, 0);
    EXPECT_EQ(Stylus.heldtime, 1);
    EXPECT_EQ(Stylus.releasedtime, 1);
}

TEST(Stylus, InitPutsItAtTheCentreAndKeepsTheCounters) {
    engine_reset();
    Stylus = {1, 1, 1, 1, 5, 6, 7, 8, 9, 10};
    KZ_InitStylus();
    EXPECT_EQ(Stylus.held, 0);
    EXPECT_EQ(Stylus.released, 0);
    EXPECT_EQ(Stylus.pressed, 0);
    EXPECT_EQ(Stylus.doubletap, 1);
    EXPECT_EQ(Stylus.x, 120);
    EXPECT_EQ(Stylus.y, 160);
    EXPECT_EQ(Stylus.heldtime, 7);
    EXPECT_EQ(Stylus.releasedtime, 8);
    EXPECT_EQ(Stylus.dx, 9);
    EXPECT_EQ(Stylus.dy, 10);
}

TEST(Touch, BoxEdgesAreInclusive) {
    // Box from x - (w >> 1) over w columns, and likewise for rows.
    const struct { int w, h, x, y, px, py, touched; } cases[] = {
        {16, 8, 232, 100, 224, 100, 1}, {16, 8, 232, 100, 239, 100, 1}, {16, 8, 232, 100, 223, 100, 0},
        {16, 8, 232, 100, 230, 96, 1},  {16, 8, 232, 100, 230, 103, 1}, {16, 8, 232, 100, 230, 95, 0},
        {16, 8, 232, 100, 230, 104, 0}, {9, 9, 100, 100, 96, 104, 1},   {9, 9, 100, 100, 104, 96, 1},
        {9, 9, 100, 100, 95, 100, 0},   {9, 9, 100, 100, 105, 100, 0},  {8, 8, 100, 100, 103, 100, 1},
        {8, 8, 100, 100, 104, 100, 0},  {1, 1, 0, 0, 0, 0, 1},          {1, 1, 0, 0, 1, 0, 0},
    };
    as_game([&] {
        Picture pic(2, 16, 16);
        frame({down(0, 0)});
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.w << " x " << c.h << " at (" << c.x << ", " << c.y
                                            << "), stylus at (" << c.px << ", " << c.py << ")");
            KZ_CreateSprite(5, &pic.image, uint16_t(c.w), uint16_t(c.h), int16_t(c.x), int16_t(c.y));
            frame({move(c.px, c.py)});
            EXPECT_EQ(KZ_SpriteTouched(5), c.touched);
            EXPECT_EQ(KZ_SpriteTouchedPix(5), c.touched);
        }
    });
}

TEST(Touch, AfterReleaseTheLastPositionStillTouchesAndInactiveSpritesDoNot) {
    as_game([] {
        Picture pic(2, 10, 10);
        KZ_CreateSprite(7, &pic.image, 10, 10, 50, 50);
        frame({down(52, 48)});
        EXPECT_EQ(KZ_SpriteTouched(7), 1);
        frame({up(200, 300)});
        EXPECT_EQ(Stylus.held, 0);
        EXPECT_EQ(KZ_SpriteTouched(7), 1);
        kz_sprites[7]->active = 0;
        EXPECT_EQ(KZ_SpriteTouched(7), 0);
        // the pixel test does not look at active
        EXPECT_EQ(KZ_SpriteTouchedPix(7), 1);
    });
}

TEST(Touch, PixelExactReadsTheStoredFrame) {
    // Frames of 4 x 3 stacked under one another; the sprite shows frame 1, so
    // pixel (col, row) of the frame is element 12 + 4 row + col.
    as_game([] {
        Picture p1(1, 4, 6), p2(2, 4, 6), p3(3, 4, 6);
        const int at = 12 + 4 * 1 + 2;  // column 2, row 1 of frame 1
        p1.bytes[at] = 7;
        p1.bytes[at + 1] = 0;
        p2.words[at] = 0;  // black is a colour like any other
        p2.words[at + 1] = 0xF81F;
        p3.alpha[at] = 17;
        p3.alpha[at + 1] = 0;
        // frame 0 holds other values at the same place
        for (Picture* p : {&p1, &p2, &p3}) {
            p->bytes[4 * 1 + 2] = 99;
            p->alpha[4 * 1 + 2] = 31;
        }
        const struct { Picture* pic; int here, right; } cases[] = {
            {&p1, 7, 0},   // the palette index itself; index 0 is transparent
            {&p2, 1, 0},   // 1 unless the pixel is the transparent colour
            {&p3, 17, 0},  // the alpha byte
        };
        // Sprite centre (100, 50): left 98, top 49, so column 2, row 1 is (100, 50).
        frame({down(100, 50)});
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << "depth " << c.pic->image.depth);
            KZ_CreateSprite(3, &c.pic->image, 4, 3, 100, 50);
            kz_sprites[3]->frame = 1;
            kz_sprites[3]->flipx = 1;
            frame({move(100, 50)});
            EXPECT_EQ(KZ_SpriteTouchedPix(3), c.here);
            frame({move(101, 50)});
            EXPECT_EQ(KZ_SpriteTouchedPix(3), c.right);
            frame({move(102, 50)});  // just outside the box
            EXPECT_EQ(KZ_SpriteTouchedPix(3), 0);
        }
        // the transparent colour is read when the test runs
        KZ_CreateSprite(3, &p2.image, 4, 3, 100, 50);
        kz_sprites[3]->frame = 1;
        frame({move(100, 50)});
        kz_transpcolor = 0;
        EXPECT_EQ(KZ_SpriteTouchedPix(3), 0);
        // any other depth is never touched
        kz_transpcolor = 0xF81F;
        kz_sprites[3]->depth = 4;
        EXPECT_EQ(KZ_SpriteTouchedPix(3), 0);
    });
}

TEST(Keys, ArrowsHaveEdgesAndHold) {
    const struct { int vk; uint8_t KZ_Keys::*slot; } arrows[] = {
        {VK_U, &KZ_Keys::up}, {VK_D, &KZ_Keys::down}, {VK_R, &KZ_Keys::right}, {VK_L, &KZ_Keys::left}};
    for (const auto& k : arrows) {
        SCOPED_TRACE(testing::Message() << "key " << k.vk);
        as_game([&] {
            auto only = [&](int v) {
                KZ_Keys want{};
                want.*k.slot = uint8_t(v);
                return keys(want);
            };
            // Held for ten frames, with auto-repeat in the fifth.
            for (int f = 1; f <= 12; ++f) {
                SCOPED_TRACE(testing::Message() << "frame " << f);
                if (f == 1 || f == 5)
                    frame({key_down(k.vk)});
                else if (f == 11)
                    frame({key_up(k.vk)});
                else
                    frame();
                EXPECT_EQ(keys(Pad.pressed), only(f == 1));
                EXPECT_EQ(keys(Pad.held), only(f <= 10));
                EXPECT_EQ(keys(Pad.released), only(f == 11));
            }
        });
    }
}

TEST(Keys, ActionIsAPulsePerFrameWithKeyDowns) {
    as_game([] {
        const struct { std::initializer_list<Raw> events; int on; } steps[] = {
            {{key_down(VK_ACTION)}, 1},
            {{}, 0},
            {{key_down(VK_ACTION)}, 1},                       // auto-repeat
            {{key_down(VK_ACTION), key_down(VK_ACTION)}, 1},  // two in one wait: still one pulse
            {{key_up(VK_ACTION)}, 0},
            {{key_down(VK_ACTION), key_up(VK_ACTION)}, 1},  // up does not take it back
            {{}, 0},
        };
        int n = 0;
        for (const auto& s : steps) {
            SCOPED_TRACE(testing::Message() << "frame " << ++n);
            frame(s.events);
            const std::array<int, 5> want{0, 0, 0, 0, s.on};
            EXPECT_EQ(keys(Pad.held), want);
            EXPECT_EQ(keys(Pad.released), want);
            EXPECT_EQ(keys(Pad.pressed), want);
            EXPECT_EQ(PadInfo.action, 0);
        }
    });
}

TEST(Keys, OtherKeysChangeNothing) {
    as_game([] {
        frame({key_down(VK_L), key_down(0x41), key_down(0x1B), key_up(VK_R), key_up(0x41)});
        EXPECT_EQ(keys(PadInfo), (std::array<int, 5>{0, 0, 0, 1, 0}));
        EXPECT_EQ(keys(Pad.held), (std::array<int, 5>{0, 0, 0, 1, 0}));
        // every key message is answered 0, known or not
        EXPECT_EQ(MainProc(kz_hwnd, 256, 0x41, 1), 0);
        EXPECT_EQ(MainProc(kz_hwnd, 257, 0x41, 1), 0);
        EXPECT_EQ(MainProc(kz_hwnd, 256, VK_U, 1), 0);
        EXPECT_EQ(MainProc(kz_hwnd, 257, VK_U, 1), 0);
        EXPECT_EQ(keys(PadInfo), (std::array<int, 5>{0, 0, 0, 1, 0}));
    });
}

TEST(Drag, OneSpriteAtATimeFollowsTheStylus) {
    as_game([] {
        Picture pic(2, 20, 20);
        KZ_CreateSprite(10, &pic.image, 20, 20, 100, 100);
        KZ_CreateSprite(11, &pic.image, 20, 20, 104, 100);
        auto both = [](uint8_t absolute11) {
            const int r10 = KZ_MoveSpriteEx(10, 0, 0);
            const int r11 = KZ_MoveSpriteEx(11, absolute11, 0);
            return std::array<int, 2>{r10, r11};
        };
        auto at = [](int n) { return std::array<int, 2>{kz_sprites[n]->x, kz_sprites[n]->y}; };
        auto drag = [] {
            const KZ_Drag& d = KZ_MovedSprite;
            return std::array<int, 7>{d.moving, d.sprite, d.x, d.y, d.dx, d.dy, d.frames};
        };
        using A2 = std::array<int, 2>;
        using A7 = std::array<int, 7>;

        // Not held: nothing to drag.
        frame();
        EXPECT_EQ(both(0), (A2{0, 0}));

        // The first one called grabs without moving; the other gets 0.
        frame({down(102, 100)});
        EXPECT_EQ(both(0), (A2{1, 0}));
        EXPECT_EQ(at(10), (A2{100, 100}));
        EXPECT_EQ(drag(), (A7{1, 10, 100, 100, 0, 0, 0}));

        // Relative moves by the stylus motion.
        frame({move(107, 98)});
        EXPECT_EQ(both(0), (A2{1, 0}));
        EXPECT_EQ(at(10), (A2{105, 98}));
        frame({move(110, 101)});
        EXPECT_EQ(both(0), (A2{1, 0}));
        EXPECT_EQ(at(10), (A2{108, 101}));
        EXPECT_EQ(at(11), (A2{104, 100}));
        EXPECT_EQ(drag(), (A7{1, 10, 108, 101, 3, 3, 0}));

        // Lifting ends the drag at the next refresh.
        frame({up()});
        EXPECT_EQ(KZ_MovedSprite.moving, 0);
        EXPECT_EQ(both(0), (A2{0, 0}));

        // Now 11, called first, grabs; absolute moves put its centre on the stylus.
        frame({down(105, 100)});
        EXPECT_EQ(KZ_MoveSpriteEx(11, 1, 0), 1);
        EXPECT_EQ(KZ_MoveSpriteEx(10, 0, 0), 0);
        frame({move(120, 130)});
        EXPECT_EQ(KZ_MoveSpriteEx(11, 1, 0), 1);
        EXPECT_EQ(at(11), (A2{120, 130}));
        EXPECT_EQ(drag(), (A7{1, 11, 120, 130, 15, 30, 0}));

        // Two refreshes without an update keep the drag; the third ends it.
        frame();
        frame();
        EXPECT_EQ(drag(), (A7{1, 11, 120, 130, 15, 30, 2}));
        EXPECT_EQ(KZ_MoveSpriteEx(10, 0, 0), 0);
        frame({move(125, 135)});
        EXPECT_EQ(KZ_MovedSprite.moving, 0);
        // so the next call grabs again instead of moving
        EXPECT_EQ(KZ_MoveSpriteEx(11, 1, 0), 1);
        EXPECT_EQ(at(11), (A2{120, 130}));
    });
}

TEST(Drag, RefusesMissingInactiveAndTransparentSprites) {
    as_game([] {
        Picture pic(3, 4, 4);
        pic.alpha[1 * 4 + 1] = 0;  // column 1, row 1: at (99, 99) for a sprite centred on (100, 100)
        KZ_CreateSprite(20, &pic.image, 4, 4, 100, 100);
        frame({down(99, 99)});
        EXPECT_EQ(KZ_MoveSpriteEx(21, 0, 0), 0);  // never created
        EXPECT_EQ(KZ_MoveSpriteEx(20, 0, 1), 0);  // pixel-exact over a transparent pixel
        EXPECT_EQ(KZ_MovedSprite.moving, 0);
        kz_sprites[20]->active = 0;
        EXPECT_EQ(KZ_MoveSpriteEx(20, 0, 0), 0);
        kz_sprites[20]->active = 1;
        frame({move(95, 99)});  // left of the box
        EXPECT_EQ(KZ_MoveSpriteEx(20, 0, 0), 0);
        frame({move(100, 99)});
        EXPECT_EQ(KZ_MoveSpriteEx(20, 0, 1), 1);
    });
}
