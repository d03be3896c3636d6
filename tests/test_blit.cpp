// Clipping, the direct, run-length and letter blitters, and the quit button.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "ZAriz.h"

namespace {

constexpr int SW = KZ_SCREEN_W, SH = KZ_SCREEN_H;
constexpr uint16_t BACKDROP = 0x2945;

uint16_t& at(int x, int y) { return kz_buffer[y * SW + x]; }

class Blit : public ::testing::Test {
protected:
    void SetUp() override {
        kz_window[0] = {0, 0, SW - 1, SH - 1};
        for (int i = 1; i < 16; ++i) kz_window[i] = {0, 0, 0, 0};
        kz_curwindow = 0;
        kz_cursprite = -1;
        kz_transpcolor = 0xF81F;
        alphalayer = nullptr;
        std::fill(std::begin(kz_buffer), std::end(kz_buffer), BACKDROP);
    }
    void TearDown() override { kz_cursprite = -1; }
};

struct Limits {
    int left, top, right, bottom;
    bool operator==(const Limits&) const = default;
};

std::ostream& operator<<(std::ostream& o, const Limits& l) {
    return o << "{" << l.left << ", " << l.top << ", " << l.right << ", " << l.bottom << "}";
}

Limits limits_for(int x, int y, int w, int h) {
    KZ_AdjustCopyLimits(x, y, w, h);
    return {kz_limits.left, kz_limits.top, kz_limits.right, kz_limits.bottom};
}

bool empty(const Limits& l) { return l.left >= l.right || l.top >= l.bottom; }

// ---- clipping ---------------------------------------------------------------

TEST_F(Blit, ClipLimits) {
    struct Case {
        int x, y;
        Limits want;
    } cases[] = {
        {-5, 0, {5, 0, 16, 16}},   {230, 0, {0, 0, 10, 16}},  {0, 310, {0, 0, 16, 10}},
        {-16, 0, {16, 0, 16, 16}}, {240, 0, {0, 0, 0, 16}},   {0, 320, {0, 0, 16, 0}},
        {0, -16, {0, 16, 16, 16}}, {100, 100, {0, 0, 16, 16}}, {224, 304, {0, 0, 16, 16}},
    };
    for (const Case& c : cases) EXPECT_EQ(limits_for(c.x, c.y, 16, 16), c.want) << c.x << ", " << c.y;
}

TEST_F(Blit, ClipWindows) {
    KZ_SetWindowLimits(3, 10, 20, 10, 20);
    kz_curwindow = 3;
    EXPECT_EQ(limits_for(5, 15, 16, 16), (Limits{5, 5, 6, 6}));
    EXPECT_EQ(limits_for(11, 15, 16, 16), (Limits{0, 5, 0, 6}));

    // A window never set lets only pixel (0, 0) through.
    std::vector<uint16_t> white(16 * 16, 0xFFFF);
    for (uint8_t n = 1; n < 16; ++n) {
        if (n == 3) continue;
        kz_curwindow = n;
        EXPECT_EQ(limits_for(0, 0, 16, 16), (Limits{0, 0, 1, 1}));
        KZ_Copy16bitFastCopy(white.data(), 16, 16, -3, -3, 32);
    }
    kz_curwindow = 3;
    KZ_Copy16bitFastCopy(white.data(), 16, 16, 0, 10, 32);
    int changed = 0;
    for (uint16_t p : kz_buffer) changed += p != BACKDROP;
    EXPECT_EQ(changed, 2);
    EXPECT_EQ(at(0, 0), 0xFFFF);
    EXPECT_EQ(at(10, 20), 0xFFFF);
}

TEST_F(Blit, SourceRectangleNarrowsWithoutMoving) {
    KZ_Sprite sprite{};
    sprite.limitx1 = 2;
    sprite.limity1 = 2;
    sprite.limitx2 = 3;
    sprite.limity2 = 3;
    KZ_Sprite* saved = kz_sprites[7];
    kz_sprites[7] = &sprite;
    kz_cursprite = 7;
    EXPECT_EQ(limits_for(50, 60, 8, 8), (Limits{2, 2, 4, 4}));
    // The window still wins where it is narrower.
    EXPECT_EQ(limits_for(-3, 60, 8, 8), (Limits{3, 2, 4, 4}));

    std::vector<uint16_t> frame(64);
    for (int i = 0; i < 64; ++i) frame[i] = uint16_t(0x100 + i);
    KZ_Copy16bitFastCopy(frame.data(), 8, 8, 50, 60, 32);
    int changed = 0;
    for (uint16_t p : kz_buffer) changed += p != BACKDROP;
    EXPECT_EQ(changed, 4);
    EXPECT_EQ(at(52, 62), 0x100 + 2 * 8 + 2);
    EXPECT_EQ(at(53, 63), 0x100 + 3 * 8 + 3);
    kz_sprites[7] = saved;
}

// ---- a reference for every blitter, pixel by pixel ------------------------------

enum Kind { K8ToScreen, K8Fast, K16ToScreen, K16Fast, K24, K24Flip };
const char* const kKindName[] = {"8bitToScreen", "8bitFastCopy", "16bitToScreen", "16bitFastCopy",
                                 "24bitToScreen", "24bitToScreenFlip"};

struct Image {
    int w = 0, h = 0;
    std::vector<uint8_t> index;   // depth 1
    std::vector<uint16_t> pixel;  // depths 2 and 3
    std::vector<uint8_t> alpha;   // depth 3
    std::vector<uint16_t> palette = std::vector<uint16_t>(256);
};

uint16_t blend(uint16_t s, uint16_t d, int a) { return kz_blend(s, d, uint32_t(a)); }

void draw(Kind k, const Image& im, int x, int y, int A, bool fx, bool fy) {
    alphalayer = const_cast<uint8_t*>(im.alpha.data());
    switch (k) {
    case K8ToScreen: KZ_Copy8bitToScreen(im.index.data(), im.palette.data(), im.w, im.h, x, y, A, fx, fy); break;
    case K8Fast: KZ_Copy8bitFastCopy(im.index.data(), im.palette.data(), im.w, im.h, x, y, A); break;
    case K16ToScreen: KZ_Copy16bitToScreen(im.pixel.data(), im.w, im.h, x, y, A, fx, fy); break;
    case K16Fast: KZ_Copy16bitFastCopy(im.pixel.data(), im.w, im.h, x, y, A); break;
    case K24: KZ_Copy24bitToScreen(im.pixel.data(), im.w, im.h, x, y, A); break;
    case K24Flip: KZ_Copy24bitToScreenFlip(im.pixel.data(), im.w, im.h, x, y, A, fx, fy); break;
    }
}

struct Rect {
    int x1, y1, x2, y2;
};

// What the documented arithmetic gives, worked out pixel by pixel: the visible
// columns and rows are found by testing each one against the window and the
// source rectangle, not through the clip formulas.
void reference(std::vector<uint16_t>& buf, Kind k, const Image& im, int x, int y, int A, bool fx, bool fy,
               const KZ_Window& W, Rect src) {
    if (A <= 0) return;
    auto visible_col = [&](int c) { return c >= src.x1 && c <= src.x2 && x + c >= W.x1 && x + c <= W.x2; };
    auto visible_row = [&](int r) { return r >= src.y1 && r <= src.y2 && y + r >= W.y1 && y + r <= W.y2; };
    int L = -1, R = -1, T = -1, B = -1;
    for (int c = 0; c < im.w; ++c)
        if (visible_col(c)) {
            if (L < 0) L = c;
            R = c + 1;
        }
    for (int r = 0; r < im.h; ++r)
        if (visible_row(r)) {
            if (T < 0) T = r;
            B = r + 1;
        }
    if (L < 0 || T < 0) return;
    if (k == K8Fast || k == K16Fast || k == K24) fx = fy = false;
    for (int r = T; r < B; ++r)
        for (int c = L; c < R; ++c) {
            int sr = fy ? T + B - 1 - r : r;
            int sc = !fx ? c : k == K8ToScreen ? im.w - 1 - c : L + R - 1 - c;
            int i = sr * im.w + sc;
            uint16_t& d = buf[(y + r) * SW + x + c];
            switch (k) {
            case K8ToScreen:
            case K8Fast:
                if (k == K8ToScreen && im.index[i] == 0) break;
                d = A == 32 ? im.palette[im.index[i]] : blend(im.palette[im.index[i]], d, A);
                break;
            case K16ToScreen:
            case K16Fast:
                if (k == K16ToScreen && im.pixel[i] == 0xF81F) break;
                d = A == 32 ? im.pixel[i] : blend(im.pixel[i], d, A);
                break;
            case K24:
            case K24Flip: d = blend(im.pixel[i], d, A == 32 ? im.alpha[i] : im.alpha[i] * A >> 5); break;
            }
        }
}

std::vector<uint16_t> screen_copy() { return std::vector<uint16_t>(std::begin(kz_buffer), std::end(kz_buffer)); }

// Where the picture differs from the expected one, as "x,y: got want".
std::string first_difference(const std::vector<uint16_t>& want) {
    if (std::memcmp(kz_buffer, want.data(), sizeof kz_buffer) == 0) return "";
    for (int i = 0; i < SW * SH; ++i)
        if (kz_buffer[i] != want[i]) {
            char text[64];
            std::snprintf(text, sizeof text, "(%d, %d): %04X, want %04X", i % SW, i / SW, kz_buffer[i], want[i]);
            return text;
        }
    return "";
}

// A clip window anywhere on the screen, corners in order.
KZ_Window random_window(std::mt19937& rng) {
    std::uniform_int_distribution<int> any(0, 1 << 30);
    int x1 = any(rng) % SW, x2 = any(rng) % SW, y1 = any(rng) % SH, y2 = any(rng) % SH;
    return {int16_t(std::min(x1, x2)), int16_t(std::min(y1, y2)), int16_t(std::max(x1, x2)),
            int16_t(std::max(y1, y2))};
}

Image random_image(std::mt19937& rng, int w, int h) {
    Image im;
    im.w = w;
    im.h = h;
    std::uniform_int_distribution<int> byte(0, 255), word(0, 0xFFFF), pick(0, 9);
    for (auto& p : im.palette) p = uint16_t(word(rng));
    for (int i = 0; i < w * h; ++i) {
        int kind = pick(rng);  // some holes, some partial weights, mostly opaque
        im.index.push_back(kind < 2 ? 0 : uint8_t(byte(rng) | 1));
        uint16_t colour = uint16_t(word(rng));
        im.pixel.push_back(kind < 2 ? 0xF81F : colour == 0xF81F ? 0 : colour);
        im.alpha.push_back(kind < 2 ? 0 : kind < 5 ? uint8_t(byte(rng) % 33) : 32);
    }
    return im;
}

TEST_F(Blit, DirectBlittersMatchTheReference) {
    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> any(0, 1 << 30);
    const int alphas[] = {32, 32, 16, 1, 31, 0, -5, 7};
    KZ_Sprite sprite{};
    KZ_Sprite* saved = kz_sprites[9];
    kz_sprites[9] = &sprite;
    for (int iter = 0; iter < 600; ++iter) {
        int w = 1 + any(rng) % (iter % 7 == 0 ? 300 : 40), h = 1 + any(rng) % 40;
        Image im = random_image(rng, w, h);
        const KZ_Window W = iter % 3 ? random_window(rng) : KZ_Window{0, 0, SW - 1, SH - 1};
        kz_window[5] = W;
        kz_curwindow = 5;
        Rect src = {0, 0, w - 1, h - 1};
        if (iter % 4 == 1) {
            src = {any(rng) % w, any(rng) % h, 0, 0};
            src.x2 = src.x1 + any(rng) % (w - src.x1);
            src.y2 = src.y1 + any(rng) % (h - src.y1);
            sprite.limitx1 = int16_t(src.x1);
            sprite.limity1 = int16_t(src.y1);
            sprite.limitx2 = int16_t(src.x2);
            sprite.limity2 = int16_t(src.y2);
            kz_cursprite = 9;
        } else {
            kz_cursprite = -1;
        }
        int x = any(rng) % (SW + 2 * w) - w - 20, y = any(rng) % (SH + 2 * h) - h - 20;
        int A = alphas[iter % 8];
        bool fx = any(rng) & 1, fy = any(rng) & 1;
        std::vector<uint16_t> want = screen_copy();
        for (Kind k : {K8ToScreen, K8Fast, K16ToScreen, K16Fast, K24, K24Flip}) {
            reference(want, k, im, x, y, A, fx, fy, W, src);
            draw(k, im, x, y, A, fx, fy);
            ASSERT_EQ(first_difference(want), "")
                << kKindName[k] << " iteration " << iter << ": " << w << "x" << h << " at " << x << "," << y
                << " alpha " << A << " flips " << fx << fy;
        }
    }
    kz_sprites[9] = saved;
}

// ---- direct blitters: the telling cases ------------------------------------------

// 16 x 16 frames whose pixels name their own source column (or row): index or
// colour 1 + column.
Image probe(bool by_row) {
    Image im;
    im.w = im.h = 16;
    for (int i = 0; i < 256; ++i) im.palette[i] = uint16_t(0x1000 + i);
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c) {
            int v = 1 + (by_row ? r : c);
            im.index.push_back(uint8_t(v));
            im.pixel.push_back(uint16_t(0x1000 + v));
            im.alpha.push_back(32);
        }
    return im;
}

