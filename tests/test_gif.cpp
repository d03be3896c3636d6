// GIF decoding from memory, the image records and layers made from GIFs, and
// the decoder's behaviour on real files and on broken ones. Test pictures are
// made with giflib's own encoder; real ones come from the shared corpus.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/harness.h"

namespace {

struct Rgb {
    uint8_t r, g, b;
};
using Map = std::vector<Rgb>;
using Bytes = std::vector<uint8_t>;

uint16_t rgb565(Rgb c) { return uint16_t((c.r >> 3) << 11 | (c.g >> 2) << 5 | (c.b >> 3)); }

// A colour map of `count` distinct colours (count a power of two).
Map ramp(int count) {
    Map map;
    for (int i = 0; i < count; ++i) map.push_back({uint8_t(i * 7 + 1), uint8_t(255 - i), uint8_t(i * 3)});
    return map;
}

// Writes GIFs with giflib's encoder into memory.
class GifMaker {
public:
    GifMaker(int w, int h, const Map& global) {
        int error = 0;
        gif_ = EGifOpen(&bytes_, write, &error);
        EXPECT_NE(gif_, nullptr);
        EGifSetGifVersion(gif_, true);
        ColorMapObject* map = makemap(global);
        EXPECT_EQ(EGifPutScreenDesc(gif_, w, h, 8, 0, map), GIF_OK);
        GifFreeMapObject(map);
    }
    ~GifMaker() {
        if (gif_) finish();
    }
    // A graphics control block with this delay in hundredths of a second.
    GifMaker& control(int delay) {
        const uint8_t block[4] = {0, uint8_t(delay), uint8_t(delay >> 8), 0};
        EXPECT_EQ(EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, 4, block), GIF_OK);
        return *this;
    }
    // Rows of `pixels` in picture order; an interlaced image is stored in pass order.
    GifMaker& image(int left, int top, int w, int h, const Bytes& pixels, bool interlace = false,
                    const Map& local = {}) {
        ColorMapObject* map = makemap(local);
        EXPECT_EQ(EGifPutImageDesc(gif_, left, top, w, h, interlace, map), GIF_OK);
        GifFreeMapObject(map);
        std::vector<int> order;
        if (!interlace) {
            for (int r = 0; r < h; ++r) order.push_back(r);
        } else {
            for (int pass = 0; pass < 4; ++pass)
                for (int r = InterlacedOffset[pass]; r < h; r += InterlacedJumps[pass]) order.push_back(r);
        }
        for (int r : order) {
            Bytes line(pixels.begin() + r * w, pixels.begin() + (r + 1) * w);
            EXPECT_EQ(EGifPutLine(gif_, line.data(), w), GIF_OK);
        }
        return *this;
    }
    Bytes finish() {
        int error = 0;
        EGifCloseFile(gif_, &error);
        gif_ = nullptr;
        return bytes_;
    }

private:
    static int write(GifFileType* gif, const GifByteType* data, int length) {
        auto* out = static_cast<Bytes*>(gif->UserData);
        out->insert(out->end(), data, data + length);
        return length;
    }
    static ColorMapObject* makemap(const Map& colours) {
        if (colours.empty()) return nullptr;
        std::vector<GifColorType> c;
        for (Rgb x : colours) c.push_back({x.r, x.g, x.b});
        return GifMakeMapObject(int(c.size()), c.data());
    }
    Bytes bytes_;
    GifFileType* gif_ = nullptr;
};

// One-image GIF of the given pixels over the whole screen.
Bytes simple_gif(int w, int h, const Map& map, const Bytes& pixels, bool interlace = false) {
    return GifMaker(w, h, map).image(0, 0, w, h, pixels, interlace).finish();
}

const Rgb kMagenta{255, 0, 255};
const Rgb kGrey{128, 128, 128};

class Gif : public ::testing::Test {
protected:
    void SetUp() override {
        engine_reset();
        KZ_GifInfo.first = 0;
        KZ_GifInfo.last = 0;
    }
    void TearDown() override { engine_reset(); }
};

// ---- frames run during a decode, read off the headless clock ----------------

// Inside a game body, after one refresh, every frame takes exactly 25 ms.
int frames_during(const std::function<void()>& work) {
    const uint32_t before = zp::headless_time();
    work();
    const uint32_t elapsed = zp::headless_time() - before;
    EXPECT_EQ(elapsed % 25, 0u);
    return int(elapsed / 25);
}

// Code that runs inside each refresh: the hook of a 1 x 1 layer.
std::function<void()> refresh_hook;
void start_refresh_hook(std::function<void()> hook) {
    refresh_hook = std::move(hook);
    KZ_BgLoadBitmap(15, 1, 1, 1);
    kz_dovecto = [](uint8_t) {
        if (refresh_hook) refresh_hook();
    };
}

// Runs `body` as the game, after KZ_Init and a first refresh.
void in_game(const std::function<void()>& body) {
    run_game([&] {
        KZ_Init();
        KZ_Refresh();
        body();
        return 0;
    });
    refresh_hook = nullptr;
}

// ---- DecodeGif ----------------------------------------------------------------

TEST_F(Gif, FullPaletteImageDecodesWithoutAnyRefresh) {
    Bytes pixels(238 * 37);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 13 + i / 238);
    const Map map = ramp(256);
    const Bytes gif = GifMaker(238, 37, map).control(0).image(0, 0, 238, 37, pixels).finish();
    ASSERT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF89a");

    in_game([&] {
        Bytes out(238 * 37, 0xEE);
        std::vector<uint16_t> palette(256, 0xABCD);
        const unsigned paints = zp::headless_paints();
        EXPECT_EQ(frames_during([&] { EXPECT_EQ(DecodeGif(gif.data(), gif.size(), out.data(), palette.data(), 0, 238), KZ_GIF_OK); }), 0);
        EXPECT_EQ(zp::headless_paints(), paints);
        EXPECT_EQ(out, pixels);
        for (int i = 0; i < 256; ++i) ASSERT_EQ(palette[i], rgb565(map[i])) << i;
    });
}

