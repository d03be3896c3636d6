// The game loop: set-up, the title screen, rounds, levels and scoring.
#include <cstdio>

#include "game.h"

namespace game {

int16_t level;
int32_t score;
uint8_t lost;
int16_t combo;
uint8_t combodown;

KZ_Image* title_spr;
KZ_Image* carre_spr;
KZ_Image* balls_spr;

bool demo;
void (*observer)(bool title);

namespace {

char number[100];   // level and score texts share it

KZ_Text& slot(uint8_t n) { return KZ_TextSlot[kz_textinfo.bg][n]; }

void make_text(uint8_t n, int16_t x1, int16_t y1, int16_t x2, int16_t y2, const char* text, uint16_t color) {
    KZ_CreateTextEx(kz_textinfo.bg, n, x1, y1, x2, y2, text, color, TEXT_FONT, kz_textinfo.alpha,
                    kz_textinfo.spacing, kz_textinfo.linespacing, kz_textinfo.align, 100);
}

// A number changes in place: the slot keeps its own box and settings.
void show_number(uint8_t n) {
    const KZ_Text& s = slot(n);
    KZ_CreateTextEx(kz_textinfo.bg, n, s.x1, s.y1, s.x2, s.y2, number, s.color, s.font, s.alpha, s.spacing,
                    s.linespacing, s.align, 16777216);
}

void refresh(bool title) {
    if (demo) pilot(title);
    if (observer) observer(title);
    KZ_Refresh();
}

void setup() {
    number[0] = 0;
    KZ_Init();
    KZ_CreateSprite(SPR_QUIT, &kz_quit, 16, 16, 232, 8);
    KZ_InitDebug(0);
    kz_showfps = 0;
    KZ_LoadTextBg(TEXT_LAYER);
    kz_fade.prio = 4;
    KZ_SetTextFontGif(TEXT_FONT, impact, impact_size);
    carre_spr = KZ_GifToSprite(carre, carre_size);
    balls_spr = KZ_GifToSprite(ball_gif, ball_gif_size);
    title_spr = KZ_GifToSprite(title, title_size);
    KZ_CreateSprite(SPR_TITLE, title_spr, 238, 37, 120, 160);
    kz_sprites[SPR_TITLE]->prio = 4;
    for (int n = 256; n < 1024; n++) {
        KZ_CreateSprite(n, balls_spr, 8, 8, 120, 160);
        kz_sprites[n]->active = 0;
    }
    KZ_CreateSprite(SPR_CURSOR, carre_spr, 16, 16, Stylus.x, Stylus.y);
    kz_sprites[SPR_CURSOR]->frame = 1;
    combo = 0;
    UpdateColor();
    FillAngles();
    for (Spark& s : spark) s.active = 0;
}

// Waits for a new press, while the last round's remains die down. True when
// the press is on the quit button.
bool title_screen() {
    kz_textinfo.align = 2;
    make_text(10, 0, 230, 239, 319, "Touch Screen to Start", 0);
    refresh(true);
    combodown = 0;
    while (!Stylus.pressed) {
        combo = combo - 4 < 0 ? 0 : int16_t(combo - 4);
        UpdateColor();
        KZ_Sprite* logo = kz_sprites[SPR_TITLE];
        if (logo->alpha <= 31) logo->alpha++;
        for (int i = 0; i < ncarres; i++) {
            if (carres[i].life <= 0) continue;
            carres[i].life--;
            if (carres[i].life == 0)
                kz_sprites[SPR_CARRE + i]->active = 0;
            else
                kz_sprites[SPR_CARRE + i]->zoom = carres[i].life * 64;
        }
        MoveSparks();
        refresh(true);
    }
    return KZ_SpriteTouched(SPR_QUIT);
}

void round_start() {
    for (int k = 0; k < MAXSPARKS; k++) {
        if (!spark[k].active) continue;
        kz_sprites[SPR_SPARK + k]->active = 0;
        spark[k].active = 0;
    }
    combo = 0;
    nsparks = 0;
    KZ_ClearText(10);
    for (int n = 256; n < 1024; n++) kz_sprites[n]->active = 0;
    for (int i = 0; i < 256; i++) nlibre[i] = uint16_t(i);
    KZ_Sprite* cursor = kz_sprites[SPR_CURSOR];
    cursor->x = Stylus.x;
    cursor->y = Stylus.y;
    cursor->active = 1;
    lost = 0;
    level = 0;
    score = 0;
    nballs = 0;
    ncarres = 0;
    AjouterCarre();
    kz_textinfo.align = 0;
    make_text(0, 32, 8, 240, 191, "Level  :", 1);
    make_text(1, 32, 296, 240, 191, "Score  :", 1);
    make_text(3, 112, 8, 160, 72, number, 1);
    make_text(4, 112, 296, 200, 96, "", 1);
}

}  // namespace

bool FrameLogic(int32_t& shown) {
    if (combodown > 0)
        combodown--;
    else if (combo > 0) {
        combo--;
        combodown = 40;
    }
    for (int i = 0; i < ncarres; i++) {
        if (carres[i].life <= 15) {
            carres[i].life++;
            kz_sprites[SPR_CARRE + i]->zoom = carres[i].life * 64;
        } else if (KZ_SpriteTouched(SPR_CARRE + i)) {
            lost = 1;
        }
    }
    MoveSparks();
    for (int pass = 0; pass < 3 && nballs > 0; pass++)
        for (int p = 0; p < nballs;) p += DeplacerBall(uint8_t(p)) + 1;
    if (score != shown) {
        std::snprintf(number, sizeof number, "%d", int(score));
        show_number(4);
        shown = score;
    }
    KZ_Sprite* cursor = kz_sprites[SPR_CURSOR];
    cursor->x = Stylus.x;
    cursor->y = Stylus.y;
    KZ_Sprite* logo = kz_sprites[SPR_TITLE];
    if (logo->alpha > 9) logo->alpha--;
    return KZ_SpriteTouched(SPR_QUIT);
}

int main() {
    setup();
    for (;;) {
        if (title_screen()) return 0;
        round_start();
        int32_t shown = -1;
        while (!lost) {
            level = int16_t(level + 1);
            std::snprintf(number, sizeof number, "%02d", int(level));
            show_number(3);
            if (level % 8 == 0) AjouterCarre();
            for (int n = 0; n < level; n++) AjouterBall();
            while (!lost && nballs > 0) {
                if (FrameLogic(shown)) return 0;
                refresh(false);
                UpdateColor();  // the colour for the next frame
            }
        }
    }
}

}  // namespace game