int source_shown(int x, int y) { return at(x, y) - 0x1000 - 1; }

TEST_F(Blit, MirroredColumnsOfAClippedFrame) {
    struct Case {
        Kind kind;
        int clipped, unclipped;  // source column on screen column 0 at x = -4; at the left edge at x = 100
    } cases[] = {{K8ToScreen, 11, 15}, {K16ToScreen, 15, 15}, {K24Flip, 15, 15}};
    Image im = probe(false);
    for (const Case& c : cases) {
        SetUp();
        draw(c.kind, im, -4, 0, 32, true, false);
        draw(c.kind, im, 100, 0, 32, true, false);
        EXPECT_EQ(source_shown(0, 0), c.clipped) << kKindName[c.kind];
        EXPECT_EQ(source_shown(11, 0), c.clipped - 11) << kKindName[c.kind];
        EXPECT_EQ(source_shown(100, 0), c.unclipped) << kKindName[c.kind];
        EXPECT_EQ(source_shown(115, 0), 0) << kKindName[c.kind];
    }
}

TEST_F(Blit, MirroredRowsOfAClippedFrame) {
    Image im = probe(true);
    for (Kind k : {K8ToScreen, K16ToScreen, K24Flip}) {
        SetUp();
        draw(k, im, 10, -4, 32, false, true);
        EXPECT_EQ(source_shown(10, 0), 15) << kKindName[k];
        EXPECT_EQ(source_shown(10, 11), 4) << kKindName[k];
        EXPECT_EQ(at(10, 12), BACKDROP) << kKindName[k];
    }
}

