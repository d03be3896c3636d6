// Engine initialisation, the scene compositor, the fade and the clip windows.
#include <algorithm>
#include <cstdlib>

#include "ZAriz.h"
#include "platform/display.h"

KZ_Window kz_window[16];
uint8_t kz_curwindow = 0;
int16_t kz_cursprite = -1;
uint8_t* alphalayer = nullptr;
uint16_t kz_transpcolor = 0xF81F;
uint16_t kz_bgcolor = 0;
KZ_Fade kz_fade;
int16_t prio_nsprite[1024];
int16_t prio_nextsprite[KZ_MAXSPRITES];
int8_t prio_nbg[1024];
int8_t prio_nextbg[16];

void KZ_SetWindowLimits(int n, int16_t x1, int16_t y1, int16_t x2, int16_t y2) {
    // The table has 16 windows; a larger number wraps into it rather than past it.
    kz_window[uint8_t(n) & 15] = {x1, y1, x2, y2};
}

void KZ_Init() {
    KZ_InitStylus();
    KZ_InitSprites();
    srand(zp::random_seed());
    KZ_SetFadeLimits(0, 0, KZ_SCREEN_W - 1, KZ_SCREEN_H - 1);
    kz_fade.level = 32;
    kz_fade.color = 0;
    kz_fade.prio = 0;
    KZ_SetWindowLimits(0, 0, 0, KZ_SCREEN_W - 1, KZ_SCREEN_H - 1);
}

void KZ_SetFadeLimits(int16_t x1, int16_t y1, int16_t x2, int16_t y2) {
    kz_fade.x1 = x1;
    kz_fade.y1 = y1;
    kz_fade.x2 = x2;
    kz_fade.y2 = y2;
}

void kz_dotransp() {
    // The rectangle is the caller's to keep on the screen; what lies off it is
    // not drawn rather than written outside the frame buffer.
    int x1 = std::max<int>(kz_fade.x1, 0), x2 = std::min<int>(kz_fade.x2, KZ_SCREEN_W - 1);
    int y1 = std::max<int>(kz_fade.y1, 0), y2 = std::min<int>(kz_fade.y2, KZ_SCREEN_H - 1);
    const int weight = 32 - kz_fade.level;
    for (int y = y1; y <= y2 && x1 <= x2; y++)
        kz_blendspan(kz_buffer + y * KZ_SCREEN_W + x1, kz_fade.color, x2 - x1 + 1, weight);
}

void kz_whenrefresh() {
    std::fill_n(kz_buffer, KZ_SCREEN_W * KZ_SCREEN_H, kz_bgcolor);
    std::fill_n(prio_nsprite, 1024, int16_t(-1));
    std::fill_n(prio_nbg, 1024, int8_t(-1));

    // Linking in rising order leaves each list running from the highest number
    // to the lowest, so lower numbers are drawn last, in front. Priorities
    // outside 0..1023 have no list and are not drawn.
    for (int32_t n = std::max(kz_minsprite, 0); n <= std::min(kz_maxsprite, KZ_MAXSPRITES - 1); n++) {
        const KZ_Sprite* s = kz_sprites[n];
        if (s && s->active && s->alpha > 0 && s->zoom != 0 && s->prio >= 0 && s->prio < 1024) {
            prio_nextsprite[n] = prio_nsprite[s->prio];
            prio_nsprite[s->prio] = int16_t(n);
        }
    }
    for (int layer = 0; layer < 16; layer++) {
        const KZ_Bg& bg = kz_bg[layer];
        if (bg.active && bg.alpha > 0 && bg.prio < 1024) {
            prio_nextbg[layer] = prio_nbg[bg.prio];
            prio_nbg[bg.prio] = int8_t(layer);
        }
    }

    for (int p = 1023; p >= 0; p--) {
        for (int layer = prio_nbg[p]; layer != -1; layer = prio_nextbg[layer]) KZ_ShowBg(uint8_t(layer));
        for (int n = prio_nsprite[p]; n != -1; n = prio_nextsprite[n]) KZ_ShowSprite(int16_t(n));
        if (kz_fade.prio == p && kz_fade.level != 32) kz_dotransp();
    }
}

void KZ_FadeOut(uint8_t step) {
    // A step of 0 would never end; it runs the first level alone, like a step
    // too large for a second one.
    for (int level = 32; level >= 0; level -= step) {
        kz_fade.level = uint8_t(level);
        KZ_Refresh();
        if (step == 0) break;
    }
}

void KZ_FadeIn(uint8_t step) {
    for (int level = 0; level <= 32; level += step) {
        kz_fade.level = uint8_t(level);
        KZ_Refresh();
        if (step == 0) break;
    }
}
