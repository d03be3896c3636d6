// Background layers: loaders, bitmap and tile-map drawing, scrolling, the hook.
#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <vector>

#include "support/harness.h"

namespace {

constexpr uint16_t kBack = 0x0841;

class Bg : public ::testing::Test {
protected:
    void SetUp() override {
        engine_reset();
        for (KZ_Bg& b : kz_bg) b = KZ_Bg{};
        std::fill_n(kz_buffer, KZ_SCREEN_W * KZ_SCREEN_H, kBack);
    }
    void TearDown() override { engine_reset(); }

    static uint16_t at(int x, int y) { return kz_buffer[y * KZ_SCREEN_W + x]; }
};

int floor_div(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// A screen-sized map of 6 x 6 tiles where every cell has its own solid tile,
// so each screen pixel tells which cell covered it.
TEST_F(Bg, TileLayerDrawsTheVisibleCells) {
    constexpr int cols = 40, rows = 53, cells = cols * rows;
    std::vector<uint8_t> tiles(size_t(cells + 1) * 37);
    for (int t = 0; t <= cells; t++) {
        tiles[size_t(t) * 37] = 1;
        std::fill_n(&tiles[size_t(t) * 37 + 1], 36, uint8_t(t % 255 + 1));
    }
    std::vector<uint32_t> map(cells);
    for (int n = 0; n < cells; n++) map[n] = uint32_t(n + 1);
    uint16_t palette[256];
    for (int i = 0; i < 256; i++) palette[i] = uint16_t(i);
    const int32_t description[6] = {1, 1, 240, 320, 6, 6};

    const struct {
        int sx, sy;
    } scrolls[] = {{0, 0}, {0, -7}, {0, 7}, {-7, 0}, {7, 0}, {-3, 5}, {250, 0}, {0, -400}};
    for (auto s : scrolls) {
        SCOPED_TRACE(testing::Message() << "scroll " << s.sx << "," << s.sy);
        std::fill_n(kz_buffer, KZ_SCREEN_W * KZ_SCREEN_H, uint16_t(0xFFFF));
        KZ_BgLoadEx(2, description, tiles.data(), map.data(), palette);
        EXPECT_EQ(kz_bg[2].mapw, cols);
        EXPECT_EQ(kz_bg[2].maph, rows);
        KZ_BgScrollXY(2, s.sx, s.sy);
        KZ_ShowBg(2);
        for (int y = 0; y < 320; y++) {
            for (int x = 0; x < 240; x++) {
                const int r = floor_div(y - s.sy, 6), c = floor_div(x - s.sx, 6);
                // The cell range is measured against the layer's own size: a
                // column that starts inside it but reaches past its right edge
                // is left out, a row is kept.
                const int endCol = std::min((240 - s.sx) / 6, cols);
                const bool covered = r >= 0 && r < rows && c >= 0 && c < endCol;
                const uint16_t want = covered ? uint16_t((r * cols + c + 1) % 255 + 1) : 0xFFFF;
                ASSERT_EQ(at(x, y), want) << x << "," << y;
            }
        }
    }
}

// One cell of a screen-sized map, row 8 column 16, drawn at (96, 48): tile number, mirrors, palette choice and the
// opaque-tile fast path, which draws index 0 like any other.
TEST_F(Bg, TileCellValues) {
    constexpr int ntiles = 72;
    auto index = [](int t, int i, int j) { return (t + j * 6 + i) % 7 == 0 ? 0 : 1 + (t * 3 + j * 6 + i) % 200; };
    std::vector<uint8_t> tiles(ntiles * 37);
    for (int t = 0; t < ntiles; t++) {
        tiles[t * 37] = t % 2 == 0 ? 1 : 0;
        for (int j = 0; j < 6; j++)
            for (int i = 0; i < 6; i++) tiles[t * 37 + 1 + j * 6 + i] = uint8_t(index(t, i, j));
    }
    uint16_t palettes[16][256];
    for (int k = 0; k < 16; k++)
        for (int i = 0; i < 256; i++) palettes[k][i] = uint16_t(k * 256 + i);
    std::vector<uint32_t> map(40 * 53);
    const int32_t description[6] = {1, 1, 240, 320, 6, 6};

    const struct {
        uint32_t value;
        bool drawn;
        int tile, palette, flipx, flipy;
    } cases[] = {
        {0, false, 0, 0, 0, 0},
        {8 | 1u << 25, true, 8, 0, 1, 0},
        {59 | 3u << 25, true, 59, 0, 1, 1},
        {65 | 3u << 27, true, 65, 3, 0, 0},
        {0 | 1u << 12, true, 0, 0, 0, 0},
        {70 | 1u << 26 | 15u << 27, true, 70, 15, 0, 1},
        {1u << 24, false, 0, 0, 0, 0},  // bit 24 is not read: still empty
        {5 | 1u << 31, true, 5, 0, 0, 0},
        {4, true, 4, 0, 0, 0},
    };
    for (auto c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "cell 0x" << c.value);
        std::fill_n(kz_buffer, KZ_SCREEN_W * KZ_SCREEN_H, kBack);
        map[8 * 40 + 16] = c.value;
        KZ_BgLoadEx(5, description, tiles.data(), map.data(), palettes[0]);
        for (int k = 1; k < 16; k++) kz_bg[5].palettes[k] = palettes[k];
        KZ_ShowBg(5);
        const bool fast = tiles[c.tile * 37] == 1 && !c.flipx && !c.flipy;
        for (int y = 0; y < 320; y++) {
            for (int x = 0; x < 240; x++) {
                const int i = x - 96, j = y - 48;
                uint16_t want = kBack;
                if (c.drawn && i >= 0 && i < 6 && j >= 0 && j < 6) {
                    const int n = index(c.tile, c.flipx ? 5 - i : i, c.flipy ? 5 - j : j);
                    if (n != 0 || fast) want = palettes[c.palette][n];
                }
                ASSERT_EQ(at(x, y), want) << x << "," << y;
            }
        }
    }
}

// A 3 x 2 picture at (20, 30) over the background colour.
TEST_F(Bg, BitmapLayersDraw) {
    static uint16_t caller[6] = {0x1111, 0x2222, 0x3333, 0x4444, 0x5555, 0x6666};
    const uint16_t keyed[6] = {0xF81F, 0x1234, 0x5678, 0x9ABC, 0xF81F, 0x0001};
    struct Case {
        const char* name;
        void (*load)(const uint16_t* keyed);
        uint16_t back;
        uint16_t want[6];
    };
    const Case cases[] = {
        {"8-bit full draws index 0",
         [](const uint16_t*) {
             KZ_BgLoad8bitBitmap(3, 3, 2, 1);
             const uint8_t px[6] = {0, 1, 2, 3, 0, 1};
             std::memcpy(kz_bg[3].pixels, px, 6);
             for (int i = 0; i < 4; i++) kz_bg[3].palette[i] = uint16_t(0xAAAA - i * 0x1111);
         },
         kBack, {0xAAAA, 0x9999, 0x8888, 0x7777, 0xAAAA, 0x9999}},
        {"8-bit keyed skips index 0",
         [](const uint16_t*) {
             KZ_BgLoad8bitBitmap(3, 3, 2, 0);
             const uint8_t px[6] = {0, 1, 2, 3, 0, 1};
             std::memcpy(kz_bg[3].pixels, px, 6);
             for (int i = 0; i < 4; i++) kz_bg[3].palette[i] = uint16_t(0xAAAA - i * 0x1111);
         },
         kBack, {kBack, 0x9999, 0x8888, 0x7777, kBack, 0x9999}},
        {"new 8-bit keyed bitmap is empty",
         [](const uint16_t*) {
             KZ_BgLoad8bitBitmap(3, 3, 2, 0);
             for (int i = 0; i < 256; i++) kz_bg[3].palette[i] = 0xFFFF;
         },
         kBack, {kBack, kBack, kBack, kBack, kBack, kBack}},
        {"16-bit keyed skips the transparent colour",
         [](const uint16_t* k) {
             KZ_BgLoadBitmap(3, 3, 2, 0);
             KZ_BgCopyBitmap(3, k);
         },
         kBack, {kBack, 0x1234, 0x5678, 0x9ABC, kBack, 0x0001}},
        {"16-bit full draws it",
         [](const uint16_t* k) {
             KZ_BgLoadBitmap(3, 3, 2, 1);
             KZ_BgCopyBitmap(3, k);
         },
         kBack, {0xF81F, 0x1234, 0x5678, 0x9ABC, 0xF81F, 0x0001}},
        {"16-bit at layer alpha 16",
         [](const uint16_t*) {
             KZ_BgLoadBitmap(3, 3, 2, 1);
             std::fill_n(static_cast<uint16_t*>(kz_bg[3].pixels), 6, uint16_t(0xFFFF));
             kz_bg[3].alpha = 16;
         },
         0, {0x7BEF, 0x7BEF, 0x7BEF, 0x7BEF, 0x7BEF, 0x7BEF}},
        {"24-bit with its alpha plane",
         [](const uint16_t*) {
             auto* px = static_cast<uint16_t*>(std::malloc(6 * 2 + 6));
             std::fill_n(px, 6, uint16_t(0xFFFF));
             const uint8_t alpha[6] = {0, 16, 32, 32, 16, 0};
             std::memcpy(px + 6, alpha, 6);
             KZ_BgLoadBitmapEx(3, px, 3, 2, 0, 1);
         },
         0, {0, 0x7BEF, 0xFFFF, 0xFFFF, 0x7BEF, 0}},
        {"caller's 16-bit pixels",
         [](const uint16_t*) {
             const int32_t description[6] = {0, 2, 3, 2, 1, 0};
             KZ_BgLoadEx(3, description, caller, nullptr, nullptr);
         },
         kBack, {0x1111, 0x2222, 0x3333, 0x4444, 0x5555, 0x6666}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const uint16_t back = c.back;
        std::fill_n(kz_buffer, KZ_SCREEN_W * KZ_SCREEN_H, back);
        c.load(keyed);
        KZ_BgScrollXY(3, 20, 30);
        KZ_ShowBg(3);
        for (int y = 0; y < 320; y++) {
            for (int x = 0; x < 240; x++) {
                const int i = x - 20, j = y - 30;
                const bool inside = i >= 0 && i < 3 && j >= 0 && j < 2;
                ASSERT_EQ(at(x, y), inside ? c.want[j * 3 + i] : back) << x << "," << y;
            }
        }
    }
}

TEST_F(Bg, LoadersSetTheirFields) {
    kz_bgcolor = 0x4321;
    kz_bg[1].window = 7;
    kz_bg[1].scrollx = 9;
    KZ_BgLoadBitmap(1, 4, 3, 0);
    const KZ_Bg& b = kz_bg[1];
    EXPECT_EQ(b.active, 1);
    EXPECT_EQ(b.type, 3);
    EXPECT_EQ(b.depth, 2);
    EXPECT_EQ(b.prio, 1);
    EXPECT_EQ(b.alpha, 32);
    EXPECT_EQ(b.window, 0);
    EXPECT_EQ(b.scrollx, 0);
    EXPECT_EQ(b.width, 4);
    EXPECT_EQ(b.height, 3);
    for (int n = 0; n < 12; n++) EXPECT_EQ(static_cast<uint16_t*>(b.pixels)[n], 0x4321);

    KZ_BgLoad8bitBitmap(9, 5, 2, 0);
    EXPECT_EQ(kz_bg[9].depth, 1);
    EXPECT_EQ(kz_bg[9].prio, 9);
    for (int n = 0; n < 10; n++) EXPECT_EQ(static_cast<uint8_t*>(kz_bg[9].pixels)[n], 0) << n;

    uint32_t map[4] = {};
    uint8_t tiles[37] = {};
    uint16_t palette[256] = {};
    const int32_t tilemap[6] = {1, 1, 16, 8, 8, 4};
    KZ_BgLoadEx(12, tilemap, tiles, map, palette);
    const KZ_Bg& t = kz_bg[12];
    EXPECT_EQ(t.type, 1);
    EXPECT_EQ(t.tilew, 8);
    EXPECT_EQ(t.tileh, 4);
    EXPECT_EQ(t.mapw, 2);
    EXPECT_EQ(t.maph, 2);
    EXPECT_EQ(t.palettes[0], palette);
    EXPECT_EQ(t.full, 0);
    EXPECT_EQ(t.prio, 12);
}

TEST_F(Bg, SetPixelAlphaBlendsIntoOnePixel) {
    kz_bgcolor = 0;
    KZ_BgLoadBitmap(6, 3, 2, 0);
    KZ_BgSetPixelAlpha(6, 1, 1, 0xFFFF, 16);
    KZ_BgSetPixelAlpha(6, 2, 0, 0xF800, 32);
    KZ_BgSetPixelAlpha(6, 0, 0, 0xFFFF, 0);
    const auto* px = static_cast<uint16_t*>(kz_bg[6].pixels);
    const uint16_t want[6] = {0, 0, 0xF800, 0, 0x7BEF, 0};
    for (int n = 0; n < 6; n++) EXPECT_EQ(px[n], want[n]) << n;
}

std::vector<int> hooked;
void record_hook(uint8_t layer) {
    EXPECT_EQ(kz_cursprite, -1);
    EXPECT_EQ(kz_curwindow, kz_bg[layer].window);
    hooked.push_back(layer);
}

// A white pixel at (0, 0): drawn and hooked only when the layer shows.
TEST_F(Bg, HiddenLayersAreNeitherDrawnNorHooked) {
    const struct {
        uint8_t active, type;
        int16_t alpha;
        bool drawn, hooked;
    } cases[] = {
        {1, 3, 32, true, true},   {1, 3, 0, false, false},  {1, 3, -3, false, false},
        {2, 3, 32, false, false}, {0, 3, 32, false, false}, {1, 9, 32, false, true},
    };
    kz_dovecto = record_hook;
    KZ_SetWindowLimits(4, 0, 0, 239, 319);
    for (auto c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.active) << " " << int(c.type) << " " << c.alpha);
        std::fill_n(kz_buffer, KZ_SCREEN_W * KZ_SCREEN_H, kBack);
        hooked.clear();
        KZ_BgLoadBitmap(8, 1, 1, 1);
        *static_cast<uint16_t*>(kz_bg[8].pixels) = 0xFFFF;
        kz_bg[8].window = 4;
        kz_cursprite = 3;
        kz_bg[8].alpha = c.alpha;
        kz_bg[8].type = c.type;
        kz_bg[8].active = c.active;
        KZ_ShowBg(8);
        EXPECT_EQ(at(0, 0), c.drawn ? 0xFFFF : kBack);
        EXPECT_EQ(hooked, c.hooked ? std::vector<int>{8} : std::vector<int>{});
        kz_bg[8].type = 3;
        kz_bg[8].active = 1;
    }
    kz_dovecto = nullptr;
}

