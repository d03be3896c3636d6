// Clipping and the direct, run-length and letter blitters.
//
// Every routine clips first, then picks its path once per call (opaque or
// blended, mirrored or not) and runs tight row loops. Rows go eight pixels at a
// time through small vector helpers (compiler vector extensions, so the same
// code builds for any target); only spans shorter than eight pixels, and
// opacities outside 0..32, go pixel by pixel through kz_blend itself.
#include <bit>
#include <cstring>

#include "ZAriz.h"

KZ_Limits kz_limits;

namespace {

constexpr int SW = KZ_SCREEN_W;

typedef uint16_t u16x8 __attribute__((vector_size(16)));
typedef int16_t i16x8 __attribute__((vector_size(16)));
typedef uint8_t u8x8 __attribute__((vector_size(8)));

// ---- eight pixels at a time ------------------------------------------------

inline u16x8 load8(const uint16_t* p) {
    u16x8 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store8(uint16_t* p, u16x8 v) { std::memcpy(p, &v, sizeof v); }

// Eight pixels in drawing order: p[0], p[Dir], ..., p[7 * Dir].
template <int Dir>
inline u16x8 load8(const uint16_t* p) {
    if constexpr (Dir > 0) {
        return load8(p);
    } else {
        u16x8 v = load8(p - 7);
        return __builtin_shufflevector(v, v, 7, 6, 5, 4, 3, 2, 1, 0);
    }
}

template <int Dir>
inline u16x8 widen8(const uint8_t* p) {
    u8x8 v;
    if constexpr (Dir > 0) {
        std::memcpy(&v, p, sizeof v);
    } else {
        std::memcpy(&v, p - 7, sizeof v);
        v = __builtin_shufflevector(v, v, 7, 6, 5, 4, 3, 2, 1, 0);
    }
    return __builtin_convertvector(v, u16x8);
}

template <int Dir>
inline u16x8 lookup8(const uint8_t* p, const uint16_t* palette) {
    return u16x8{palette[p[0]],       palette[p[Dir]],     palette[p[2 * Dir]], palette[p[3 * Dir]],
                 palette[p[4 * Dir]], palette[p[5 * Dir]], palette[p[6 * Dir]], palette[p[7 * Dir]]};
}

// kz_blend on eight pixels, each with its own weight. For weights 0..32 the
// packed form carries no bit from one channel into the next, so per channel
// d + floor((s - d) * a / 32) gives the very same pixels. Larger weights (an
// alpha byte above 32 is not a valid image) stay inside their lane.
inline u16x8 blend8(u16x8 s, u16x8 d, u16x8 a) {
    i16x8 w = (i16x8)a;
    i16x8 dr = (i16x8)(d >> 11), dg = (i16x8)((d >> 5) & 63), db = (i16x8)(d & 31);
    i16x8 r = dr + ((((i16x8)(s >> 11) - dr) * w) >> 5);
    i16x8 g = dg + ((((i16x8)((s >> 5) & 63) - dg) * w) >> 5);
    i16x8 b = db + ((((i16x8)(s & 31) - db) * w) >> 5);
    return ((u16x8)r << 11) | ((u16x8)g << 5) | (u16x8)b;
}

inline u16x8 splat(uint16_t v) { return u16x8{v, v, v, v, v, v, v, v}; }

// A global opacity outside 0..32 takes the scalar kz_blend.
inline bool vector_weight(int alpha) { return unsigned(alpha) <= 32; }

// Runs block(i), the new value of pixels i to i + 7 worked out from the
// destination as it was, over a span of n >= 8 pixels; the last block is
// taken from the untouched destination first and overlaps the one before it,
// so no scalar tail is left. Returns the number of pixels done: n, or 0 when
// the span is shorter than a block.
template <typename Block>
inline int each8(uint16_t* d, int n, Block block) {
    if (n < 8) return 0;
    u16x8 last = block(n - 8);
    for (int i = 0; i < n - 8; i += 8) store8(d + i, block(i));
    store8(d + n - 8, last);
    return n;
}

// ---- rows --------------------------------------------------------------------
// d is the first frame-buffer pixel of the row's drawn span, s the source pixel
// drawn there; the source steps by Dir per column.

// 8-bit, index 0 transparent.
template <int Dir>
void row8_keyed(uint16_t* __restrict d, const uint8_t* s, int n, const uint16_t* palette, int alpha) {
    int i = 0;
    if (alpha == 32) {
        i = each8(d, n, [&](int k) {
            u16x8 hole = (u16x8)(widen8<Dir>(s + k * Dir) == 0);
            return (load8(d + k) & hole) | (lookup8<Dir>(s + k * Dir, palette) & ~hole);
        });
        for (; i < n; ++i) {
            uint8_t p = s[i * Dir];
            if (p) d[i] = palette[p];
        }
    } else {
        if (vector_weight(alpha)) {
            u16x8 global = splat(uint16_t(alpha));
            i = each8(d, n, [&](int k) {
                u16x8 weight = (u16x8)(widen8<Dir>(s + k * Dir) != 0) & global;
                return blend8(lookup8<Dir>(s + k * Dir, palette), load8(d + k), weight);
            });
        }
        for (; i < n; ++i) {
            uint8_t p = s[i * Dir];
            if (p) d[i] = kz_blend(palette[p], d[i], uint32_t(alpha));
        }
    }
}

// 8-bit, every index drawn. The opaque copy goes eight pixels per step.
void row8_plain(uint16_t* __restrict d, const uint8_t* s, int n, const uint16_t* palette, int alpha) {
    int i = 0;
    if (alpha == 32) {
        // Eight indices read at once, four pixels written at once (the shifts
        // take the bytes and pixels in little-endian memory order).
        static_assert(std::endian::native == std::endian::little);
        for (; i + 8 <= n; i += 8) {
            uint64_t idx;
            std::memcpy(&idx, s + i, 8);
            const uint64_t lo = uint64_t(palette[idx & 255]) | uint64_t(palette[(idx >> 8) & 255]) << 16 |
                                uint64_t(palette[(idx >> 16) & 255]) << 32 |
                                uint64_t(palette[(idx >> 24) & 255]) << 48;
            const uint64_t hi = uint64_t(palette[(idx >> 32) & 255]) | uint64_t(palette[(idx >> 40) & 255]) << 16 |
                                uint64_t(palette[(idx >> 48) & 255]) << 32 | uint64_t(palette[idx >> 56]) << 48;
            std::memcpy(d + i, &lo, 8);
            std::memcpy(d + i + 4, &hi, 8);
        }
        for (; i < n; ++i) d[i] = palette[s[i]];
    } else {
        if (vector_weight(alpha)) {
            u16x8 weight = splat(uint16_t(alpha));
            i = each8(d, n, [&](int k) { return blend8(lookup8<1>(s + k, palette), load8(d + k), weight); });
        }
        for (; i < n; ++i) d[i] = kz_blend(palette[s[i]], d[i], uint32_t(alpha));
    }
}

// 16-bit, pixels equal to key transparent.
template <int Dir>
void row16_keyed(uint16_t* __restrict d, const uint16_t* s, int n, uint16_t key, int alpha) {
    int i = 0;
    u16x8 keys = splat(key);
    if (alpha == 32) {
        i = each8(d, n, [&](int k) {
            u16x8 p = load8<Dir>(s + k * Dir);
            u16x8 hole = (u16x8)(p == keys);
            return (load8(d + k) & hole) | (p & ~hole);
        });
        for (; i < n; ++i) {
            uint16_t p = s[i * Dir];
            if (p != key) d[i] = p;
        }
    } else {
        if (vector_weight(alpha)) {
            u16x8 weight = splat(uint16_t(alpha));
            i = each8(d, n, [&](int k) {
                u16x8 p = load8<Dir>(s + k * Dir);
                return blend8(p, load8(d + k), (u16x8)(p != keys) & weight);
            });
        }
        for (; i < n; ++i) {
            uint16_t p = s[i * Dir];
            if (p != key) d[i] = kz_blend(p, d[i], uint32_t(alpha));
        }
    }
}

// 16-bit, every pixel drawn: a block copy, or one weight for the whole span.
void row16_plain(uint16_t* __restrict d, const uint16_t* s, int n, int alpha) {
    if (alpha == 32) {
        std::memcpy(d, s, size_t(n) * sizeof *d);
        return;
    }
    int i = 0;
    if (vector_weight(alpha)) {
        u16x8 weight = splat(uint16_t(alpha));
        i = each8(d, n, [&](int k) { return blend8(load8(s + k), load8(d + k), weight); });
    }
    for (; i < n; ++i) d[i] = kz_blend(s[i], d[i], uint32_t(alpha));
}

}  // namespace

// One colour over a span of the frame buffer with one weight: the fade.
void kz_blendspan(uint16_t* d, uint16_t color, int n, int alpha) {
    int i = 0;
    if (vector_weight(alpha)) {
        const u16x8 weight = splat(uint16_t(alpha)), c = splat(color);
        i = each8(d, n, [&](int k) { return blend8(c, load8(d + k), weight); });
    }
    for (; i < n; ++i) d[i] = kz_blend(color, d[i], uint32_t(alpha));
}

namespace {

// Colour plus alpha plane: each pixel weighs its own alpha byte a, or
// floor(a * alpha / 32) below full opacity. A weight of 32 yields the pixel and
// 0 the destination, so no pixel needs a test.
template <int Dir>
void row24(uint16_t* __restrict d, const uint16_t* s, const uint8_t* a, int n, int alpha) {
    int i = 0;
    if (alpha == 32) {
        i = each8(d, n, [&](int k) {
            return blend8(load8<Dir>(s + k * Dir), load8(d + k), widen8<Dir>(a + k * Dir));
        });
        for (; i < n; ++i) d[i] = kz_blend(s[i * Dir], d[i], a[i * Dir]);
    } else {
        if (vector_weight(alpha)) {
            u16x8 global = splat(uint16_t(alpha));
            i = each8(d, n, [&](int k) {
                u16x8 weight = (widen8<Dir>(a + k * Dir) * global) >> 5;
                return blend8(load8<Dir>(s + k * Dir), load8(d + k), weight);
            });
        }
        for (; i < n; ++i) d[i] = kz_blend(s[i * Dir], d[i], uint32_t(int64_t(a[i * Dir]) * alpha >> 5));
    }
}

// ---- clipping ----------------------------------------------------------------

// One blit's clipped area. Position, stride and height are the 16-bit values
// the engine passes; the same truncated values clip and address.
struct Area {
    int x, y, w, h;
    int left, top, right, bottom;

