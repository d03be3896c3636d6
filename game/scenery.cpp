// Squares, sparks and the screen colour that follows the chain counter.
#include <cstdlib>

#include "game.h"

namespace game {

Carre carres[MAXCARRES];
uint8_t ncarres;
Spark spark[MAXSPARKS];
uint16_t nsparks;
int16_t angles[16];

namespace {

int32_t dist2(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    return (x1 - x2) * (x1 - x2) + (y1 - y2) * (y1 - y2);
}

}  // namespace

void FillAngles() {
    for (int n = 0; n < 16; n++) angles[n] = int16_t(KZ_GetAngle(8, 8, (n & 3) * 4 + 2, (n >> 2) * 4 + 2));
}

void AjouterCarre() {
    // The table holds 32; a round that gets further adds no more.
    if (ncarres >= MAXCARRES) return;
    int n = ncarres;
    Carre& c = carres[n];
    for (;;) {
        c.x = std::rand() % 144 + 48;
        c.y = std::rand() % 224 + 48;
        if (dist2(c.x, c.y, Stylus.x, Stylus.y) < 400) continue;
        bool crowded = false;
        // Only the first sixteen keep their distance; later ones may overlap.
        if (n <= 15)
            for (int j = 0; j < n; j++)
                if (dist2(c.x, c.y, carres[j].x, carres[j].y) < 576) crowded = true;
        if (!crowded) break;
    }
    c.life = 0;
    KZ_CreateSprite(SPR_CARRE + n, carre_spr, 16, 16, int16_t(c.x), int16_t(c.y));
    kz_sprites[SPR_CARRE + n]->zoom = 1;
    ncarres = uint8_t(n + 1);
}

void SparkCourse(int n, int jx, int mx, int jy, int my, int32_t& dx, int32_t& dy) {
    // The piece's own direction, turned by -16..15 steps (jx, jy: 0..31), at
    // 1 to just under 3 pixels per frame; x and y are turned and sped apart.
    dx = (KZ_SIN[(angles[n] + 112 + jx) & 511] * mx) >> 8;
    dy = ((-256 - my) * KZ_SIN[(angles[n] + jy - 16) & 511]) >> 8;
}

void AddSparks(uint16_t ball) {
    const KZ_Sprite* b = kz_sprites[SPR_BALL + ball];
    int16_t px = b->x, py = b->y;
    int16_t f = int16_t(b->frame & 255);
    for (int n = 0; n < 16; n++) {
        uint16_t s = nsparks;
        Spark& k = spark[s];
        k.x = px * 256;
        k.y = py * 256;
        int jx = std::rand() & 31;
        int mx = 256 + (std::rand() & 511);
        int jy = std::rand() & 31;
        int my = std::rand() & 511;
        SparkCourse(n, jx, mx, jy, my, k.dx, k.dy);
        k.active = 1;
        KZ_CreateSprite(SPR_SPARK + s, balls_spr, 8, 8, px, py);
        kz_sprites[SPR_SPARK + s]->frame = f;
        int c = n & 3, r = n >> 2;
        KZ_SetSpriteLimits(SPR_SPARK + s, int16_t(c * 2), int16_t(r * 2), int16_t(c * 2 + 1), int16_t(r * 2 + 1));
        nsparks = uint16_t((nsparks + 1) & 1023);
    }
}

void MoveSparks() {
    for (int k = 0; k < MAXSPARKS; k++) {
        Spark& s = spark[k];
        if (!s.active) continue;
        s.x += s.dx;
        s.y += s.dy;
        // Gone 8 pixels beyond any edge, the bottom one (320) included.
        if (s.x < -2048 || s.y < -2048 || s.x > 63488 || s.y > 83968) {
            s.active = 0;
            kz_sprites[SPR_SPARK + k]->active = 0;
        } else {
            kz_sprites[SPR_SPARK + k]->x = int16_t(s.x >> 8);
            kz_sprites[SPR_SPARK + k]->y = int16_t(s.y >> 8);
        }
    }
}

void UpdateColor() {
    int c = combo;
    int red = c > 31 ? 31 : c;
    int green = c - 31 < 0 ? 0 : c - 31 > 63 ? 63 : c - 31;
    int blue = c - 93 < 0 ? 0 : c - 93 > 31 ? 31 : c - 93;
    uint16_t colour = uint16_t(red << 11 | green << 5 | blue);
    kz_fade.level = 16;
    kz_fade.color = colour;
    kz_bgcolor = colour;
}

}  // namespace game
