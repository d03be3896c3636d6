// One frame's worth of a text layer and of a full-screen tile layer, beside a
// plain copy of the 240 x 320 RGB565 frame (153,600 bytes) measured in the same
// run: divide a layer's time by Copy/Frame's to get its cost in frame copies.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/ZAriz.h"

namespace {

constexpr int SW = KZ_SCREEN_W, SH = KZ_SCREEN_H;

uint32_t rng_state = 77;
uint32_t next_random() {
    rng_state = rng_state * 1664525u + 1013904223u;
    return rng_state >> 8;
}

void frame_setup() {
    kz_window[0] = {0, 0, SW - 1, SH - 1};
    kz_curwindow = 0;
    kz_cursprite = -1;
    for (int i = 0; i < SW * SH; i++) kz_buffer[i] = uint16_t(next_random());
}

void Copy_Frame(benchmark::State& state) {
    std::vector<uint16_t> frame(SW * SH, 0x1234);
    for (auto _ : state) {
        std::memcpy(kz_buffer, frame.data(), sizeof(kz_buffer));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(sizeof(kz_buffer)));
}
BENCHMARK(Copy_Frame);

// A picture font the size of the game's: 16-pixel cells, glyphs 14 high and
// 6 to 12 wide, about half of each glyph inked, in a few colours.
void make_picture_font(uint8_t n) {
    auto* f = new KZ_Font;
    f->height = 14;
    f->LetterWidth = new uint8_t[256]();
    f->LetterStart = new uint32_t[256]();
    size_t total = 0;
    for (int c = 33; c < 127; c++) {
        f->LetterWidth[c] = uint8_t(6 + c % 7);
        total += size_t(2) * f->LetterWidth[c] * 14;
    }
    f->LetterWidth[32] = f->LetterWidth[33];
    total += size_t(2) * f->LetterWidth[32] * 14;
    f->Font = new uint16_t[total];
    uint32_t p = 0;
    for (int c = 32; c < 127; c++) {
        const int size = f->LetterWidth[c] * 14;
        f->LetterStart[c] = p;
        for (int k = 0; k < size; k++) {
            const bool ink = c != 32 && (next_random() & 1);
            f->Font[p + k] = ink ? uint16_t(0xF800 | (k & 0x7FF)) : kz_transpcolor;
            f->Font[p + size + k] = ink ? 0xFFFF : 0;
        }
        p += uint32_t(2 * size);
    }
    kz_releasefont(n);
    kz_fonts[n] = f;
}

// The game's text layer: layer 4, font 5, its five slots at once.
void game_texts() {
    make_picture_font(5);
    KZ_LoadTextBg(4);
    kz_textinfo.align = 2;
    KZ_CreateTextEx(4, 10, 0, 230, 239, 319, "Touch Screen to Start", 0, 5, 32, 1, 0, 2, 100);
    KZ_CreateTextEx(4, 0, 32, 8, 240, 191, "Level  :", 1, 5, 32, 1, 0, 0, 100);
    KZ_CreateTextEx(4, 1, 32, 296, 240, 191, "Score  :", 1, 5, 32, 1, 0, 0, 100);
    KZ_CreateTextEx(4, 3, 112, 8, 160, 72, "07", 1, 5, 32, 1, 0, 0, 100);
    KZ_CreateTextEx(4, 4, 112, 296, 200, 96, "123456", 1, 5, 32, 1, 0, 0, 100);
}

void Text_GameSlots(benchmark::State& state) {
    frame_setup();
    kz_textinfo.alpha = uint8_t(state.range(0));
    game_texts();
    for (auto _ : state) {
        KZ_ShowBg(4);
        benchmark::ClobberMemory();
    }
    KZ_BgDelete(4);
    kz_cleanfonts();
    kz_textinfo.alpha = 32;
}
BENCHMARK(Text_GameSlots)->Arg(32)->Arg(16)->ArgName("alpha");

// A screen-sized map of 6 x 6 tiles, every cell filled: the debug overlay
// printed full. Keyed tiles have about a third of their pixels inked; opaque
// ones take the fast copy.
void Tiles_FullScreen(benchmark::State& state) {
    const bool opaque = state.range(0) != 0;
    frame_setup();
    constexpr int ntiles = 96, cells = 40 * 53;
    std::vector<uint8_t> tiles(ntiles * 37);
    for (int t = 0; t < ntiles; t++) {
        tiles[t * 37] = opaque ? 1 : 0;
        for (int k = 0; k < 36; k++) tiles[t * 37 + 1 + k] = opaque || next_random() % 3 == 0 ? 1 : 0;
    }
    std::vector<uint32_t> map(cells);
    for (int n = 0; n < cells; n++) map[n] = uint32_t(1 + n % (ntiles - 1)) | ((n % 7 == 0) ? 1u << 25 : 0);
    if (opaque)
        for (uint32_t& m : map) m &= ~(1u << 25);
    std::vector<uint16_t> palette(256, 0xFFFF);
    const int32_t description[6] = {1, 1, SW, SH, 6, 6};
    KZ_BgLoadEx(0, description, tiles.data(), map.data(), palette.data());
    for (auto _ : state) {
        KZ_ShowBg(0);
        benchmark::ClobberMemory();
    }
    KZ_BgDelete(0);
}
BENCHMARK(Tiles_FullScreen)->Arg(0)->Arg(1)->ArgName("opaque");

}  // namespace
BENCHMARK_MAIN();