TEST_F(Bg, DeleteLeavesTheCallersData) {
    std::vector<uint16_t> pixels(6, 0x1357);
    std::vector<uint8_t> tiles(2 * 37, 1);
    std::vector<uint32_t> map(4, 1);
    std::vector<uint16_t> palette(256, 0x2468);
    const auto pixels0 = pixels;
    const auto tiles0 = tiles;
    const auto map0 = map;
    const auto palette0 = palette;
    const int32_t bitmap[6] = {0, 2, 3, 2, 1, 0};
    const int32_t tilemap[6] = {1, 1, 12, 12, 6, 6};
    KZ_BgLoadEx(0, bitmap, pixels.data(), nullptr, nullptr);
    KZ_BgLoadEx(1, tilemap, tiles.data(), map.data(), palette.data());
    KZ_BgLoadBitmap(2, 8, 8, 0);
    KZ_BgLoad8bitBitmap(3, 8, 8, 1);
    KZ_BgDelete(0);
    KZ_BgDelete(1);
    EXPECT_EQ(kz_bg[0].active, 0);
    EXPECT_EQ(kz_bg[1].active, 0);
    KZ_ResetBg();  // frees the layers' own pixels and palette (the leak checker watches)
    for (int n = 0; n < 16; n++) EXPECT_EQ(kz_bg[n].active, 0) << n;
    EXPECT_EQ(pixels, pixels0);
    EXPECT_EQ(tiles, tiles0);
    EXPECT_EQ(map, map0);
    EXPECT_EQ(palette, palette0);
}

}  // namespace