TEST_F(Gif, PaletteConversionDropsLowBitsAndLeavesEntriesAboveTheMap) {
    Map map = ramp(16);
    map[3] = {255, 0, 255};
    map[7] = {64, 54, 165};
    const Bytes gif = simple_gif(2, 1, map, {3, 7});
    std::vector<uint16_t> palette(256, 0xABCD);
    Bytes out(2);
    ASSERT_EQ(DecodeGif(gif.data(), gif.size(), out.data(), palette.data(), 0, 2), KZ_GIF_OK);
    EXPECT_EQ(palette[3], 0xF81F);
    EXPECT_EQ(palette[7], 0x41B4);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(palette[i], rgb565(map[i])) << i;
    for (int i = 16; i < 256; ++i) ASSERT_EQ(palette[i], 0xABCD) << i;

    // In 16-bit form the decoder's own palette is cleared first: an index
    // beyond the map gives black, not what an earlier picture left there.
    std::fill(std::begin(kz_gif_pal), std::end(kz_gif_pal), uint16_t(0x1234));
    const Bytes small = simple_gif(2, 1, ramp(2), {1, 0});
    std::vector<uint16_t> out16(2);
    ASSERT_EQ(DecodeGif(small.data(), small.size(), out16.data(), nullptr, 1, 2), KZ_GIF_OK);
    EXPECT_EQ(out16, (std::vector<uint16_t>{rgb565(ramp(2)[1]), rgb565(ramp(2)[0])}));
    for (int i = 2; i < 256; ++i) ASSERT_EQ(kz_gif_pal[i], 0) << i;
}

TEST_F(Gif, InterlacedImageLandsInTheRowsOfItsTwin) {
    for (int h : {1, 2, 3, 5, 8, 10, 17}) {
        Bytes pixels(7 * h);
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t((i / 7) * 9 + i % 7);
        const Bytes plain = simple_gif(7, h, ramp(256), pixels, false);
        const Bytes interlaced = simple_gif(7, h, ramp(256), pixels, true);
        ASSERT_NE(plain, interlaced);
        for (uint8_t depth : {0, 1}) {
            std::vector<uint16_t> a(7 * h), b(7 * h);
            std::vector<uint16_t> palette(256);
            ASSERT_EQ(DecodeGif(plain.data(), plain.size(), a.data(), palette.data(), depth, 7), KZ_GIF_OK);
            ASSERT_EQ(DecodeGif(interlaced.data(), interlaced.size(), b.data(), palette.data(), depth, 7), KZ_GIF_OK);
            EXPECT_EQ(a, b) << "height " << h << " depth " << int(depth);
        }
        Bytes out(7 * h);
        std::vector<uint16_t> palette(256);
        ASSERT_EQ(DecodeGif(interlaced.data(), interlaced.size(), out.data(), palette.data(), 0, 7), KZ_GIF_OK);
        EXPECT_EQ(out, pixels) << "height " << h;
    }
}

TEST_F(Gif, ImageOffsetPlacesRowsInTheStride) {
    const Bytes pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const Bytes gif = GifMaker(16, 8, ramp(16)).image(3, 2, 4, 3, pixels).finish();
    Bytes out8(16 * 8, 0);
    std::vector<uint16_t> palette(256);
    ASSERT_EQ(DecodeGif(gif.data(), gif.size(), out8.data(), palette.data(), 0, 16), KZ_GIF_OK);
    std::vector<uint16_t> out16(16 * 8, 0);
    ASSERT_EQ(DecodeGif(gif.data(), gif.size(), out16.data(), nullptr, 1, 16), KZ_GIF_OK);
    EXPECT_EQ(out8[35], 1);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(out16.data())[70], uint8_t(rgb565(ramp(16)[1])));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool inside = x >= 3 && x < 7 && y >= 2 && y < 5;
            const uint8_t want = inside ? pixels[(y - 2) * 4 + (x - 3)] : 0;
            ASSERT_EQ(out8[y * 16 + x], want) << x << "," << y;
            ASSERT_EQ(out16[y * 16 + x], inside ? rgb565(ramp(16)[want]) : 0) << x << "," << y;
        }
}

// Rectangles reaching past the logical screen, and strides narrower than it,
// write only inside stride x screen height (the buffers here are exact).
TEST_F(Gif, ImageRectanglesAreClippedToTheScreenAndStride) {
    struct Case {
        int sw, sh, left, top, w, h, stride;
    } cases[] = {
        {4, 4, 2, 2, 4, 4, 4},      // past the right and bottom edges
        {4, 4, 4, 0, 2, 2, 4},      // wholly to the right
        {4, 4, 0, 4, 2, 2, 4},      // wholly below
        {4, 4, 0, 0, 9, 9, 4},      // larger than the screen
        {8, 3, 1, 0, 7, 3, 5},      // stride narrower than the screen
        {3000, 2, 2990, 0, 2100, 2, 3000},  // a line wider than the 16-bit line buffer, clipped
    };
    for (const Case& c : cases) {
        Bytes pixels(size_t(c.w) * c.h);
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(1 + i % 3);
        const Bytes gif = GifMaker(c.sw, c.sh, ramp(4)).image(c.left, c.top, c.w, c.h, pixels).finish();
        Bytes out8(size_t(c.stride) * c.sh, 0);
        std::vector<uint16_t> out16(size_t(c.stride) * c.sh, 0);
        std::vector<uint16_t> palette(256);
        ASSERT_EQ(DecodeGif(gif.data(), gif.size(), out8.data(), palette.data(), 0, int16_t(c.stride)), KZ_GIF_OK);
        ASSERT_EQ(DecodeGif(gif.data(), gif.size(), out16.data(), nullptr, 1, int16_t(c.stride)), KZ_GIF_OK);
        const int clipw = std::min(c.sw, c.stride);
        for (int y = 0; y < c.sh; ++y)
            for (int x = 0; x < c.stride; ++x) {
                const bool inside = x < clipw && x >= c.left && x < c.left + c.w && y >= c.top && y < c.top + c.h;
                const uint8_t want = inside ? pixels[size_t(y - c.top) * c.w + (x - c.left)] : 0;
                ASSERT_EQ(out8[size_t(y) * c.stride + x], want) << c.sw << "x" << c.sh << " at " << x << "," << y;
                ASSERT_EQ(out16[size_t(y) * c.stride + x], inside ? rgb565(ramp(4)[want]) : 0);
            }
    }
}

