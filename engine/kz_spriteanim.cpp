// Sprite animation: a sprite steps through a range of its frames on its own,
// at a rate measured against the frame rate.
#include "ZAriz.h"

void KZ_StartSpriteAnimEx(int16_t n, int16_t first, int16_t last, uint16_t speed, uint8_t pingpong,
                          int16_t loops) {
    KZ_Sprite& s = *kz_sprites[n];
    s.animcount = 0;
    s.animpingpong = pingpong;
    s.animspeed = int16_t(speed);
    s.animloops = loops;
    if (first <= last) {
        s.animfirst = first;
        s.animlast = last;
        s.animstep = 1;
    } else {
        // A range given high to low plays downward from `first`: the bounds
        // are kept in ascending order and the step is negative.
        s.animfirst = last;
        s.animlast = first;
        s.animstep = -1;
    }
    s.frame = first;
    s.animon = 1;
}

void KZ_UpdateSpriteAnim(int16_t n) {
    KZ_Sprite& s = *kz_sprites[n];
    if (!s.animon) return;
    s.animcount = uint8_t(s.animcount + s.animspeed);

    // A measured rate of 0 means frames of over two seconds; counting it as 1
    // keeps the loop finite (at most 255 steps) and the animation in time.
    const int fps = kz_FPS > 0 ? kz_FPS : 1;
    while (s.animon && s.animcount >= fps) {
        s.animcount = uint8_t(s.animcount - fps);
        s.frame = int16_t(s.frame + s.animstep);
        const bool left = (s.animstep > 0 && s.frame > s.animlast) || (s.animstep < 0 && s.frame < s.animfirst);
        if (!left) continue;
        if (s.animpingpong) {
            s.animstep = int16_t(-s.animstep);
            s.frame = int16_t(s.frame + (s.animloops == 1 ? 1 : 2) * s.animstep);
            // A one-frame range would bounce past its own bound: stay on it.
            // Only then: a frame the game moved outside the range bounces
            // back toward it as usual.
            if (s.animfirst == s.animlast) s.frame = s.animfirst;
        } else {
            // Wrap to where the range starts: its low end when it runs upward,
            // its high end when it was given high to low.
            s.frame = s.animstep > 0 ? s.animfirst : s.animlast;
        }
        s.animloops = int16_t(s.animloops - 1);
        if (s.animloops == 0) s.animon = 0;
        else if (s.animloops < 0) s.animloops = -1;
    }
}
