#include "support/harness.h"

#include <algorithm>
#include <cstring>


HINSTANCE test_instance() {
    static int token;
    return reinterpret_cast<HINSTANCE>(&token);
}

void engine_reset() {
    kz_cleanspritealloc();
    KZ_InitSprites();
    KZ_ResetBg();
    kz_cleanfonts();
    kz_minsprite = 4096;
    kz_maxsprite = -1;

    kz_FPS = 40;
    kz_destFPS = 40;
    kz_FPSms = 25;
    kz_showfps = 1;
    kz_refresh = 1;
    kz_nfps = 0;
    std::fill_n(kz_fpscnt, 64, 0u);
    kz_fps_first = 0;
    std::fill_n(kz_timeron, 16, uint8_t(0));
    std::fill_n(KZ_Timer, 16, 0u);
    kz_hwnd = nullptr;
    kz_instance = nullptr;
    hbitmap = nullptr;
    std::fill_n(kz_buffer, KZ_SCREEN_W * KZ_SCREEN_H, uint16_t(0));
    stylusx = stylusy = 0;
    stylusheld = 0;
    kz_resetframeloop();

    kz_cursprite = -1;
    kz_curwindow = 0;
    alphalayer = nullptr;
    kz_transpcolor = 0xF81F;
    kz_bgcolor = 0;
    kz_fade = {};
    std::fill_n(kz_window, 16, KZ_Window{0, 0, 0, 0});
    kz_window[0] = {0, 0, KZ_SCREEN_W - 1, KZ_SCREEN_H - 1};

    std::fill_n(kz_bg, 16, KZ_Bg{});
    kz_textinfo = {0, 1, 0, 32, 0};
    KZ_LetterPos.count = 0;
    kz_debug_color = 0;
    debug_width = debug_height = 0;
    std::fill_n(kz_debugmap, 4096, 0u);
    std::fill_n(pal, 256, uint16_t(0));
    kz_debugtruemap = nullptr;

    Stylus = {};
    Pad = {};
    PadInfo = {};
    KZ_MovedSprite = {};
    kz_debug_bg = -1;
    KZ_GifInfo = {0, 0, 0, 1.0f, 1};
    kz_dovecto = nullptr;

    hWndTaskBar = hWndSipButton = hWndInputPanel = nullptr;
    rtDesktop = rtNewDesktop = rtTaskBar = rtSipButton = rtInputPanel = RECT{};
}