TEST_F(Gif, WideLinesDecodeInSixteenBitForm) {
    for (int w : {2047, 2048, 2049, 4096}) {
        Bytes pixels(size_t(w) * 2);
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 31 / 7);
        const Bytes gif = simple_gif(w, 2, ramp(256), pixels);
        std::vector<uint16_t> out(size_t(w) * 2);
        ASSERT_EQ(DecodeGif(gif.data(), gif.size(), out.data(), nullptr, 1, int16_t(w)), KZ_GIF_OK) << w;
        std::vector<uint16_t> want(pixels.size());
        const Map map = ramp(256);
        std::transform(pixels.begin(), pixels.end(), want.begin(), [&](uint8_t p) { return rgb565(map[p]); });
        EXPECT_EQ(out, want) << w;
    }
}

TEST_F(Gif, LogicalScreensOutsideTheBoundAreRefused) {
    struct Case {
        int w, h;
        int32_t result;
    } cases[] = {
        {0, 5, KZ_GIF_ESCREEN}, {5, 0, KZ_GIF_ESCREEN}, {4097, 1, KZ_GIF_ESCREEN},
        {1, 4097, KZ_GIF_ESCREEN}, {4096, 1, KZ_GIF_OK}, {1, 4096, KZ_GIF_OK},
    };
    for (const Case& c : cases) {
        Bytes gif = simple_gif(1, 1, ramp(2), {1});
        gif[6] = uint8_t(c.w);
        gif[7] = uint8_t(c.w >> 8);
        gif[8] = uint8_t(c.h);
        gif[9] = uint8_t(c.h >> 8);
        std::vector<uint16_t> out(std::max(1, c.w) * std::max(1, c.h));
        EXPECT_EQ(DecodeGif(gif.data(), gif.size(), out.data(), nullptr, 1, int16_t(std::max(1, c.w))), c.result)
            << c.w << "x" << c.h;
        EXPECT_EQ(KZ_GifToSprite(gif.data(), gif.size()) != nullptr, c.result == KZ_GIF_OK) << c.w << "x" << c.h;
        KZ_BgLoadGif(3, gif.data(), gif.size());
        EXPECT_EQ(kz_bg[3].active, c.result == KZ_GIF_OK ? 1 : 0) << c.w << "x" << c.h;
    }
}

TEST_F(Gif, RefusesWhatCannotBeDecoded) {
    const Bytes good = simple_gif(2, 2, ramp(4), {0, 1, 2, 3});
    Bytes out(4);
    std::vector<uint16_t> palette(256);
    EXPECT_EQ(DecodeGif(nullptr, 10, out.data(), palette.data(), 0, 2), KZ_GIF_EARGS);
    EXPECT_EQ(DecodeGif(good.data(), good.size(), nullptr, palette.data(), 0, 2), KZ_GIF_EARGS);
    EXPECT_EQ(DecodeGif(good.data(), good.size(), out.data(), palette.data(), 0, 0), KZ_GIF_EARGS);
    EXPECT_EQ(DecodeGif(good.data(), good.size(), out.data(), palette.data(), 0, -2), KZ_GIF_EARGS);
    const Bytes text = {'N', 'O', 'T', 'G', 'I', 'F', 2, 0, 2, 0, 0, 0, 0};
    EXPECT_EQ(DecodeGif(text.data(), text.size(), out.data(), palette.data(), 0, 2), KZ_GIF_ENOTGIF);

    // Every cut of a good GIF is refused: no partial picture passes as whole.
    for (size_t n = 0; n < good.size(); ++n) {
        EXPECT_NE(DecodeGif(good.data(), n, out.data(), palette.data(), 0, 2), KZ_GIF_OK) << n;
        EXPECT_NE(DecodeGif(good.data(), n, palette.data(), nullptr, 1, 2), KZ_GIF_OK) << n;
        EXPECT_EQ(KZ_GifToSprite(good.data(), n), nullptr) << n;
        KZ_BgLoadGif16bit(2, good.data(), n);
        EXPECT_EQ(kz_bg[2].active, 0) << n;
    }
    EXPECT_EQ(kz_nsprite_alloc, 0);
    EXPECT_EQ(DecodeGif(good.data(), good.size(), out.data(), palette.data(), 0, 2), KZ_GIF_OK);

    // Stray bytes between records are passed over; the trailer still ends the GIF.
    Bytes stray = good;
    stray.insert(stray.end() - 1, {0x00, 0x42, 0x99});
    EXPECT_EQ(DecodeGif(stray.data(), stray.size(), out.data(), palette.data(), 0, 2), KZ_GIF_OK);
    EXPECT_EQ(out, (Bytes{0, 1, 2, 3}));
}

TEST_F(Gif, NoColourMapDecodesAgainstBlack) {
    // Drop the global map of a 2-colour GIF: no map anywhere.
    Bytes gif = simple_gif(2, 1, {{200, 100, 50}, {10, 20, 30}}, {1, 0});
    ASSERT_EQ(gif[10] & 0x87, 0x80);
    gif[10] &= 0x70;
    gif.erase(gif.begin() + 13, gif.begin() + 19);
    std::vector<uint16_t> palette(256, 0xFFFF);
    Bytes out(2, 9);
    ASSERT_EQ(DecodeGif(gif.data(), gif.size(), out.data(), palette.data(), 0, 2), KZ_GIF_OK);
    EXPECT_EQ(out, (Bytes{1, 0}));
    EXPECT_TRUE(std::all_of(palette.begin(), palette.end(), [](uint16_t c) { return c == 0; }));
    std::vector<uint16_t> out16(2, 0xFFFF);
    ASSERT_EQ(DecodeGif(gif.data(), gif.size(), out16.data(), nullptr, 1, 2), KZ_GIF_OK);
    EXPECT_EQ(out16, (std::vector<uint16_t>{0, 0}));
}

TEST_F(Gif, CopyLine2ConvertsExactlyCountPixels) {
    std::fill(std::begin(kz_gif_pal), std::end(kz_gif_pal), uint16_t(0));
    kz_gif_pal[5] = 0x1234;
    const uint8_t source[3] = {5, 5, 5};
    for (int count : {-3, 0, 1, 3}) {
        std::vector<uint16_t> out(3, 0xAAAA);
        CopyLine2(out.data(), source, count);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(out[i], i < count ? 0x1234 : 0xAAAA) << count;
    }
}