TEST_F(Blit, Opacity) {
    Image im;
    im.w = im.h = 4;
    im.palette[1] = 0xFFFF;
    im.index.assign(16, 1);
    im.pixel.assign(16, 0xFFFF);
    im.alpha.assign(16, 32);
    struct Case {
        int alpha;
        uint16_t want;
    } cases[] = {{0, 0x0000}, {-5, 0x0000}, {32, 0xFFFF}, {16, 0x7BEF}};
    for (Kind k : {K8ToScreen, K8Fast, K16ToScreen, K16Fast, K24, K24Flip})
        for (const Case& c : cases) {
            std::fill(std::begin(kz_buffer), std::end(kz_buffer), 0x0000);
            draw(k, im, 20, 20, c.alpha, false, false);
            EXPECT_EQ(at(21, 22), c.want) << kKindName[k] << " at " << c.alpha;
            EXPECT_EQ(at(24, 22), 0x0000);
        }
}

TEST_F(Blit, BlendRoundsDown) {
    // Red over blue at 8: blue 31 * 24 / 32 = 23.25 gives 23; black over white at 16.
    std::vector<uint16_t> red(16, 0xF800), black(16, 0x0000);
    std::fill(std::begin(kz_buffer), std::end(kz_buffer), 0x001F);
    KZ_Copy16bitFastCopy(red.data(), 16, 1, 0, 0, 8);
    EXPECT_EQ(at(3, 0), 0x3817);
    std::fill(std::begin(kz_buffer), std::end(kz_buffer), 0xFFFF);
    KZ_Copy16bitFastCopy(black.data(), 16, 1, 0, 0, 16);
    EXPECT_EQ(at(3, 0), 0x7BEF);
}

