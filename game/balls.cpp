// The balls: they come in from beyond the edges and home in on the cursor.
#include <cstdlib>

#include "game.h"

namespace game {

Ball balls[256];
uint16_t nballs;
uint16_t nball[256];
uint16_t nlibre[256];

namespace {

int32_t clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : v > hi ? hi : v; }

int16_t cosine(int a) { return KZ_SIN[(a + 128) & 511]; }
int16_t sine(int a) { return KZ_SIN[a & 511]; }

}  // namespace

void SpawnPoint(int a, int32_t& x, int32_t& y) {
    // 180 pixels from the screen's centre in direction a, then onto the
    // ring 8 pixels outside the screen.
    y = clamp(160 - ((45 * sine(a)) >> 6), -8, 328);
    x = clamp(120 + ((45 * cosine(a)) >> 6), -8, 248);
}

void AjouterBall() {
    if (nballs == MAXBALLS) return;
    uint8_t i = uint8_t(nlibre[nballs]);
    nball[nballs] = i;
    int32_t x, y;
    SpawnPoint(std::rand() & 511, x, y);
    Ball& b = balls[i];
    b.x = x;
    b.y = y;
    b.vx = 0;
    b.vy = 0;
    b.speed = uint8_t(std::rand() % 3);
    b.fx = x * 256;
    b.fy = y * 256;
    // Placed for real by its first sub-step, before anything is drawn.
    KZ_CreateSprite(SPR_BALL + i, balls_spr, 8, 8, 300, 300);
    kz_sprites[SPR_BALL + i]->frame = b.speed;
    nballs++;
}

int8_t DeplacerBall(uint8_t position) {
    uint8_t i = uint8_t(nball[position]);
    Ball& b = balls[i];
    int t = KZ_GetAngle(b.x, b.y, Stylus.x, Stylus.y);
    int32_t k = b.speed + 3;
    // Accelerate towards the cursor, then lose 1/128 of the speed.
    b.vx += (cosine(t) * k) >> 1;
    b.vx -= b.vx >> 7;
    b.vy += (sine(t) * k) >> 1;
    b.vy -= b.vy >> 7;
    b.fx += b.vx >> 6;
    b.fy -= b.vy >> 6;
    b.x = b.fx >> 8;
    b.y = b.fy >> 8;

    int32_t dx = Stylus.x - b.x, dy = Stylus.y - b.y;
    if (int64_t(dx) * dx + int64_t(dy) * dy <= 15) {
        lost = 1;
        return 0;
    }

    bool hit = false;
    for (int j = 0; j < ncarres; j++)
        if (carres[j].x - 10 < b.x && b.x < carres[j].x + 10 && carres[j].y - 10 < b.y && b.y < carres[j].y + 10)
            hit = true;
    if (hit) {
        nballs--;
        nball[position] = nball[nballs];
        nlibre[nballs] = i;
        kz_sprites[SPR_BALL + i]->active = 0;
        combo = int16_t(combo + 1);
        score = int32_t(uint32_t(score) + uint32_t(combo));
        combodown = 40;
        AddSparks(i);
        return -1;
    }

    KZ_Sprite* s = kz_sprites[SPR_BALL + i];
    if (b.x >= -3 && b.x <= 243 && b.y >= -3 && b.y <= 323) {
        s->x = int16_t(b.x);
        s->y = int16_t(b.y);
        s->frame = int16_t(b.speed * 2);
        s->angle = 0;
    } else {
        // Off the screen: an arrow head on the inner margin, pointing inwards.
        s->x = int16_t(clamp(b.x, 5, 234));
        s->y = int16_t(clamp(b.y, 5, 314));
        s->frame = int16_t(b.speed * 2 + 1);
        s->angle = KZ_GetAngle(b.x, b.y, 120, 160);
    }
    return 0;
}

}  // namespace game