// ---- the delay player -----------------------------------------------------------

TEST_F(Gif, DelaysRunFramesScaledBySpeed) {
    struct Case {
        int delay;
        float speed;
        int frames;
    } cases[] = {{10, 1.0f, 4}, {10, 2.0f, 2}, {10, 0.5f, 8}, {1, 1.0f, 1}, {0, 1.0f, 0}};
    for (const Case& c : cases) {
        const Bytes gif = GifMaker(2, 1, ramp(2)).control(c.delay).image(0, 0, 2, 1, {1, 1}).finish();
        in_game([&] {
            KZ_GifInfo.first = 0;
            KZ_GifInfo.last = INT32_MAX;
            // The speed is set by code running inside the refresh, as a game would.
            start_refresh_hook([&] { KZ_GifInfo.speed = c.speed; });
            Bytes out(2);
            std::vector<uint16_t> palette(256);
            EXPECT_EQ(frames_during([&] { EXPECT_EQ(DecodeGif(gif.data(), gif.size(), out.data(), palette.data(), 0, 2), KZ_GIF_OK); }),
                      c.frames)
                << "delay " << c.delay << " speed " << c.speed;
            EXPECT_EQ(out, (Bytes{1, 1}));
        });
    }
}

TEST_F(Gif, FirstAndLastChooseWhichBlocksWaitAndWhereDecodingStops) {
    // Five graphics control blocks of a tenth of a second, each before an image of value k.
    GifMaker maker(1, 1, ramp(8));
    for (int k = 1; k <= 5; ++k) maker.control(10).image(0, 0, 1, 1, {uint8_t(k)});
    const Bytes gif = maker.finish();
    struct Case {
        int32_t first, last;
        int frames;
        uint8_t shown;
    } cases[] = {
        {0, 0, 1, 0},         // start-up values: stopped after one refresh, before the first image
        {0, 3, 13, 3},        // the fourth block stops the decode after its first refresh
        {2, INT32_MAX, 12, 5},  // the first two blocks do not wait
        {0, INT32_MAX, 20, 5},
    };
    for (const Case& c : cases) {
        in_game([&] {
            KZ_GifInfo.first = c.first;
            KZ_GifInfo.last = c.last;
            Bytes out(1, 0);
            std::vector<uint16_t> palette(256);
            EXPECT_EQ(frames_during([&] { EXPECT_EQ(DecodeGif(gif.data(), gif.size(), out.data(), palette.data(), 0, 1), KZ_GIF_OK); }),
                      c.frames)
                << c.first << " " << c.last;
            EXPECT_EQ(out[0], c.shown) << c.first << " " << c.last;
        });
    }
}

TEST_F(Gif, ImagesBeforeFirstKeepThePalette) {
    // Image A (4 colours) after one block, image B (2 colours) after the second:
    // with first 2, A's map is not converted, B's is.
    const Map a = ramp(4), b = {{9, 9, 9}, {200, 200, 200}};
    const Bytes gif = GifMaker(2, 1, {})
                          .control(0).image(0, 0, 2, 1, {3, 2}, false, a)
                          .control(0).image(0, 0, 1, 1, {1}, false, b)
                          .finish();
    KZ_GifInfo.first = 2;
    KZ_GifInfo.last = INT32_MAX;
    std::vector<uint16_t> palette(256, 0x5555);
    Bytes out(2);
    ASSERT_EQ(DecodeGif(gif.data(), gif.size(), out.data(), palette.data(), 0, 2), KZ_GIF_OK);
    EXPECT_EQ(out, (Bytes{1, 2}));
    EXPECT_EQ(palette[0], rgb565(b[0]));
    EXPECT_EQ(palette[1], rgb565(b[1]));
    EXPECT_EQ(palette[2], 0x5555);
    EXPECT_EQ(palette[3], 0x5555);
}

TEST_F(Gif, PausedWaitCountsNothing) {
    const Bytes gif = GifMaker(1, 1, ramp(2)).control(10).image(0, 0, 1, 1, {1}).finish();
    in_game([&] {
        KZ_GifInfo.last = INT32_MAX;
        int calls = 0;
        // Paused during the first refresh of the wait, playing again at the fourth.
        start_refresh_hook([&] {
            ++calls;
            if (calls == 1) KZ_GifInfo.state = 2;
            if (calls == 4) KZ_GifInfo.state = 1;
        });
        Bytes out(1);
        std::vector<uint16_t> palette(256);
        EXPECT_EQ(frames_during([&] { DecodeGif(gif.data(), gif.size(), out.data(), palette.data(), 0, 1); }), 4 + 3);
        EXPECT_EQ(out[0], 1);
    });
}

TEST_F(Gif, WindowClosedDuringADelayLeavesNothingBehind) {
    const Bytes gif = GifMaker(2, 2, {kGrey, kMagenta}).control(100).image(0, 0, 2, 2, {1, 0, 0, 1}).finish();
    for (int loader = 0; loader < 3; ++loader) {
        bool returned = false;
        run_game([&] {
            KZ_Init();
            KZ_Refresh();
            KZ_GifInfo.last = INT32_MAX;
            zp::headless_script(zp::headless_time() + 100, zp::Ev::Close);
            if (loader == 0) KZ_GifToSprite(gif.data(), gif.size());
            if (loader == 1) KZ_BgLoadGif(5, gif.data(), gif.size());
            if (loader == 2) KZ_BgLoadGif16bit(5, gif.data(), gif.size());
            returned = true;
            return 0;
        });
        EXPECT_FALSE(returned) << loader;
        EXPECT_EQ(kz_nsprite_alloc, 0) << loader;
        EXPECT_EQ(kz_bg[5].active, 0) << loader;
    }
}

// ---- images from GIF ----------------------------------------------------------------

// Reads the count stream of one row and checks it against the pixels.
void expect_rle_row(const KZ_Image* image, int row) {
    const uint8_t* codes = image->rle + image->rlelist[row];
    const uint8_t* pixels = static_cast<const uint8_t*>(image->pixels) + size_t(row) * image->width;
    int x = 0;
    bool skip = true;
    while (x < image->width) {
        const int n = *codes++;
        for (int i = 0; i < n; ++i, ++x) {
            ASSERT_LT(x, image->width) << "row " << row;
            ASSERT_EQ(pixels[x] == 0, skip) << "row " << row << " column " << x;
        }
        skip = !skip;
    }
    ASSERT_EQ(x, image->width) << "row " << row;
}