TEST_F(Blit, TransparencyOfThePlainAndMirroringRoutines) {
    Image im;
    im.w = 2;
    im.h = 1;
    im.index = {0, 5};
    im.palette[0] = 0x1111;
    im.palette[5] = 0x5555;
    im.pixel = {0xF81F, 0x5555};
    // An image without holes, drawn mirrored, still loses its index 0 pixels.
    draw(K8ToScreen, im, 0, 0, 32, true, false);
    draw(K8Fast, im, 0, 1, 32, false, false);
    draw(K16ToScreen, im, 0, 2, 32, false, false);
    draw(K16Fast, im, 0, 3, 32, false, false);
    EXPECT_EQ(at(0, 0), 0x5555);
    EXPECT_EQ(at(1, 0), BACKDROP);
    EXPECT_EQ(at(0, 1), 0x1111);
    EXPECT_EQ(at(0, 2), BACKDROP);
    EXPECT_EQ(at(0, 3), 0xF81F);
}

TEST_F(Blit, AlphaPlaneWeights) {
    Image im;
    im.w = 3;
    im.h = 1;
    im.pixel = {0xFFFF, 0xFFFF, 0xFFFF};
    im.alpha = {16, 1, 32};
    std::fill(std::begin(kz_buffer), std::end(kz_buffer), 0x0000);
    draw(K24, im, 0, 0, 16, false, false);
    EXPECT_EQ(at(0, 0), 0x39E7);  // weight 8: 31 * 8 / 32 = 7, 63 * 8 / 32 = 15
    EXPECT_EQ(at(1, 0), 0x0000);  // weight 0
    EXPECT_EQ(at(2, 0), 0x7BEF);
}

