// Rotated and zoomed drawing: a square box around the turned frame is walked
// row by row; each row finds the span of screen pixels whose source point
// lies in the frame and samples it nearest-pixel, in 16.16 fixed point.
//
// The set-up arithmetic is 32-bit with wrap-around: it is done on unsigned
// values so that the wrap is defined, and converted back.
#include <algorithm>

#include "ZAriz.h"

namespace {

inline int32_t wmul(int32_t a, int32_t b) { return int32_t(uint32_t(a) * uint32_t(b)); }
inline int32_t wadd(int32_t a, int32_t b) { return int32_t(uint32_t(a) + uint32_t(b)); }
inline int32_t wsub(int32_t a, int32_t b) { return int32_t(uint32_t(a) - uint32_t(b)); }
inline int32_t wshl(int32_t a, int s) { return int32_t(uint32_t(a) << s); }

// Division by zero gives 0: a step of less than one 256th has no reciprocal,
// and the estimates that use it then come out as 0.
inline int32_t div0(int32_t a, int32_t b) { return b == 0 ? 0 : a / b; }

// How many points, from an inside one, stay inside [0, limit) stepping by d.
inline int64_t kz_insidesteps(int32_t p, int32_t d, int32_t limit) {
    if (d > 0) return (int64_t(limit) - 1 - p) / d + 1;
    if (d < 0) return int64_t(p) / -int64_t(d) + 1;
    return INT64_MAX;
}

// The row walk shared by the nine blitters. For each row it hands `span` the
// first destination pixel, the pixel count and the 16.16 source point of the
// first pixel; every point of the span is inside the frame.
template <class Span>
inline void kz_rotwalk(int w, int h, int x, int y, int angle, int zoom, Span span) {
    KZ_RotoZoomLimits(x, y, w, h, angle, zoom);
    KZ_Limits& L = kz_limits;

    // The limits are 16-bit; intersecting again with the window in full
    // integers keeps a box far off screen from wrapping back onto it.
    const KZ_Window& win = kz_window[kz_curwindow & 15];
    const int boxx = L.boxx, boxy = L.boxy;
    const int xlo = std::max<int>(L.left, win.x1 - boxx), xhi = std::min<int>(L.right, win.x2 - boxx + 1);
    const int ylo = std::max<int>(L.top, win.y1 - boxy), yhi = std::min<int>(L.bottom, win.y2 - boxy + 1);
    if (ylo >= yhi || xlo >= xhi) return;

    const int32_t Wf = wshl(w, 16), Hf = wshl(h, 16);
    const int32_t w8 = wshl(w, 8), h8 = wshl(h, 8);
    const int32_t du = L.du, dv = L.dv, invdu = L.invdu, invdv = L.invdv;
    int32_t u = L.u, v = L.v;
    if (ylo != L.top) {
        u = wsub(u, wmul(ylo - L.top, dv));
        v = wadd(v, wmul(ylo - L.top, du));
    }
    auto inside = [&](int32_t U, int32_t V) { return U >= 0 && U < Wf && V >= 0 && V < Hf; };

    for (int Y = ylo; Y < yhi; ++Y, u = wsub(u, dv), v = wadd(v, du)) {
        int X = xlo;
        int32_t U = wadd(u, wmul(X, du)), V = wadd(v, wmul(X, dv));

        if (!inside(U, V)) {
            int32_t ku = 0, kv = 0;
            if (U < 0 && du > 0) ku = wmul(-(U >> 8), invdu) >> 16;
            else if (U >= Wf && du < 0) ku = wmul(wsub(w8, U >> 8), invdu) >> 16;
            if (V < 0 && dv > 0) kv = wmul(-(V >> 8), invdv) >> 16;
            else if (V >= Hf && dv < 0) kv = wmul(wsub(h8, V >> 8), invdv) >> 16;
            // Only a product that wrapped is negative: it is no advance.
            const int32_t k = std::max({ku, kv, int32_t(0)});
            if (k >= xhi - X) continue;
            X += k;
            U = wadd(U, wmul(k, du));
            V = wadd(V, wmul(k, dv));
            if (!inside(U, V)) {
                ++X, U = wadd(U, du), V = wadd(V, dv);
                if (!inside(U, V)) {
                    ++X, U = wadd(U, du), V = wadd(V, dv);
                    if (!inside(U, V)) continue;
                }
            }
        }

        int32_t nu = 10000, nv = 10000;
        if (du > 0) nu = wmul(wsub(w8, U >> 8), invdu) >> 16;
        else if (du < 0) nu = wmul(-(U >> 8), invdu) >> 16;
        if (dv > 0) nv = wmul(wsub(h8, V >> 8), invdv) >> 16;
        else if (dv < 0) nv = wmul(-(V >> 8), invdv) >> 16;
        int64_t n = std::min({int64_t(nu), int64_t(nv), int64_t(xhi - X)});
        if (n <= 0) continue;

        // The estimate may run past the frame's edge; the span then ends at
        // its last inside point.
        const int64_t Ue = U + (n - 1) * du, Ve = V + (n - 1) * dv;
        if (Ue < 0 || Ue >= Wf || Ve < 0 || Ve >= Hf)
            n = std::min({n, kz_insidesteps(U, du, Wf), kz_insidesteps(V, dv, Hf)});

        span(&kz_buffer[(boxy + Y) * KZ_SCREEN_W + boxx + X], int(n), uint32_t(U), uint32_t(V), uint32_t(du),
             uint32_t(dv));
    }
    L.u = u;
    L.v = v;
}

}  // namespace