TEST_F(Gif, TransparentIndexMovesToZeroWithThePixels) {
    Map map = {kGrey, kMagenta, {0, 200, 0}, {0, 0, 200}};
    Bytes pixels(16 * 32);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i % 7 % 4);
    const Bytes gif = simple_gif(16, 32, map, pixels);
    KZ_Image* image = KZ_GifToSprite(gif.data(), gif.size());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->depth, 1);
    EXPECT_EQ(image->width, 16);
    EXPECT_EQ(image->height, 32);
    EXPECT_EQ(image->full, 0);
    EXPECT_EQ(image->palette[0], 0xF81F);
    EXPECT_EQ(image->palette[1], rgb565(kGrey));
    const auto* out = static_cast<const uint8_t*>(image->pixels);
    for (size_t i = 0; i < pixels.size(); ++i) {
        const uint8_t want = pixels[i] == 0 ? 1 : pixels[i] == 1 ? 0 : pixels[i];
        ASSERT_EQ(out[i], want) << i;
    }
    for (int row = 0; row < 32; ++row) expect_rle_row(image, row);
    EXPECT_EQ(kz_nsprite_alloc, 1);
    EXPECT_EQ(kz_sprite_alloc[0], image);
}

TEST_F(Gif, NoTransparentColourGivesAFullImage) {
    const Bytes gif = simple_gif(3, 2, ramp(4), {0, 1, 2, 3, 2, 1});
    KZ_Image* image = KZ_GifToSprite(gif.data(), gif.size());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->full, 1);
    EXPECT_EQ(image->rle, nullptr);
    EXPECT_EQ(image->rlelist, nullptr);
    EXPECT_EQ(Bytes(static_cast<uint8_t*>(image->pixels), static_cast<uint8_t*>(image->pixels) + 6),
              (Bytes{0, 1, 2, 3, 2, 1}));
}

TEST_F(Gif, RowsBecomeSkipRunCounts) {
    Map map = ramp(8);
    map[0] = kMagenta;
    struct Case {
        int w;
        std::vector<Bytes> rows;
        std::vector<uint16_t> list;
        Bytes stream;  // without the closing FF bytes
    } cases[] = {
        {5, {{0, 0, 5, 5, 0}}, {0}, {2, 2, 1}},
        {5, {{5, 5, 0, 0, 0}}, {0}, {0, 2, 3}},
        {5, {{0, 0, 0, 0, 0}}, {0}, {5}},
        {5, {{5, 5, 5, 5, 5}}, {0}, {0, 5}},
        {2, {{0, 5}, {5, 0}}, {0, 2}, {1, 1, 0, 1, 1}},
        {5, {{0, 0, 5, 5, 0}, {5, 5, 0, 0, 0}, {0, 0, 0, 0, 0}, {5, 5, 5, 5, 5}}, {0, 3, 6, 7},
         {2, 2, 1, 0, 2, 3, 5, 0, 5}},
    };
    for (const Case& c : cases) {
        Bytes pixels;
        for (const Bytes& r : c.rows) pixels.insert(pixels.end(), r.begin(), r.end());
        const Bytes gif = simple_gif(c.w, int(c.rows.size()), map, pixels);
        KZ_Image* image = KZ_GifToSprite(gif.data(), gif.size());
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(image->full, 0);
        EXPECT_EQ(std::vector<uint16_t>(image->rlelist, image->rlelist + c.rows.size()), c.list);
        Bytes want = c.stream;
        want.insert(want.end(), 4, 0xFF);
        EXPECT_EQ(Bytes(image->rle, image->rle + want.size()), want);
    }
}

TEST_F(Gif, TwoMagentaEntriesUseTheLower) {
    Map map = ramp(8);
    map[2] = kMagenta;
    map[5] = kMagenta;
    const Bytes gif = simple_gif(4, 1, map, {0, 2, 5, 3});
    KZ_Image* image = KZ_GifToSprite(gif.data(), gif.size());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->palette[0], 0xF81F);
    EXPECT_EQ(image->palette[2], rgb565(map[0]));
    EXPECT_EQ(image->palette[5], 0xF81F);  // an opaque magenta
    EXPECT_EQ(Bytes(static_cast<uint8_t*>(image->pixels), static_cast<uint8_t*>(image->pixels) + 4),
              (Bytes{2, 0, 5, 3}));
    EXPECT_EQ(Bytes(image->rle, image->rle + 8), (Bytes{0, 1, 1, 2, 0xFF, 0xFF, 0xFF, 0xFF}));
}

// Counts above 255 are split so that they stay single bytes and draw the same.
TEST_F(Gif, LongSpansAreSplit) {
    Map map = ramp(4);
    map[0] = kMagenta;
    struct Case {
        int skip1, run1, skip2;
        Bytes stream;
    } cases[] = {
        {300, 0, 0, {255, 0, 45}},
        {0, 300, 0, {0, 255, 0, 45}},
        {300, 300, 0, {255, 0, 45, 255, 0, 45}},
        {255, 255, 0, {255, 255}},
        {256, 10, 510, {255, 0, 1, 10, 255, 0, 255}},
        {1, 765, 1, {1, 255, 0, 255, 0, 255, 1}},
    };
    for (const Case& c : cases) {
        const int w = c.skip1 + c.run1 + c.skip2;
        Bytes pixels(w, 0);
        std::fill_n(pixels.begin() + c.skip1, c.run1, 1);
        const Bytes gif = simple_gif(w, 1, map, pixels);
        KZ_Image* image = KZ_GifToSprite(gif.data(), gif.size());
        ASSERT_NE(image, nullptr);
        Bytes want = c.stream;
        want.insert(want.end(), 4, 0xFF);
        EXPECT_EQ(Bytes(image->rle, image->rle + want.size()), want) << c.skip1 << " " << c.run1 << " " << c.skip2;
        expect_rle_row(image, 0);
    }
}

