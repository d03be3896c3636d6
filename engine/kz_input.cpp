// Stylus and keys: per-frame records with edges, touch tests and dragging.
//
// The window procedure records raw events (stylusx, stylusy, stylusheld,
// PadInfo) while the frame loop waits; once per frame KZ_UpdateInput turns
// them into Stylus and Pad, so the records stay still while the game runs.
#include "ZAriz.h"

KZ_StylusInfo Stylus;
KZ_PadState Pad;
KZ_Keys PadInfo;
KZ_Drag KZ_MovedSprite;

namespace {

// Frame counters stop at the top of their 16 bits: a counter that wrapped
// negative after a long pause would make the next tap look like a double tap.
constexpr int16_t kCounterMax = 32767;

int16_t count_up(int16_t counter) {
    return counter < kCounterMax ? int16_t(counter + 1) : kCounterMax;
}

// Frames between two press starts that still make a double tap.
constexpr int kDoubleTapFrames = 44;

// A drag not renewed for this many refreshes is over.
constexpr int kDragFrames = 2;

bool in_box(const KZ_Sprite& s, int x, int y) {
    const int left = s.x - (s.w >> 1);
    const int top = s.y - (s.h >> 1);
    return x >= left && x < left + s.w && y >= top && y < top + s.h;
}

}  // namespace

void KZ_InitStylus() {
    Stylus.x = KZ_SCREEN_W / 2;
    Stylus.y = KZ_SCREEN_H / 2;
    Stylus.held = 0;
    Stylus.released = 0;
    Stylus.pressed = 0;
}

void KZ_UpdateInput() {
    const bool now = stylusheld != 0;
    const bool before = Stylus.held != 0;
    const bool pressed = now && !before;
    const bool released = before && !now;

    Stylus.released = released;
    Stylus.pressed = pressed;
    Stylus.held = now;
    // In the frame of a press the counters still describe the previous press
    // and the pause after it: their sum is the distance between the two starts.
    Stylus.doubletap = pressed && Stylus.heldtime + Stylus.releasedtime <= kDoubleTapFrames;

    if (pressed)
        Stylus.heldtime = 1;
    else if (now)
        Stylus.heldtime = count_up(Stylus.heldtime);
    if (released)
        Stylus.releasedtime = 1;
    else if (!now)
        Stylus.releasedtime = count_up(Stylus.releasedtime);

    if (now) {
        if (pressed) {
            Stylus.dx = 0;
            Stylus.dy = 0;
        } else {
            Stylus.dx = int16_t(stylusx - Stylus.x);
            Stylus.dy = int16_t(stylusy - Stylus.y);
        }
        Stylus.x = stylusx;
        Stylus.y = stylusy;
    }

    ++KZ_MovedSprite.frames;
    if (KZ_MovedSprite.frames > kDragFrames || !now) {
        KZ_MovedSprite.frames = 0;
        KZ_MovedSprite.moving = 0;
    }

    auto edge = [](uint8_t raw, uint8_t& held, uint8_t& rel, uint8_t& prs) {
        rel = held && !raw;
        prs = raw && !held;
        held = raw != 0;
    };
    edge(PadInfo.up, Pad.held.up, Pad.released.up, Pad.pressed.up);
    edge(PadInfo.down, Pad.held.down, Pad.released.down, Pad.pressed.down);
    edge(PadInfo.right, Pad.held.right, Pad.released.right, Pad.pressed.right);
    edge(PadInfo.left, Pad.held.left, Pad.released.left, Pad.pressed.left);
    // The action key is a pulse: one frame for every frame that saw a key-down
    // message of it, auto-repeat included; its key-up is never recorded.
    Pad.held.action = PadInfo.action;
    Pad.released.action = PadInfo.action;
    Pad.pressed.action = PadInfo.action;
    PadInfo.action = 0;
}

int KZ_SpriteTouched(int n) {
    const KZ_Sprite& s = *kz_sprites[n];
    return s.active && in_box(s, Stylus.x, Stylus.y);
}

int KZ_SpriteTouchedPix(int n) {
    const KZ_Sprite& s = *kz_sprites[n];
    if (!in_box(s, Stylus.x, Stylus.y))
        return 0;
    const int col = Stylus.x - (s.x - (s.w >> 1));
    const int row = Stylus.y - (s.y - (s.h >> 1));
    // The image as stored: flips, rotation, scale and the source rectangle do
    // not enter; the drawn size stands for the frame size.
    const size_t i = size_t(s.frame) * size_t(s.h) * size_t(s.w) + size_t(row) * size_t(s.w) + size_t(col);
    switch (s.depth) {
    case 1:
        return static_cast<const uint8_t*>(s.pixels)[i];
    case 2:
        return static_cast<const uint16_t*>(s.pixels)[i] != kz_transpcolor;
    case 3:
        return s.alphaplane[i];
    default:
        return 0;
    }
}

int KZ_MoveSpriteEx(int n, uint8_t absolute, uint8_t pixelexact) {
    KZ_Sprite* s = kz_sprites[n];
    if (s == nullptr || !s->active)
        return 0;
    if (!Stylus.held)
        return 0;

    KZ_Drag& drag = KZ_MovedSprite;
    if (!drag.moving) {
        if (!in_box(*s, Stylus.x, Stylus.y) || (pixelexact && KZ_SpriteTouchedPix(n) == 0))
            return 0;
        // Grabbing does not move the sprite: the stylus has not moved yet.
        drag.moving = 1;
        drag.sprite = uint16_t(n);
        drag.dx = 0;
        drag.dy = 0;
        drag.x = s->x;
        drag.y = s->y;
        drag.frames = 0;
        return 1;
    }
    if (drag.sprite != uint16_t(n))
        return 0;

    drag.dx = Stylus.dx;
    drag.dy = Stylus.dy;
    if (absolute) {
        s->x = Stylus.x;
        s->y = Stylus.y;
    } else {
        s->x = int16_t(s->x + Stylus.dx);
        s->y = int16_t(s->y + Stylus.dy);
    }
    drag.x = s->x;
    drag.y = s->y;
    drag.frames = 0;
    return 1;
}