TEST_F(Blit, FullScreenWidthBlockCopy) {
    const int h = 400;
    std::vector<uint16_t> frame(SW * h);
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < SW; ++c) frame[r * SW + c] = uint16_t(r);
    KZ_Copy16bitFastCopy(frame.data(), SW, h, 0, -50, 32);
    for (int y : {0, 1, 160, 319}) {
        EXPECT_EQ(at(0, y), y + 50);
        EXPECT_EQ(at(239, y), y + 50);
    }
    SetUp();
    KZ_Copy16bitFastCopy(frame.data(), SW, h, 0, 320, 32);
    KZ_Copy16bitFastCopy(frame.data(), SW, h, 0, -400, 32);
    EXPECT_EQ(first_difference(std::vector<uint16_t>(SW * SH, BACKDROP)), "");
}

TEST_F(Blit, FarOffPositionsStayEmpty) {
    // W.x1 - x no longer fits 16 bits here; the limits must stay an empty range.
    for (int x : {-32768, -32000, 32767, 32000})
        for (int y : {-32768, 0, 32767}) EXPECT_TRUE(empty(limits_for(x, y, 16, 16))) << x << ", " << y;
    EXPECT_TRUE(empty(limits_for(0, 0, 0, 16)));
    EXPECT_TRUE(empty(limits_for(0, 0, -3, 16)));

    Image im = probe(false);
    for (int x : {-32768, -32700, 32767})
        for (Kind k : {K8ToScreen, K8Fast, K16ToScreen, K16Fast, K24, K24Flip}) draw(k, im, x, 0, 32, true, true);
    EXPECT_EQ(first_difference(std::vector<uint16_t>(SW * SH, BACKDROP)), "");
}

// ---- run-length blitters ---------------------------------------------------------

// Codes for rows of skip/run pairs, counts over 255 split with a zero count.
void put_count(std::vector<uint8_t>& rle, int n, std::vector<uint8_t>& kinds, int kind, int nkinds) {
    while (n > 255) {
        rle.push_back(255);
        for (int k = 1; k < nkinds; ++k) rle.push_back(0);
        n -= 255;
    }
    rle.push_back(uint8_t(n));
    kinds.push_back(uint8_t(kind));
}

struct Rle {
    std::vector<uint8_t> codes;
    std::vector<uint16_t> list;
};

// Depths 1 and 2: skip, run, ... from the image's own transparency.
Rle encode_pairs(int w, int h, const std::function<bool(int)>& opaque) {
    Rle out;
    std::vector<uint8_t> kinds;
    for (int r = 0; r < h; ++r) {
        out.list.push_back(uint16_t(out.codes.size()));
        int c = 0;
        while (c < w) {
            int s = c;
            while (c < w && !opaque(r * w + c)) ++c;
            put_count(out.codes, c - s, kinds, 0, 2);
            if (c == w) break;
            s = c;
            while (c < w && opaque(r * w + c)) ++c;
            put_count(out.codes, c - s, kinds, 1, 2);
        }
    }
    out.codes.insert(out.codes.end(), 4, 0xFF);
    return out;
}