// Drawn through the run-length blitter, split spans give the picture the
// per-pixel transparent blitter gives, at several clip positions.
TEST_F(Gif, SplitSpansDrawLikeTheirPixels) {
    Map map = ramp(4);
    map[0] = kMagenta;
    const int w = 700, h = 3;
    Bytes pixels(size_t(w) * h, 0);
    std::fill_n(pixels.begin() + 300, 300, 1);             // skip 300, run 300, skip 100
    std::fill_n(pixels.begin() + w, 520, 2);                // run 520, skip 180
    std::fill_n(pixels.begin() + 2 * w + 600, 100, 3);      // skip 600, run 100
    const Bytes gif = simple_gif(w, h, map, pixels);
    const KZ_Image* image = KZ_GifToSprite(gif.data(), gif.size());
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->full, 0);
    const auto* px = static_cast<const uint8_t*>(image->pixels);
    for (int x : {0, -100, -270, -299, -310, -520, -560, -650}) {
        std::fill(std::begin(kz_buffer), std::end(kz_buffer), uint16_t(0x0841));
        KZ_Copy8bitToScreen(px, image->palette, w, h, x, 10, 32, 0, 0);
        const std::vector<uint16_t> direct(std::begin(kz_buffer), std::end(kz_buffer));
        ASSERT_LT(std::count(direct.begin(), direct.end(), uint16_t(0x0841)), long(direct.size())) << "x " << x;
        std::fill(std::begin(kz_buffer), std::end(kz_buffer), uint16_t(0x0841));
        KZ_Copy8bitRLE(px, image->palette, image->rle, image->rlelist, w, h, x, 10, 32);
        EXPECT_TRUE(std::equal(direct.begin(), direct.end(), std::begin(kz_buffer))) << "x " << x;
    }
}

// A stream whose rows begin beyond what a 16-bit list entry addresses is refused.
TEST_F(Gif, StreamBeyondTheRowListIsRefused) {
    Map map = ramp(2);
    map[0] = kMagenta;
    struct Case {
        int h;
        bool made;
    } cases[] = {{16, true}, {17, false}};  // a row of 4096 alternating pixels takes 4096 bytes
    for (const Case& c : cases) {
        Bytes pixels(size_t(4096) * c.h);
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i & 1);
        const Bytes gif = simple_gif(4096, c.h, map, pixels);
        const uint16_t before = kz_nsprite_alloc;
        KZ_Image* image = KZ_GifToSprite(gif.data(), gif.size());
        EXPECT_EQ(image != nullptr, c.made) << c.h;
        EXPECT_EQ(kz_nsprite_alloc, before + (c.made ? 1 : 0)) << c.h;
        if (image) {
            EXPECT_EQ(image->rlelist[c.h - 1], 4096 * (c.h - 1));
        }
    }
}

TEST_F(Gif, RegistryRefusesBeyondItsTable) {
    const Bytes gif = simple_gif(1, 1, {kMagenta, kGrey}, {1});
    for (size_t i = 0; i < std::size(kz_sprite_alloc); ++i) ASSERT_NE(KZ_GifToSprite(gif.data(), gif.size()), nullptr) << i;
    EXPECT_EQ(kz_nsprite_alloc, 2048);
    EXPECT_EQ(KZ_GifToSprite(gif.data(), gif.size()), nullptr);
    EXPECT_EQ(kz_nsprite_alloc, 2048);
    kz_cleanspritealloc();
    EXPECT_EQ(kz_nsprite_alloc, 0);
    EXPECT_NE(KZ_GifToSprite(gif.data(), gif.size()), nullptr);
}

TEST_F(Gif, LayerLoadersSetFullFromThePalette) {
    struct Case {
        Map map;
        uint8_t full;
    } cases[] = {{{kGrey, {1, 2, 3}}, 1}, {{kGrey, kMagenta}, 0}, {{kMagenta, kGrey, kGrey, kGrey}, 0}};
    for (const Case& c : cases) {
        const Bytes gif = simple_gif(3, 2, c.map, {0, 1, 1, 0, 1, 0});
        // A 16-bit decode that leaves magenta in the shared palette must not leak into the next.
        std::fill(std::begin(kz_gif_pal), std::end(kz_gif_pal), uint16_t(0xF81F));

        KZ_BgLoadGif(1, gif.data(), gif.size());
        const KZ_Bg& b8 = kz_bg[1];
        ASSERT_EQ(b8.active, 1);
        EXPECT_EQ(b8.type, 3);
        EXPECT_EQ(b8.depth, 1);
        EXPECT_EQ(b8.width, 3);
        EXPECT_EQ(b8.height, 2);
        EXPECT_EQ(b8.full, c.full);
        EXPECT_EQ(Bytes(static_cast<uint8_t*>(b8.pixels), static_cast<uint8_t*>(b8.pixels) + 6), (Bytes{0, 1, 1, 0, 1, 0}));
        EXPECT_EQ(b8.palette[1], rgb565(c.map[1]));  // not reordered

        std::fill(std::begin(kz_gif_pal), std::end(kz_gif_pal), uint16_t(0xF81F));
        KZ_BgLoadGif16bit(2, gif.data(), gif.size());
        const KZ_Bg& b16 = kz_bg[2];
        ASSERT_EQ(b16.active, 1);
        EXPECT_EQ(b16.depth, 2);
        EXPECT_EQ(b16.full, c.full);
        EXPECT_EQ(static_cast<uint16_t*>(b16.pixels)[1], rgb565(c.map[1]));

        // A GIF that does not decode leaves the layer free, even one that was in use.
        KZ_BgLoadGif(1, gif.data(), gif.size() - 2);
        KZ_BgLoadGif16bit(2, gif.data(), 9);
        EXPECT_EQ(kz_bg[1].active, 0);
        EXPECT_EQ(kz_bg[2].active, 0);
    }
}

TEST_F(Gif, ShutDownFreesEveryRecord) {
    const Bytes transparent = simple_gif(2, 2, {kGrey, kMagenta}, {1, 0, 0, 1});
    const Bytes full = simple_gif(2, 2, {kGrey, {1, 1, 1}}, {1, 0, 0, 1});
    run_game([&] {
        KZ_Init();
        for (int i = 0; i < 10; ++i) {
            const Bytes& gif = i % 2 ? transparent : full;
            EXPECT_NE(KZ_GifToSprite(gif.data(), gif.size()), nullptr);
        }
        EXPECT_EQ(kz_nsprite_alloc, 10);
        KZ_BgLoadGif(1, transparent.data(), transparent.size());
        return 0;
    });
    // The leak checker of the sanitizer build proves the blocks went too.
    EXPECT_EQ(kz_nsprite_alloc, 0);
    EXPECT_EQ(kz_bg[1].active, 0);
}

