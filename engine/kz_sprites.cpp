// The sprite table and the drawing of one sprite.
#include "ZAriz.h"

KZ_Sprite* kz_sprites[KZ_MAXSPRITES];
int32_t kz_minsprite = KZ_MAXSPRITES;
int32_t kz_maxsprite = -1;

static void kz_copyimage(KZ_Sprite& s, const KZ_Image* image) {
    s.depth = uint8_t(image->depth);
    s.full = uint8_t(image->full);
    s.palette = image->palette;
    s.pixels = image->pixels;
    s.alphaplane = image->alpha;
    s.rlelist = image->rlelist;
    s.rle = image->rle;
}

void KZ_CreateSprite(int n, const KZ_Image* image, uint16_t w, uint16_t h, int16_t x, int16_t y) {
    // Records are zeroed when first made, so the animation fields read as
    // off even before an animation is ever started.
    if (!kz_sprites[n]) kz_sprites[n] = new KZ_Sprite{};
    KZ_Sprite& s = *kz_sprites[n];

    const int16_t number = int16_t(n);
    if (number < kz_minsprite) kz_minsprite = number;
    if (number > kz_maxsprite) kz_maxsprite = number;

    s.active = 1;
    s.x = x;
    s.y = y;
    s.framew = s.w = int16_t(w);
    s.frameh = s.h = int16_t(h);
    kz_copyimage(s, image);
    s.prio = 0;
    s.frame = 0;
    s.animon = 0;
    s.alpha = 32;
    s.flipx = s.flipy = 0;
    s.zoom = 1024;
    s.angle = 0;
    s.window = 0;
    KZ_SetSpriteLimits(n, 0, 0, int16_t(w - 1), int16_t(h - 1));
}

void KZ_SetSpriteLimits(int n, int16_t x1, int16_t y1, int16_t x2, int16_t y2) {
    KZ_Sprite& s = *kz_sprites[n];
    s.limitx1 = x1;
    s.limity1 = y1;
    s.limitx2 = x2;
    s.limity2 = y2;
}

void KZ_SetSpriteImage(int n, const KZ_Image* image) { kz_copyimage(*kz_sprites[n], image); }

void KZ_InitSprites() {
    for (KZ_Sprite*& s : kz_sprites) {
        delete s;
        s = nullptr;
    }
}

void KZ_ShowSprite(int16_t n) {
    kz_cursprite = n;
    KZ_UpdateSpriteAnim(n);
    const KZ_Sprite& s = *kz_sprites[n];
    kz_curwindow = s.window;

    const int left = s.x - (s.w >> 1);
    const int top = s.y - (s.h >> 1);
    if (s.depth < 1 || s.depth > 3) return;

    const ptrdiff_t f = ptrdiff_t(s.frame) * s.framew * s.frameh;
    const void* P = s.depth == 1 ? static_cast<const void*>(static_cast<const uint8_t*>(s.pixels) + f)
                                 : static_cast<const void*>(static_cast<const uint16_t*>(s.pixels) + f);
    if (s.depth == 3) alphalayer = s.alphaplane ? s.alphaplane + f : nullptr;

    // Any non-zero full flag means "no transparency", as on the unrotated
    // paths; folding it to 1 keeps the index inside the depth's four entries.
    const int full = s.full != 0;

    if (s.zoom != 1024 || (s.angle & 511) != 0) {
        const int index = 4 * (s.depth - 1) + full + (s.alpha != 32 ? 2 : 0);
        KZ_CopyRot[index](P, s.depth == 1 ? s.palette : nullptr, s.w, s.h, left, top, s.alpha, s.angle, s.zoom);
        return;
    }

    const auto* p8 = static_cast<const uint8_t*>(P);
    const auto* p16 = static_cast<const uint16_t*>(P);
    if (s.flipx || s.flipy) {
        const auto fx = int8_t(s.flipx), fy = int8_t(s.flipy);
        switch (s.depth) {
        case 1: KZ_Copy8bitToScreen(p8, s.palette, s.w, s.h, left, top, s.alpha, fx, fy); break;
        case 2: KZ_Copy16bitToScreen(p16, s.w, s.h, left, top, s.alpha, fx, fy); break;
        default: KZ_Copy24bitToScreenFlip(p16, s.w, s.h, left, top, s.alpha, fx, fy); break;
        }
    } else if (full) {
        switch (s.depth) {
        case 1: KZ_Copy8bitFastCopy(p8, s.palette, s.w, s.h, left, top, s.alpha); break;
        case 2: KZ_Copy16bitFastCopy(p16, s.w, s.h, left, top, s.alpha); break;
        default: KZ_Copy24bitToScreen(p16, s.w, s.h, left, top, s.alpha); break;
        }
    } else {
        const uint16_t* R = s.rlelist + ptrdiff_t(s.frame) * s.h;
        switch (s.depth) {
        case 1: KZ_Copy8bitRLE(p8, s.palette, s.rle, R, s.w, s.h, left, top, s.alpha); break;
        case 2: KZ_Copy16bitRLE(p16, s.rle, R, s.w, s.h, left, top, s.alpha); break;
        default: KZ_Copy24bitRLE(p16, s.rle, R, s.w, s.h, left, top, s.alpha); break;
        }
    }
}