void KZ_RotoZoomLimits(int x, int y, int w, int h, int angle, int zoom) {
    KZ_Limits& L = kz_limits;
    const int32_t s = std::max(wmul(w, zoom) >> 10, wmul(h, zoom) >> 10);
    const int32_t B = s + (s >> 1);
    L.boxx = int16_t(wsub(wadd(x, w >> 1), B >> 1));
    L.boxy = int16_t(wsub(wadd(y, h >> 1), B >> 1));

    kz_cursprite = -1;
    KZ_AdjustCopyLimits(L.boxx, L.boxy, B, B);

    const int32_t iz = div0(262144, zoom);
    const int32_t half = B >> 1;
    const int32_t d = wmul(half, 1448) >> 8;
    const int32_t D = wmul(d, iz);

    // Any angle counts by its low nine bits; adding in unsigned keeps the
    // quarter-turn offsets defined at the ends of the range.
    const uint32_t a = uint32_t(angle);
    const int32_t sn = KZ_SIN[a & 511];
    const int32_t cs = KZ_SIN[(a + 128) & 511];
    const int32_t sn45 = KZ_SIN[(a + 64) & 511];
    const int32_t cs45 = KZ_SIN[(a + 192) & 511];

    L.du = wmul(cs, iz);
    L.dv = wmul(sn, iz);
    L.u = wsub(wsub(wshl(w, 15), wmul(cs45, D) >> 2), wmul(L.top, L.dv));
    L.v = wadd(wsub(wshl(h, 15), wmul(sn45, D) >> 2), wmul(L.top, L.du));
    L.invdu = div0(65536, L.du >> 8);
    L.invdv = div0(65536, L.dv >> 8);
}

namespace {
// Nearest pixel: row (V >> 16) times the stride plus column (U >> 16).
template <class T>
inline T sample(const T* src, uint32_t U, uint32_t V, int w) {
    return src[(V >> 16) * uint32_t(w) + (U >> 16)];
}
}  // namespace

void KZ_8bitRot(const void* pixels, const uint16_t* palette, int w, int h, int x, int y, int, int angle,
                int zoom) {
    const auto* src = static_cast<const uint8_t*>(pixels);
    kz_rotwalk(w, h, x, y, angle, zoom, [&](uint16_t* dst, int n, uint32_t U, uint32_t V, uint32_t du, uint32_t dv) {
        for (int i = 0; i < n; ++i, U += du, V += dv)
            if (const uint8_t c = sample(src, U, V, w)) dst[i] = palette[c];
    });
}

void KZ_8bitRotFull(const void* pixels, const uint16_t* palette, int w, int h, int x, int y, int, int angle,
                    int zoom) {
    const auto* src = static_cast<const uint8_t*>(pixels);
    kz_rotwalk(w, h, x, y, angle, zoom, [&](uint16_t* dst, int n, uint32_t U, uint32_t V, uint32_t du, uint32_t dv) {
        for (int i = 0; i < n; ++i, U += du, V += dv) dst[i] = palette[sample(src, U, V, w)];
    });
}

// The blending blitters take opacities of 1 to 31 from the dispatch; 0 or
// less draws nothing, as for every other blitter.
void KZ_8bitRotAlpha(const void* pixels, const uint16_t* palette, int w, int h, int x, int y, int alpha,
                     int angle, int zoom) {
    const auto* src = static_cast<const uint8_t*>(pixels);
    if (alpha <= 0) return KZ_RotoZoomLimits(x, y, w, h, angle, zoom);
    const uint32_t a = uint32_t(alpha);
    kz_rotwalk(w, h, x, y, angle, zoom, [&](uint16_t* dst, int n, uint32_t U, uint32_t V, uint32_t du, uint32_t dv) {
        for (int i = 0; i < n; ++i, U += du, V += dv)
            if (const uint8_t c = sample(src, U, V, w)) dst[i] = kz_blend(palette[c], dst[i], a);
    });
}