// ---- the corpus of real files -------------------------------------------------------

const std::string kCorpus = ZARIZ_SOURCE_DIR "/../shared/gif-corpus";

Bytes read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct CorpusFile {
    std::string name;  // path under the corpus
    bool valid;
    int w, h;
    bool has_expected;
};

std::vector<CorpusFile> corpus_files() {
    std::vector<CorpusFile> files;
    std::ifstream in(kCorpus + "/MANIFEST.tsv");
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::vector<std::string> col;
        std::stringstream ss(line);
        for (std::string f; std::getline(ss, f, '\t');) col.push_back(f);
        if (col.size() < 16) continue;
        CorpusFile f{col[0], col[1] == "valid", 0, 0, col[15].rfind("expected/", 0) == 0};
        f.w = col[7] == "-" ? 0 : std::stoi(col[7]);
        f.h = col[8] == "-" ? 0 : std::stoi(col[8]);
        files.push_back(f);
    }
    return files;
}

// Walks the blocks of a GIF. `trailer` is the trailer's offset (0 when none
// is found); `first` is the GIF with its first image only and no graphics
// control blocks, which is what the expected pictures show.
struct Walk {
    size_t trailer = 0;
    bool has_image = false;
    int left = 0, top = 0, w = 0, h = 0;  // the first image's rectangle
    Bytes first;
};

Walk walk(const Bytes& f) {
    Walk w;
    if (f.size() < 13) return w;
    size_t p = 13;
    if (f[10] & 0x80) p += 3 * (2u << (f[10] & 7));
    if (p > f.size()) return w;
    w.first.assign(f.begin(), f.begin() + p);
    auto blocks = [&](size_t& q) {
        while (q < f.size()) {
            const size_t n = f[q];
            q += 1 + n;
            if (n == 0) return q <= f.size();
        }
        return false;
    };
    while (p < f.size()) {
        if (f[p] == 0x3B) {
            w.trailer = p;
            break;
        }
        size_t q = p;
        if (f[p] == 0x21 && p + 1 < f.size()) {
            q = p + 2;
            if (!blocks(q)) break;
            if (!w.has_image && f[p + 1] != 0xF9) w.first.insert(w.first.end(), f.begin() + p, f.begin() + q);
        } else if (f[p] == 0x2C && p + 10 < f.size()) {
            const uint8_t flags = f[p + 9];
            q = p + 10 + ((flags & 0x80) ? 3 * (2u << (flags & 7)) : 0) + 1;
            if (q > f.size() || !blocks(q)) break;
            if (!w.has_image) {
                w.first.insert(w.first.end(), f.begin() + p, f.begin() + q);
                w.left = f[p + 1] | f[p + 2] << 8;
                w.top = f[p + 3] | f[p + 4] << 8;
                w.w = f[p + 5] | f[p + 6] << 8;
                w.h = f[p + 7] | f[p + 8] << 8;
            }
            w.has_image = true;
        } else {
            break;
        }
        p = q;
    }
    w.first.push_back(0x3B);
    return w;
}

bool oversize(const CorpusFile& f) { return f.w > KZ_GIF_MAXSIDE || f.h > KZ_GIF_MAXSIDE; }

#define NEED_CORPUS()                                                                         \
    if (corpus_files().empty()) GTEST_SKIP() << "GIF corpus not found at " << kCorpus;

