// Start-up, the frame loop and its pacing, the window procedure, presentation,
// full screen and the fade, driven through the real WinMain on the headless
// display.
#include <gtest/gtest.h>

#include <vector>

#include "support/harness.h"

namespace {

constexpr int kPixels = KZ_SCREEN_W * KZ_SCREEN_H;

TEST(StartUp, GlobalsStartAsDocumentedAndInitSetsOnlyItsShare) {
    engine_reset();
    EXPECT_EQ(kz_FPS, 40);
    EXPECT_EQ(kz_FPSms, 25);
    EXPECT_EQ(kz_destFPS, 40);
    EXPECT_EQ(kz_showfps, 1);
    EXPECT_EQ(kz_refresh, 1);
    EXPECT_EQ(kz_transpcolor, 0xF81F);
    EXPECT_EQ(kz_cursprite, -1);
    EXPECT_EQ(kz_minsprite, 4096);
    EXPECT_EQ(kz_maxsprite, -1);
    EXPECT_EQ(kz_fade.level, 0);

    KZ_SetWindowLimits(3, 1, 2, 3, 4);
    kz_bgcolor = 0x1234;
    zp::set_seed(77);
    KZ_Init();
    int first = rand();
    KZ_Init();
    EXPECT_EQ(rand(), first) << "KZ_Init seeds the generator";
    EXPECT_EQ(Stylus.x, 120);
    EXPECT_EQ(Stylus.y, 160);
    EXPECT_EQ(kz_fade.level, 32);
    EXPECT_EQ(kz_fade.color, 0);
    EXPECT_EQ(kz_fade.prio, 0);
    EXPECT_EQ(kz_fade.x2, 239);
    EXPECT_EQ(kz_fade.y2, 319);
    EXPECT_EQ(kz_window[0].x2, 239);
    EXPECT_EQ(kz_window[0].y2, 319);
    // Left alone:
    EXPECT_EQ(kz_window[3].x1, 1);
    EXPECT_EQ(kz_window[3].y2, 4);
    EXPECT_EQ(kz_bgcolor, 0x1234);
}

TEST(Window, MainProcAnswersAsTabled) {
    run_game([] {
        struct Case {
            UINT message;
            WPARAM wparam;
            LPARAM lparam;
            LRESULT result;
        } cases[] = {
            {WM_ERASEBKGND, 0, 0, -1},
            {WM_KEYDOWN, 0x41, 0, 0},  // another key: nothing changes
            {WM_KEYUP, 0x41, 0, 0},
        };
        KZ_Keys before = PadInfo;
        for (const Case& c : cases) EXPECT_EQ(MainProc(kz_hwnd, c.message, c.wparam, c.lparam), c.result);
        EXPECT_EQ(0, memcmp(&before, &PadInfo, sizeof before));

        struct Key {
            UINT vk;
            uint8_t KZ_Keys::*slot;
            bool up_clears;
        } keys[] = {
            {VK_RETURN, &KZ_Keys::action, false}, {VK_LEFT, &KZ_Keys::left, true},
            {VK_UP, &KZ_Keys::up, true},          {VK_RIGHT, &KZ_Keys::right, true},
            {VK_DOWN, &KZ_Keys::down, true},
        };
        for (const Key& k : keys) {
            EXPECT_EQ(MainProc(kz_hwnd, WM_KEYDOWN, k.vk, 0), 0);
            EXPECT_EQ(PadInfo.*k.slot, 1) << k.vk;
            EXPECT_EQ(MainProc(kz_hwnd, WM_KEYUP, k.vk, 0), 0);
            EXPECT_EQ(PadInfo.*k.slot, k.up_clears ? 0 : 1) << k.vk;
        }

        EXPECT_EQ(MainProc(kz_hwnd, WM_LBUTTONDOWN, 1, MAKELPARAM(-3, -70)), 0);
        EXPECT_EQ(stylusheld, 1);
        EXPECT_EQ(stylusx, -3);
        EXPECT_EQ(stylusy, -70);
        EXPECT_EQ(MainProc(kz_hwnd, WM_MOUSEMOVE, 1, MAKELPARAM(17, 300)), 0);
        EXPECT_EQ(stylusx, 17);
        EXPECT_EQ(stylusy, 300);
        EXPECT_EQ(MainProc(kz_hwnd, WM_LBUTTONUP, 0, MAKELPARAM(50, 50)), 0);
        EXPECT_EQ(stylusheld, 0);
        EXPECT_EQ(stylusx, 17) << "stylus up leaves the position";
        return 0;
    });
}

TEST(Window, CreationEntersFullScreenAndLeavingRestoresTheDesktop) {
    run_game([] {
        RECT r;
        GetWindowRect(kz_hwnd, &r);
        EXPECT_EQ(r.left, 0);
        EXPECT_EQ(r.top, 0);
        EXPECT_EQ(r.right, 240);
        EXPECT_EQ(r.bottom, 320);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
        EXPECT_EQ(r.bottom, 320);
        GetWindowRect(hWndTaskBar, &r);
        EXPECT_EQ(r.top, 320) << "task bar below the screen";
        GetWindowRect(hWndInputPanel, &r);
        EXPECT_EQ(r.bottom, 320) << "input panel at the bottom";
        GetWindowRect(hWndSipButton, &r);
        EXPECT_EQ(r.left, 0);
        EXPECT_EQ(r.top, 320);

        DisableFullScreen(kz_hwnd);
        GetWindowRect(kz_hwnd, &r);
        LONG bar = rtTaskBar.bottom - rtTaskBar.top;
        EXPECT_EQ(r.left, rtDesktop.left);
        EXPECT_EQ(r.top, rtDesktop.top);
        EXPECT_EQ(r.bottom - r.top, rtDesktop.bottom - rtDesktop.top - bar);
        RECT area;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        EXPECT_EQ(area.top, rtDesktop.top);
        EXPECT_EQ(area.bottom, rtDesktop.bottom);
        GetWindowRect(hWndTaskBar, &r);
        EXPECT_EQ(r.top, rtTaskBar.top);
        GetWindowRect(hWndInputPanel, &r);
        EXPECT_EQ(r.bottom, rtDesktop.bottom - bar);
        EnableFullScreen(kz_hwnd);
        return 0;
    });
}

TEST(Window, StartUpPaintsTheBlackBufferOnceAndRecordsThePath) {
    run_game([] {
        EXPECT_EQ(zp::headless_paints(), 1u);
        EXPECT_NE(hbitmap, nullptr);
        EXPECT_NE(KZ_Path, nullptr);
        size_t n = KZ_Path ? strlen(KZ_Path) : 0;
        EXPECT_GT(n, 0u);
        if (n) {
            EXPECT_EQ(KZ_Path[n - 1], '\\');
        }
        return 0;
    });
    EXPECT_EQ(KZ_Path, nullptr) << "freed at shut-down";
}

// A call asks for a repaint at the end of its wait; the paint is served during
// the next call's wait, after that call has composed: the window always shows
// the most recently composed frame.
TEST(FrameLoop, RepaintAskedInOneCallIsServedInTheNext) {
    run_game([] {
        KZ_Init();
        kz_showfps = 0;
        unsigned paints = zp::headless_paints();
        kz_bgcolor = 0x1111;
        KZ_Refresh();
        EXPECT_EQ(zp::headless_paints(), paints) << "nothing asked for a paint yet";
        EXPECT_EQ(zp::last_picture()[0], 0);
        for (uint16_t color : {0x2222, 0x3333}) {
            kz_bgcolor = color;
            KZ_Refresh();
            EXPECT_EQ(zp::headless_paints(), ++paints);
            EXPECT_EQ(zp::last_picture()[0], color);
            EXPECT_EQ(zp::last_picture()[kPixels - 1], color);
        }
        return 0;
    });
}

TEST(FrameLoop, PacingAndFrameRateOnASteadyClock) {
    run_game(
        [] {
            KZ_Init();
            kz_showfps = 0;
            uint32_t start = zp::headless_time();
            KZ_Refresh();
            EXPECT_EQ(zp::headless_time() - start, 32u) << "first deadline 32 ms after the call";
            std::vector<int> fps;
            for (int frame = 2; frame <= 100; frame++) {
                uint32_t before = zp::headless_time();
                KZ_Refresh();
                EXPECT_EQ(zp::headless_time() - before, 25u);
                fps.push_back(kz_FPS);
            }
            // fps[k] is kz_FPS after frame k + 2.
            for (int frame = 2; frame <= 31; frame++) EXPECT_EQ(fps[size_t(frame - 2)], 40) << frame;
            EXPECT_EQ(fps[32 - 2], 38);
            EXPECT_EQ(fps[63 - 2], 38);
            EXPECT_EQ(fps[64 - 2], 39);
            EXPECT_EQ(fps[96 - 2], 40);
            EXPECT_EQ(fps[100 - 2], 40);
            return 0;
        },
        1000);
}

TEST(FrameLoop, LateFrameSampleTimersAndFrameRates) {
    run_game([] {
        KZ_Init();
        kz_showfps = 0;
        KZ_Refresh();
        KZ_Refresh();
        // Work taking 40 ms: the next wait ends at once and the sample is 8000/40 + 4.
        zp::headless_advance(40);
        uint8_t slot = kz_nfps;
        uint32_t before = zp::headless_time();
        KZ_Refresh();
        EXPECT_EQ(zp::headless_time(), before) << "deadline already passed";
        EXPECT_EQ(kz_fpscnt[slot], 204u);
        // The next deadline counts from the end of that wait.
        before = zp::headless_time();
        KZ_Refresh();
        EXPECT_EQ(zp::headless_time() - before, 25u);

        kz_timeron[5] = 1;
        KZ_Timer[5] = 0;
        for (int i = 0; i < 3; i++) KZ_Refresh();
        kz_timeron[5] = 0;
        KZ_Refresh();
        EXPECT_EQ(KZ_Timer[5], 75u);

        struct {
            uint16_t rate;
            int32_t ms;
        } rates[] = {{30, 33}, {40, 25}, {60, 16}, {0, 0}, {2000, 0}};
        for (auto r : rates) {
            KZ_SetFrameRate(r.rate);
            EXPECT_EQ(kz_FPSms, r.ms) << r.rate;
            EXPECT_EQ(kz_destFPS, r.rate);
        }
        // A period of 0: every wait ends at the first empty poll.
        KZ_SetFrameRate(0);
        KZ_Refresh();
        before = zp::headless_time();
        KZ_Refresh();
        EXPECT_LE(zp::headless_time() - before, 1u);
        KZ_SetFrameRate(40);
        return 0;
    });
}

TEST(FrameLoop, StylusOffTheScreenIsClampedAndLifted) {
    run_game([] {
        KZ_Init();
        kz_showfps = 0;
        KZ_Refresh();
        uint32_t t = zp::headless_time();
        zp::headless_script(t + 5, zp::Ev::StylusDown, 250, -4);
        KZ_Refresh();
        EXPECT_EQ(stylusx, 239);
        EXPECT_EQ(stylusy, 0);
        EXPECT_EQ(stylusheld, 0);
        EXPECT_EQ(Stylus.held, 0);
        EXPECT_EQ(Stylus.pressed, 0);
        return 0;
    });
}

TEST(FrameLoop, ClearedRefreshFlagSkipsOneCompose) {
    run_game([] {
        KZ_Init();
        kz_showfps = 0;
        kz_bgcolor = 0x0101;
        KZ_Refresh();
        kz_bgcolor = 0x0202;
        kz_refresh = 0;
        KZ_Refresh();
        EXPECT_EQ(kz_buffer[100], 0x0101);
        EXPECT_EQ(kz_refresh, 1);
        KZ_Refresh();
        EXPECT_EQ(kz_buffer[100], 0x0202);
        return 0;
    });
}

TEST(FrameLoop, QuitMessageEndsOneWaitWithoutRepaint) {
    run_game([] {
        KZ_Init();
        kz_showfps = 0;
        KZ_Refresh();
        KZ_Refresh();
        unsigned paints = zp::headless_paints();
        uint32_t before = zp::headless_time();
        PostQuitMessage(0);
        uint8_t slot = kz_nfps;
        KZ_Refresh();
        EXPECT_EQ(zp::headless_time(), before) << "the wait ended at once";
        EXPECT_EQ(kz_fpscnt[slot], 4u) << "dt 0 gives a sample of 4";
        // The quit message comes before the pending paint, so this wait ended
        // without painting; the paint asked for earlier is served next time.
        EXPECT_EQ(zp::headless_paints(), paints);
        KZ_Refresh();
        EXPECT_EQ(zp::headless_paints(), paints + 1);
        EXPECT_EQ(zp::headless_time() - before, 25u) << "the old deadline still stands";
        return 0;
    });
}

TEST(FrameLoop, ClosingTheWindowEndsTheProgram) {
    int frames = 0;
    bool cleaned = false;
    int result = run_game([&] {
        KZ_Init();
        kz_showfps = 0;
        KZ_BgLoadBitmap(3, 8, 8, 0);
        zp::headless_script(zp::headless_time() + 100, zp::Ev::Close);
        for (;;) {
            KZ_Refresh();
            if (++frames > 1000) break;
        }
        cleaned = true;  // never reached: the close leaves the game
        return 0;
    });
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(cleaned);
    EXPECT_LT(frames, 10);
    EXPECT_EQ(kz_bg[3].active, 0) << "kz_clean ran";
    EXPECT_EQ(hbitmap, nullptr);
}

TEST(FrameLoop, FrameLimitClosesCleanlyAfterNFrames) {
    int frames = 0;
    int result = run_game([&] {
        zp::set_frame_limit(7);
        KZ_Init();
        for (;;) {
            KZ_Refresh();
            frames++;
        }
        return 0;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(frames, 7);
}

TEST(Fade, BlendsTowardsItsColourByLevel) {
    engine_reset();
    KZ_Init();
    struct Case {
        uint16_t pixel;
        uint8_t level;
        uint16_t color;
        uint16_t expect;
    } cases[] = {
        {0xFFFF, 16, 0x0000, 0x7BEF},
        {0xFFFF, 0, 0x0000, 0x0000},
        {0xFFFF, 32, 0x0000, 0xFFFF},
        {0x001F, 24, 0xF800, 0x3817},  // red over blue with weight 8
    };
    for (const Case& c : cases) {
        std::fill_n(kz_buffer, kPixels, c.pixel);
        kz_fade.level = c.level;
        kz_fade.color = c.color;
        kz_bgcolor = c.pixel;
        kz_whenrefresh();
        EXPECT_EQ(kz_buffer[12345], c.expect) << int(c.level);
    }

    // A one-pixel rectangle changes that pixel alone.
    KZ_SetFadeLimits(10, 20, 10, 20);
    kz_fade.level = 16;
    kz_fade.color = 0;
    kz_bgcolor = 0xFFFF;
    kz_whenrefresh();
    EXPECT_EQ(kz_buffer[20 * 240 + 10], 0x7BEF);
    EXPECT_EQ(kz_buffer[20 * 240 + 11], 0xFFFF);
    EXPECT_EQ(kz_buffer[19 * 240 + 10], 0xFFFF);
}

TEST(Fade, FadeInAndOutRunOneFramePerLevel) {
    struct Case {
        bool in;
        uint8_t step;
        std::vector<int> levels;
    } cases[] = {
        {false, 5, {32, 27, 22, 17, 12, 7, 2}},
        {true, 4, {0, 4, 8, 12, 16, 20, 24, 28, 32}},
        {true, 3, {0, 3, 6, 9, 12, 15, 18, 21, 24, 27, 30}},
        {false, 40, {32}},
        {true, 0, {0}},  // a step of 0 runs one level instead of never ending
    };
    for (const Case& c : cases) {
        std::vector<int> seen;
        run_game([&] {
            KZ_Init();
            kz_showfps = 0;
            KZ_Refresh();
            uint32_t start = zp::headless_time();
            if (c.in)
                KZ_FadeIn(c.step);
            else
                KZ_FadeOut(c.step);
            seen.push_back(int((zp::headless_time() - start) / 25));
            seen.push_back(kz_fade.level);
            return 0;
        });
        EXPECT_EQ(seen[0], int(c.levels.size())) << "frames, step " << int(c.step);
        EXPECT_EQ(seen[1], c.levels.back()) << "last level, step " << int(c.step);
    }
}

}  // namespace