// Depth 3: skip, blend run, solid run. Weight 0 pixels may sit in blend runs and
// weight 32 ones in either kind of run (same result); the choice is random so
// that zero counts appear everywhere.
Rle encode_triples(const Image& im, std::mt19937& rng) {
    Rle out;
    std::vector<uint8_t> kinds;
    for (int r = 0; r < im.h; ++r) {
        out.list.push_back(uint16_t(out.codes.size()));
        int c = 0;
        const uint8_t* a = im.alpha.data() + r * im.w;
        while (c < im.w) {
            int s = c;
            while (c < im.w && a[c] == 0 && (rng() & 3)) ++c;
            put_count(out.codes, c - s, kinds, 0, 3);
            s = c;
            while (c < im.w && (a[c] != 32 || !(rng() & 1))) ++c;
            put_count(out.codes, c - s, kinds, 1, 3);
            s = c;
            while (c < im.w && a[c] == 32 && (rng() & 3)) ++c;
            put_count(out.codes, c - s, kinds, 2, 3);
        }
    }
    out.codes.insert(out.codes.end(), 4, 0xFF);
    return out;
}

TEST_F(Blit, RunLengthBlittersMatchTheDirectOnes) {
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> any(0, 1 << 30);
    const int alphas[] = {32, 16, 1, 31, 32};
    for (int iter = 0; iter < 500; ++iter) {
        int w = 1 + any(rng) % (iter % 9 == 0 ? 280 : 40), h = 1 + any(rng) % 30;
        Image im = random_image(rng, w, h);
        const KZ_Window W = iter % 2 ? random_window(rng) : KZ_Window{0, 0, SW - 1, SH - 1};
        kz_window[4] = W;
        kz_curwindow = 4;
        int x = any(rng) % (SW + 2 * w) - w - 10, y = any(rng) % (SH + 2 * h) - h - 10;
        int A = alphas[iter % 5];
        Rect src = {0, 0, w - 1, h - 1};

        Rle r8 = encode_pairs(w, h, [&](int i) { return im.index[i] != 0; });
        std::vector<uint16_t> want = screen_copy();
        reference(want, K8ToScreen, im, x, y, A, false, false, W, src);
        KZ_Copy8bitRLE(im.index.data(), im.palette.data(), r8.codes.data(), r8.list.data(), w, h, x, y, A);
        ASSERT_EQ(first_difference(want), "") << "8bitRLE iteration " << iter;

        Rle r16 = encode_pairs(w, h, [&](int i) { return im.pixel[i] != 0xF81F; });
        reference(want, K16ToScreen, im, x, y, A, false, false, W, src);
        KZ_Copy16bitRLE(im.pixel.data(), r16.codes.data(), r16.list.data(), w, h, x, y, A);
        ASSERT_EQ(first_difference(want), "") << "16bitRLE iteration " << iter;

        Rle r24 = encode_triples(im, rng);
        reference(want, K24, im, x, y, A, false, false, W, src);
        alphalayer = im.alpha.data();
        KZ_Copy24bitRLE(im.pixel.data(), r24.codes.data(), r24.list.data(), w, h, x, y, A);
        ASSERT_EQ(first_difference(want), "") << "24bitRLE iteration " << iter;
    }
}

TEST_F(Blit, QuitButtonFrameZero) {
    const uint16_t* px = kz_quit_Sprite;
    struct Case {
        int x;
        int row, first, last;  // screen columns filled on that screen row
    } cases[] = {{224, 1, 227, 236}, {-5, 1, 0, 7}, {230, 3, 231, 239}};
    for (const Case& c : cases) {
        SetUp();
        KZ_Copy16bitRLE(px, kz_quit_RLE, kz_quit_RLEList, 16, 16, c.x, 0, 32);
        for (int sx = 0; sx < SW; ++sx) {
            bool inside = sx >= c.first && sx <= c.last;
            EXPECT_EQ(at(sx, c.row) != BACKDROP, inside) << "x " << c.x << " column " << sx;
            if (inside) {
                EXPECT_EQ(at(sx, c.row), px[c.row * 16 + sx - c.x]);
            }
        }
        for (int sx = 0; sx < SW; ++sx) {
            EXPECT_EQ(at(sx, 0), BACKDROP);
            EXPECT_EQ(at(sx, 15), BACKDROP);
        }
    }
    SetUp();
    // Wholly left of the window: no code is read, so none needs to exist.
    KZ_Copy16bitRLE(px, nullptr, nullptr, 16, 16, -700, 0, 32);
    EXPECT_EQ(first_difference(std::vector<uint16_t>(SW * SH, BACKDROP)), "");
}