// Every file with an expected picture: its first image in 16-bit form equals
// that picture exactly; so do the 8-bit form through its palette and the image
// record through its reordered palette. Malformed files may instead be refused.
TEST_F(Gif, CorpusFirstImagesMatchTheExpectedPictures) {
    NEED_CORPUS();
    int compared = 0;
    for (const CorpusFile& f : corpus_files()) {
        if (!f.has_expected) continue;
        SCOPED_TRACE(f.name);
        const Walk w = walk(read_file(kCorpus + "/" + f.name));
        if (f.valid) {
            ASSERT_TRUE(w.has_image && w.trailer);
        }
        if (!w.has_image) continue;
        const Bytes& gif = w.first;
        if (oversize(f)) {
            std::vector<uint16_t> out(1);
            EXPECT_EQ(DecodeGif(gif.data(), gif.size(), out.data(), nullptr, 1, 1), KZ_GIF_ESCREEN);
            EXPECT_EQ(KZ_GifToSprite(gif.data(), gif.size()), nullptr);
            continue;
        }
        const Bytes raw = read_file(kCorpus + "/expected/" + f.name.substr(f.name.find('/') + 1) + ".rgb565");
        ASSERT_EQ(raw.size(), size_t(f.w) * f.h * 2);
        std::vector<uint16_t> expected(raw.size() / 2);
        for (size_t i = 0; i < expected.size(); ++i) expected[i] = uint16_t(raw[2 * i] | raw[2 * i + 1] << 8);

        std::vector<uint16_t> out16(expected.size(), 0);
        const int32_t r16 = DecodeGif(gif.data(), gif.size(), out16.data(), nullptr, 1, int16_t(f.w));
        if (!f.valid && r16 != KZ_GIF_OK) {
            EXPECT_EQ(KZ_GifToSprite(gif.data(), gif.size()), nullptr);
            continue;
        }
        ASSERT_EQ(r16, KZ_GIF_OK);
        ASSERT_EQ(out16, expected);

        Bytes out8(expected.size(), 0);
        std::vector<uint16_t> palette(256, 0);
        ASSERT_EQ(DecodeGif(gif.data(), gif.size(), out8.data(), palette.data(), 0, int16_t(f.w)), KZ_GIF_OK);
        // Pixels the image does not cover stay index 0, whatever colour that is.
        auto covered = [&](size_t i) {
            const int x = int(i % f.w), y = int(i / f.w);
            return x >= w.left && x < w.left + w.w && y >= w.top && y < w.top + w.h;
        };
        for (size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(covered(i) ? palette[out8[i]] : out8[i], expected[i]) << i;

        const KZ_Image* image = KZ_GifToSprite(gif.data(), gif.size());
        ASSERT_NE(image, nullptr);
        const auto* px = static_cast<const uint8_t*>(image->pixels);
        for (size_t i = 0; i < expected.size(); ++i)
            if (covered(i)) {
                ASSERT_EQ(image->palette[px[i]], expected[i]) << i;
            }
        if (!image->full) {
            EXPECT_EQ(image->palette[0], kz_transpcolor);
            for (int row = 0; row < image->height; ++row) expect_rle_row(image, row);
        }
        kz_cleanspritealloc();
        ++compared;
    }
    EXPECT_GE(compared, 72);
}

// Every file decoded whole, animation delays played (fast), in both forms and
// as an image record: each outcome is clear, and the three agree.
TEST_F(Gif, CorpusWholeFilesDecodeOrAreRefusedCleanly) {
    NEED_CORPUS();
    const std::map<std::string, int32_t> known = {
        {"malformed/empty.gif", KZ_GIF_ENOTGIF},
        {"malformed/truncated_header.gif", KZ_GIF_ENOTGIF},
        {"malformed/id:000128,orig:id:000662,src:000473,op:arith8,pos:13,val:-31,+cov.gif", KZ_GIF_ENOTGIF},
        {"malformed/zero_dimensions.gif", KZ_GIF_ESCREEN},
        {"malformed/issue-96-small-codesize.gif", KZ_GIF_ESCREEN},
        {"malformed/max-size.gif", KZ_GIF_ESCREEN},
        {"malformed/issue-101-infinite-empty-loop.gif", KZ_GIF_ESCREEN},
        {"malformed/id:000394,src:000390,op:havoc,rep:4.gif", KZ_GIF_ESCREEN},
        {"malformed/no_trailer.gif", KZ_GIF_EDATA},
        {"malformed/truncated_lzw.gif", KZ_GIF_EDATA},
        {"malformed/hippopotamus.interlaced.truncated.gif", KZ_GIF_EDATA},
        {"malformed/bad_lzw_code.gif", KZ_GIF_EDATA},
        {"malformed/pixel-data-none.gif", KZ_GIF_EDATA},
        {"malformed/pixel-data-not-enough.gif", KZ_GIF_EDATA},
        {"malformed/max-codes.gif", KZ_GIF_EDATA},
        {"malformed/porsche.gif", KZ_GIF_OK},
        {"malformed/bad_magic.gif", KZ_GIF_OK},
        {"malformed/decompression_bomb_extents.gif", KZ_GIF_OK},
    };
    const std::vector<CorpusFile> files = corpus_files();
    in_game([&] {
        KZ_GifInfo.first = 0;
        KZ_GifInfo.last = INT32_MAX;
        start_refresh_hook([] { KZ_GifInfo.speed = 1e6f; });
        for (const CorpusFile& f : files) {
            SCOPED_TRACE(f.name);
            const Bytes gif = read_file(kCorpus + "/" + f.name);
            const int w = std::clamp(f.w, 1, KZ_GIF_MAXSIDE), h = std::clamp(f.h, 1, KZ_GIF_MAXSIDE);
            Bytes out8(size_t(w) * h);
            std::vector<uint16_t> out16(size_t(w) * h), palette(256);
            const int32_t r8 = DecodeGif(gif.data(), gif.size(), out8.data(), palette.data(), 0, int16_t(w));
            const int32_t r16 = DecodeGif(gif.data(), gif.size(), out16.data(), nullptr, 1, int16_t(w));
            EXPECT_EQ(r8, r16);
            const KZ_Image* image = KZ_GifToSprite(gif.data(), gif.size());
            EXPECT_EQ(image != nullptr, r8 == KZ_GIF_OK);
            if (image && !image->full)
                for (int row = 0; row < image->height; ++row) expect_rle_row(image, row);
            if (f.valid) {
                EXPECT_EQ(r8, oversize(f) ? KZ_GIF_ESCREEN : KZ_GIF_OK);
            }
            if (auto k = known.find(f.name); k != known.end()) {
                EXPECT_EQ(r8, k->second);
            }
            KZ_BgLoadGif16bit(3, gif.data(), gif.size());
            EXPECT_EQ(kz_bg[3].active, r8 == KZ_GIF_OK ? 1 : 0);
            kz_cleanspritealloc();
        }
    });
}

// Every valid file cut short decodes to a refusal, whatever the cut; a cut
// past the trailer changes nothing.
TEST_F(Gif, CorpusFilesCutAtManyLengthsAreRefused) {
    NEED_CORPUS();
    KZ_GifInfo.first = INT32_MAX;  // outcomes only: no delays are waited
    for (const CorpusFile& f : corpus_files()) {
        if (!f.valid) continue;
        SCOPED_TRACE(f.name);
        const Bytes gif = read_file(kCorpus + "/" + f.name);
        const size_t trailer = walk(gif).trailer;
        ASSERT_GT(trailer, 0u);
        // Every length through the header, colour map and first blocks, then
        // spread over the rest, then every length of the last few bytes.
        std::vector<size_t> cuts;
        for (size_t n = 0; n <= std::min<size_t>(gif.size(), 100); ++n) cuts.push_back(n);
        for (size_t n = 100; n < gif.size(); n += std::max<size_t>(1, gif.size() / 40)) cuts.push_back(n);
        for (size_t n = gif.size() > 8 ? gif.size() - 8 : 0; n <= gif.size(); ++n) cuts.push_back(n);
        const int w = std::min(f.w, KZ_GIF_MAXSIDE), h = std::min(f.h, KZ_GIF_MAXSIDE);
        std::vector<uint16_t> out(size_t(w) * h);
        for (size_t n : cuts) {
            // The copy is exactly n bytes long, so a read past it is caught.
            const Bytes cut(gif.begin(), gif.begin() + n);
            const int32_t r = DecodeGif(cut.data(), cut.size(), out.data(), nullptr, 1, int16_t(w));
            if (oversize(f))
                ASSERT_NE(r, KZ_GIF_OK) << n;
            else
                ASSERT_EQ(r == KZ_GIF_OK, n > trailer) << n << " result " << r;
            const KZ_Image* image = KZ_GifToSprite(cut.data(), cut.size());
            ASSERT_EQ(image != nullptr, r == KZ_GIF_OK) << n;
            kz_cleanspritealloc();
        }
    }
}

}  // namespace