void KZ_8bitRotAlphaFull(const void* pixels, const uint16_t* palette, int w, int h, int x, int y, int alpha,
                         int angle, int zoom) {
    const auto* src = static_cast<const uint8_t*>(pixels);
    if (alpha <= 0) return KZ_RotoZoomLimits(x, y, w, h, angle, zoom);
    const uint32_t a = uint32_t(alpha);
    kz_rotwalk(w, h, x, y, angle, zoom, [&](uint16_t* dst, int n, uint32_t U, uint32_t V, uint32_t du, uint32_t dv) {
        for (int i = 0; i < n; ++i, U += du, V += dv) dst[i] = kz_blend(palette[sample(src, U, V, w)], dst[i], a);
    });
}

void KZ_16bitRot(const void* pixels, const uint16_t*, int w, int h, int x, int y, int, int angle, int zoom) {
    const auto* src = static_cast<const uint16_t*>(pixels);
    const uint16_t key = kz_transpcolor;
    kz_rotwalk(w, h, x, y, angle, zoom, [&](uint16_t* dst, int n, uint32_t U, uint32_t V, uint32_t du, uint32_t dv) {
        for (int i = 0; i < n; ++i, U += du, V += dv)
            if (const uint16_t c = sample(src, U, V, w); c != key) dst[i] = c;
    });
}

void KZ_16bitRotFull(const void* pixels, const uint16_t*, int w, int h, int x, int y, int, int angle, int zoom) {
    const auto* src = static_cast<const uint16_t*>(pixels);
    kz_rotwalk(w, h, x, y, angle, zoom, [&](uint16_t* dst, int n, uint32_t U, uint32_t V, uint32_t du, uint32_t dv) {
        for (int i = 0; i < n; ++i, U += du, V += dv) dst[i] = sample(src, U, V, w);
    });
}

void KZ_16bitRotAlpha(const void* pixels, const uint16_t*, int w, int h, int x, int y, int alpha, int angle,
                      int zoom) {
    const auto* src = static_cast<const uint16_t*>(pixels);
    if (alpha <= 0) return KZ_RotoZoomLimits(x, y, w, h, angle, zoom);
    const uint16_t key = kz_transpcolor;
    const uint32_t a = uint32_t(alpha);
    kz_rotwalk(w, h, x, y, angle, zoom, [&](uint16_t* dst, int n, uint32_t U, uint32_t V, uint32_t du, uint32_t dv) {
        for (int i = 0; i < n; ++i, U += du, V += dv)
            if (const uint16_t c = sample(src, U, V, w); c != key) dst[i] = kz_blend(c, dst[i], a);
    });
}

void KZ_16bitRotAlphaFull(const void* pixels, const uint16_t*, int w, int h, int x, int y, int alpha, int angle,
                          int zoom) {
    const auto* src = static_cast<const uint16_t*>(pixels);
    if (alpha <= 0) return KZ_RotoZoomLimits(x, y, w, h, angle, zoom);
    const uint32_t a = uint32_t(alpha);
    kz_rotwalk(w, h, x, y, angle, zoom, [&](uint16_t* dst, int n, uint32_t U, uint32_t V, uint32_t du, uint32_t dv) {
        for (int i = 0; i < n; ++i, U += du, V += dv) dst[i] = kz_blend(sample(src, U, V, w), dst[i], a);
    });
}

void KZ_24bitRot(const void* pixels, const uint16_t*, int w, int h, int x, int y, int alpha, int angle, int zoom) {
    const auto* src = static_cast<const uint16_t*>(pixels);
    const uint8_t* plane = alphalayer;
    if (alpha <= 0) return KZ_RotoZoomLimits(x, y, w, h, angle, zoom);
    const uint32_t A = uint32_t(alpha);
    kz_rotwalk(w, h, x, y, angle, zoom, [&](uint16_t* dst, int n, uint32_t U, uint32_t V, uint32_t du, uint32_t dv) {
        for (int i = 0; i < n; ++i, U += du, V += dv) {
            const uint32_t at = (V >> 16) * uint32_t(w) + (U >> 16);
            const uint32_t e = (plane[at] * A) >> 5;
            if (e == 32) dst[i] = src[at];
            else if (e != 0) dst[i] = kz_blend(src[at], dst[i], e);
        }
    });
}

extern const KZ_RotBlitter KZ_CopyRot[12] = {
    KZ_8bitRot,  KZ_8bitRotFull,  KZ_8bitRotAlpha,  KZ_8bitRotAlphaFull,
    KZ_16bitRot, KZ_16bitRotFull, KZ_16bitRotAlpha, KZ_16bitRotAlphaFull,
    KZ_24bitRot, KZ_24bitRot,     KZ_24bitRot,      KZ_24bitRot,
};