    bool empty() const { return top >= bottom || left >= right; }
    uint16_t* screen(int r, int c) const { return kz_buffer + (y + r) * SW + (x + c); }
};

Area clip(int x, int y, int w, int h) {
    Area a{int16_t(x), int16_t(y), int16_t(w), int16_t(h), 0, 0, 0, 0};
    KZ_AdjustCopyLimits(a.x, a.y, a.w, a.h);
    a.left = kz_limits.left;
    a.top = kz_limits.top;
    a.right = kz_limits.right;
    a.bottom = kz_limits.bottom;
    return a;
}

// A limit far outside 16 bits belongs to an empty range; saturating keeps it
// empty where plain truncation could turn it into a wide one.
int16_t limit16(int v) { return int16_t(v < -32768 ? -32768 : v > 32767 ? 32767 : v); }

// The source row drawn on image row r: with flipy the visible rows are read
// bottom up.
inline int source_row(const Area& a, int r, bool flipy) { return flipy ? a.top + a.bottom - 1 - r : r; }

}  // namespace

void KZ_AdjustCopyLimits(int x, int y, int w, int h) {
    x = int16_t(x);
    y = int16_t(y);
    w = int16_t(w);
    h = int16_t(h);
    const KZ_Window& W = kz_window[kz_curwindow & 15];
    int left = x < W.x1 ? W.x1 - x : 0;
    int right = x + w > W.x2 ? W.x2 - x + 1 : w;
    int top = y < W.y1 ? W.y1 - y : 0;
    int bottom = y + h > W.y2 ? W.y2 - y + 1 : h;
    if (kz_cursprite >= 0 && kz_cursprite < KZ_MAXSPRITES && kz_sprites[kz_cursprite]) {
        const KZ_Sprite& s = *kz_sprites[kz_cursprite];
        if (s.limitx1 > left) left = s.limitx1;
        if (s.limity1 > top) top = s.limity1;
        if (s.limitx2 + 1 < right) right = s.limitx2 + 1;
        if (s.limity2 + 1 < bottom) bottom = s.limity2 + 1;
    }
    kz_limits.left = limit16(left);
    kz_limits.top = limit16(top);
    kz_limits.right = limit16(right);
    kz_limits.bottom = limit16(bottom);
}

// ---- direct blitters -----------------------------------------------------------

void KZ_Copy8bitToScreen(const uint8_t* pixels, const uint16_t* palette, int w, int h, int x, int y, int alpha,
                         int8_t flipx, int8_t flipy) {
    Area a = clip(x, y, w, h);
    if (alpha <= 0 || a.empty()) return;
    int n = a.right - a.left;
    for (int r = a.top; r < a.bottom; ++r) {
        const uint8_t* row = pixels + ptrdiff_t(source_row(a, r, flipy)) * a.w;
        // Columns mirror across the whole frame here, not just the visible part.
        if (flipx)
            row8_keyed<-1>(a.screen(r, a.left), row + (a.w - 1 - a.left), n, palette, alpha);
        else
            row8_keyed<1>(a.screen(r, a.left), row + a.left, n, palette, alpha);
    }
}

void KZ_Copy8bitFastCopy(const uint8_t* pixels, const uint16_t* palette, int w, int h, int x, int y, int alpha) {
    Area a = clip(x, y, w, h);
    if (alpha <= 0 || a.empty()) return;
    int n = a.right - a.left;
    for (int r = a.top; r < a.bottom; ++r)
        row8_plain(a.screen(r, a.left), pixels + ptrdiff_t(r) * a.w + a.left, n, palette, alpha);
}

void KZ_Copy16bitToScreen(const uint16_t* pixels, int w, int h, int x, int y, int alpha, int8_t flipx,
                          int8_t flipy) {
    Area a = clip(x, y, w, h);
    if (alpha <= 0 || a.empty()) return;
    uint16_t key = kz_transpcolor;
    int n = a.right - a.left;
    for (int r = a.top; r < a.bottom; ++r) {
        const uint16_t* row = pixels + ptrdiff_t(source_row(a, r, flipy)) * a.w;
        if (flipx)
            row16_keyed<-1>(a.screen(r, a.left), row + (a.right - 1), n, key, alpha);
        else
            row16_keyed<1>(a.screen(r, a.left), row + a.left, n, key, alpha);
    }
}

void KZ_Copy16bitFastCopy(const uint16_t* pixels, int w, int h, int x, int y, int alpha) {
    Area a = clip(x, y, w, h);
    if (alpha <= 0 || a.empty()) return;
    if (alpha == 32 && a.left == 0 && a.right == SW && a.w == SW && a.x == 0) {
        // Frame rows and screen rows are both contiguous: one block.
        std::memcpy(a.screen(a.top, 0), pixels + ptrdiff_t(a.top) * SW,
                    size_t(a.bottom - a.top) * SW * sizeof(uint16_t));
        return;
    }
    int n = a.right - a.left;
    for (int r = a.top; r < a.bottom; ++r)
        row16_plain(a.screen(r, a.left), pixels + ptrdiff_t(r) * a.w + a.left, n, alpha);
}

void KZ_Copy24bitToScreen(const uint16_t* pixels, int w, int h, int x, int y, int alpha) {
    Area a = clip(x, y, w, h);
    if (alpha <= 0 || a.empty()) return;
    const uint8_t* plane = alphalayer;
    int n = a.right - a.left;
    for (int r = a.top; r < a.bottom; ++r) {
        ptrdiff_t at = ptrdiff_t(r) * a.w + a.left;
        row24<1>(a.screen(r, a.left), pixels + at, plane + at, n, alpha);
    }
}

void KZ_Copy24bitToScreenFlip(const uint16_t* pixels, int w, int h, int x, int y, int alpha, int8_t flipx,
                              int8_t flipy) {
    Area a = clip(x, y, w, h);
    if (alpha <= 0 || a.empty()) return;
    const uint8_t* plane = alphalayer;
    int n = a.right - a.left;
    for (int r = a.top; r < a.bottom; ++r) {
        ptrdiff_t row = ptrdiff_t(source_row(a, r, flipy)) * a.w;
        if (flipx) {
            ptrdiff_t at = row + a.right - 1;
            row24<-1>(a.screen(r, a.left), pixels + at, plane + at, n, alpha);
        } else {
            ptrdiff_t at = row + a.left;
            row24<1>(a.screen(r, a.left), pixels + at, plane + at, n, alpha);
        }
    }
}

// ---- run-length blitters ---------------------------------------------------------
//
// Codes of depths 1 and 2: skip, run, skip, run ... Transparent spans cost one
// byte read and one addition. After a run the next skip and run are read
// together, up to two bytes past the row; the four FF bytes after the last row
// keep that read inside the data.

namespace {

// Walks one row's codes between left and right and calls draw(column, count)
// for each visible part of a run.
template <typename Draw>
inline void walk_runs(const uint8_t* code, int left, int right, Draw draw) {
    int pos = *code++;
    bool skip = true;  // kind of the last code read
    while (pos < left) {
        pos += *code++;
        skip = !skip;
    }
    int n;
    if (skip) {
        n = *code++;
    } else {  // a run straddles the left edge: draw its remainder
        n = pos - left;
        pos = left;
    }
    while (pos < right) {
        draw(pos, n < right - pos ? n : right - pos);
        pos += n;
        int s = code[0];
        n = code[1];
        code += 2;
        pos += s;
    }
}

}  // namespace

void KZ_Copy8bitRLE(const uint8_t* pixels, const uint16_t* palette, const uint8_t* rle, const uint16_t* rlelist,
                    int w, int h, int x, int y, int alpha) {
    Area a = clip(x, y, w, h);
    if (a.empty()) return;
    for (int r = a.top; r < a.bottom; ++r) {
        const uint8_t* row = pixels + ptrdiff_t(r) * a.w;
        uint16_t* screen = a.screen(r, a.left);
        walk_runs(rle + rlelist[r], a.left, a.right,
                  [&](int c, int n) { row8_plain(screen + (c - a.left), row + c, n, palette, alpha); });
    }
}

void KZ_Copy16bitRLE(const uint16_t* pixels, const uint8_t* rle, const uint16_t* rlelist, int w, int h, int x,
                     int y, int alpha) {
    Area a = clip(x, y, w, h);
    if (a.empty()) return;
    for (int r = a.top; r < a.bottom; ++r) {
        const uint16_t* row = pixels + ptrdiff_t(r) * a.w;
        uint16_t* screen = a.screen(r, a.left);
        walk_runs(rle + rlelist[r], a.left, a.right,
                  [&](int c, int n) { row16_plain(screen + (c - a.left), row + c, n, alpha); });
    }
}

// Depth 3: skip, blend run, solid run, repeated; any count may be 0. Blend runs
// weigh each pixel by its alpha byte; solid runs are copied (or blended with
// the global opacity). Up to three bytes past the row are read.
void KZ_Copy24bitRLE(const uint16_t* pixels, const uint8_t* rle, const uint16_t* rlelist, int w, int h, int x,
                     int y, int alpha) {
    Area a = clip(x, y, w, h);
    if (a.empty()) return;
    const uint8_t* plane = alphalayer;
    for (int r = a.top; r < a.bottom; ++r) {
        ptrdiff_t at = ptrdiff_t(r) * a.w;
        const uint16_t* row = pixels + at;
        const uint8_t* weights = plane + at;
        const uint8_t* code = rle + rlelist[r];
        int left = a.left, right = a.right;
        // Screen pixel of image column c: screen[c - left].
        uint16_t* screen = a.screen(r, left);

        int pos = *code++;
        int kind = 0;  // of the last code read: 0 skip, 1 blend run, 2 solid run
        while (pos < left) {
            pos += *code++;
            kind = kind == 2 ? 0 : kind + 1;
        }
        int n;  // length of the blend run starting at pos
        if (kind == 0) {
            n = *code++;
        } else if (kind == 1) {
            n = pos - left;
            pos = left;
        } else {
            int end = pos < right ? pos : right;
            row16_plain(screen, row + left, end - left, alpha);
            pos += code[0];
            n = code[1];
            code += 2;
        }
        while (pos < right) {
            int cut = n < right - pos ? n : right - pos;
            row24<1>(screen + (pos - left), row + pos, weights + pos, cut, alpha);
            pos += n;
            int m = *code++;
            if (pos < right) row16_plain(screen + (pos - left), row + pos, m < right - pos ? m : right - pos, alpha);
            pos += m;
            pos += code[0];
            n = code[1];
            code += 2;
        }
    }
}

// ---- letter blitters -------------------------------------------------------------
//
// Glyph masks hold FFFF where there is ink and 0 elsewhere. Opaque letters
// rewrite every visible pixel as (d & ~m) | (s & m); blended ones change only
// pixels under ink.

namespace {

// Colours: the glyph has a colour plane read at colours[i]; otherwise every
// pixel takes the ink colour.
template <bool Colours>
void letter_row(uint16_t* __restrict d, const uint16_t* colours, uint16_t ink, const uint16_t* mask, int n,
                int alpha) {
    auto colour = [&](int k) { return Colours ? colours[k] : ink; };
    auto colour8 = [&](int k) { return Colours ? load8(colours + k) : splat(ink); };
    int i = 0;
    if (alpha == 32) {
        i = each8(d, n, [&](int k) {
            u16x8 m = load8(mask + k);
            return (load8(d + k) & ~m) | (colour8(k) & m);
        });
        for (; i < n; ++i) d[i] = uint16_t((d[i] & ~mask[i]) | (colour(i) & mask[i]));
        return;
    }
    if (vector_weight(alpha)) {
        u16x8 weight = splat(uint16_t(alpha));
        i = each8(d, n, [&](int k) {
            return blend8(colour8(k), load8(d + k), (u16x8)(load8(mask + k) != 0) & weight);
        });
    }
    for (; i < n; ++i)
        if (mask[i]) d[i] = kz_blend(colour(i), d[i], uint32_t(alpha));
}

}  // namespace

void KZ_CopyPlainLetter(const uint16_t* mask, uint16_t color, int w, int h, int x, int y, int alpha) {
    Area a = clip(x, y, w, h);
    if (a.empty()) return;
    int n = a.right - a.left;
    for (int r = a.top; r < a.bottom; ++r)
        letter_row<false>(a.screen(r, a.left), nullptr, color, mask + ptrdiff_t(r) * a.w + a.left, n, alpha);
}

void KZ_CopyLetter(const uint16_t* glyph, int /*ignored*/, int w, int h, int x, int y, int alpha) {
    Area a = clip(x, y, w, h);
    if (a.empty()) return;
    const uint16_t* mask = glyph + ptrdiff_t(a.w) * a.h;
    int n = a.right - a.left;
    for (int r = a.top; r < a.bottom; ++r) {
        ptrdiff_t at = ptrdiff_t(r) * a.w + a.left;
        letter_row<true>(a.screen(r, a.left), glyph + at, 0, mask + at, n, alpha);
    }
}