TEST_F(Blit, DepthThreeRowWithItsOwnWeights) {
    // Codes 2, 3, 4, 1, 0, 6: columns 2-4 blend, 5-8 solid, 9 skipped, 10-15 solid.
    const uint8_t codes[] = {2, 3, 4, 1, 0, 6, 0xFF, 0xFF, 0xFF, 0xFF};
    const uint16_t list[] = {0};
    std::vector<uint16_t> px(16, 0xFFFF);
    std::vector<uint8_t> alpha = {0, 0, 32, 16, 1, 32, 32, 32, 32, 0, 32, 32, 32, 32, 32, 32};
    alpha[5] = 7;  // a solid run ignores its weights
    alphalayer = alpha.data();
    struct Case {
        int x, A;
        std::array<uint16_t, 16> want;
    } cases[] = {
        {0, 32, {0, 0, 0xFFFF, 0x7BEF, 0x0020, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF,
                 0xFFFF}},
        {0, 16, {0, 0, 0x7BEF, 0x39E7, 0, 0x7BEF, 0x7BEF, 0x7BEF, 0x7BEF, 0, 0x7BEF, 0x7BEF, 0x7BEF, 0x7BEF,
                 0x7BEF, 0x7BEF}},
        // left 6: the rest of the solid run, then columns 10-15
        {-6, 32, {0, 0, 0, 0, 0, 0, 0xFFFF, 0xFFFF, 0xFFFF, 0, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}},
        {-6, 16, {0, 0, 0, 0, 0, 0, 0x7BEF, 0x7BEF, 0x7BEF, 0, 0x7BEF, 0x7BEF, 0x7BEF, 0x7BEF, 0x7BEF, 0x7BEF}},
    };
    for (const Case& c : cases) {
        std::fill(std::begin(kz_buffer), std::end(kz_buffer), 0x0000);
        KZ_Copy24bitRLE(px.data(), codes, list, 16, 1, c.x, 0, c.A);
        for (int col = 0; col < 16; ++col)
            if (c.x + col >= 0) {
                EXPECT_EQ(at(c.x + col, 0), c.want[col]) << "x " << c.x << " A " << c.A << " col " << col;
            }
    }
}

// ---- the quit button ------------------------------------------------------------------

TEST(QuitButton, RecordAndRunLengthRowsFollowThePixels) {
    EXPECT_EQ(kz_quit.pixels, kz_quit_Sprite);
    EXPECT_EQ(kz_quit.alpha, nullptr);
    EXPECT_EQ(kz_quit.rlelist, kz_quit_RLEList);
    EXPECT_EQ(kz_quit.rle, kz_quit_RLE);
    EXPECT_EQ(kz_quit.palette, nullptr);
    EXPECT_EQ(kz_quit.depth, 2);
    EXPECT_EQ(kz_quit.full, 0);
    EXPECT_EQ(kz_quit.width, 16);
    EXPECT_EQ(kz_quit.height, 64);

    Rle derived = encode_pairs(16, 64, [](int i) { return kz_quit_Sprite[i] != 0xF81F; });
    ASSERT_EQ(derived.codes.size(), 180u);
    EXPECT_TRUE(std::equal(derived.codes.begin(), derived.codes.end(), kz_quit_RLE));
    EXPECT_TRUE(std::equal(derived.list.begin(), derived.list.end(), kz_quit_RLEList));

    const std::vector<uint8_t> rows[16] = {{16},       {3, 10, 3}, {2, 12, 2}, {1, 14, 1}, {1, 14, 1}, {1, 14, 1},
                                           {1, 14, 1}, {1, 14, 1}, {1, 14, 1}, {1, 14, 1}, {1, 14, 1}, {1, 14, 1},
                                           {1, 14, 1}, {2, 12, 2}, {3, 10, 3}, {16}};
    for (int f = 0; f < 4; ++f)
        for (int r = 0; r < 16; ++r) {
            const uint8_t* code = kz_quit_RLE + kz_quit_RLEList[f * 16 + r];
            EXPECT_TRUE(std::equal(rows[r].begin(), rows[r].end(), code)) << "frame " << f << " row " << r;
        }
    EXPECT_EQ(kz_quit_RLEList[15], 43);
    EXPECT_EQ(kz_quit_RLEList[16], 44);
    EXPECT_EQ(kz_quit_RLEList[17], 45);
    EXPECT_EQ(kz_quit_RLEList[18], 48);
    for (int i = 176; i < 180; ++i) EXPECT_EQ(kz_quit_RLE[i], 0xFF);
}

TEST(QuitButton, FramesAreRedGreenBlueYellow) {
    // The body colour at the frame's centre, channels scaled to 0..31.
    for (int f = 0; f < 4; ++f) {
        uint16_t p = kz_quit_Sprite[(f * 16 + 8) * 16 + 3];
        int r = p >> 11, g = (p >> 5 & 63) >> 1, b = p & 31;
        bool want[4][3] = {{true, false, false}, {false, true, false}, {false, false, true}, {true, true, false}};
        EXPECT_EQ(r > 16, want[f][0]) << f;
        EXPECT_EQ(g > 16, want[f][1]) << f;
        EXPECT_EQ(b > 16, want[f][2]) << f;
        // The highlight band is lighter than the body.
        uint16_t h = kz_quit_Sprite[(f * 16 + 3) * 16 + 3];
        EXPECT_GT((h >> 11) + (h >> 5 & 63) / 2 + (h & 31), r + g + b) << f;
    }
}

// ---- letters -------------------------------------------------------------------------

TEST_F(Blit, Letters) {
    // A 5 x 2 glyph: ink in columns 0, 2 and 4 of row 0 and 1, 3 of row 1.
    const uint16_t m = 0xFFFF;
    std::vector<uint16_t> mask = {m, 0, m, 0, m, 0, m, 0, m, 0};
    std::vector<uint16_t> glyph = {0x1111, 0x2222, 0x3333, 0x4444, 0x5555,
                                   0x6666, 0x7777, 0x8888, 0x9999, 0xAAAA};
    glyph.insert(glyph.end(), mask.begin(), mask.end());

    KZ_CopyPlainLetter(mask.data(), 0xFFFF, 5, 2, 236, 0, 32);  // clipped after four columns
    EXPECT_EQ(at(236, 0), 0xFFFF);
    EXPECT_EQ(at(237, 0), BACKDROP);
    EXPECT_EQ(at(238, 1), BACKDROP);
    EXPECT_EQ(at(239, 1), 0xFFFF);
    EXPECT_EQ(at(0, 1), BACKDROP);

    std::fill(std::begin(kz_buffer), std::end(kz_buffer), 0x0000);
    KZ_CopyPlainLetter(mask.data(), 0xFFFF, 5, 2, 10, 10, 16);
    EXPECT_EQ(at(10, 10), 0x7BEF);
    EXPECT_EQ(at(11, 10), 0x0000);
    KZ_CopyPlainLetter(mask.data(), 0xFFFF, 5, 2, 10, 20, 0);
    EXPECT_EQ(at(10, 20), 0x0000);

    SetUp();
    KZ_CopyLetter(glyph.data(), 1, 5, 2, 50, 50, 32);
    EXPECT_EQ(at(50, 50), 0x1111);
    EXPECT_EQ(at(51, 50), BACKDROP);
    EXPECT_EQ(at(53, 51), 0x9999);
    EXPECT_EQ(at(54, 51), BACKDROP);
    KZ_CopyLetter(glyph.data(), 1, 5, 2, 50, 60, 16);
    EXPECT_EQ(at(52, 60), kz_blend(0x3333, BACKDROP, 16));
    EXPECT_EQ(at(53, 60), BACKDROP);
}

TEST_F(Blit, WideLettersMatchPixelByPixel) {
    // Long enough rows for the eight-pixel steps, with a tail.
    std::mt19937 rng(5);
    const int w = 21, h = 3;
    std::vector<uint16_t> glyph(2 * w * h);
    for (int i = 0; i < w * h; ++i) {
        glyph[i] = uint16_t(rng());
        glyph[w * h + i] = rng() & 1 ? 0xFFFF : 0;
    }
    for (int A : {32, 16, 5, 0}) {
        for (int i = 0; i < SW * SH; ++i) kz_buffer[i] = uint16_t(rng());
        std::vector<uint16_t> want = screen_copy();
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                uint16_t& d = want[(7 + r) * SW + 3 + c];
                uint16_t s = glyph[r * w + c], mk = glyph[w * h + r * w + c];
                d = A == 32 ? uint16_t((d & ~mk) | (s & mk)) : mk ? kz_blend(s, d, A) : d;
            }
        KZ_CopyLetter(glyph.data(), 1, w, h, 3, 7, A);
        EXPECT_EQ(first_difference(want), "") << A;
    }
}

}  // namespace
