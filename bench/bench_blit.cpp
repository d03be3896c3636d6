// The direct and run-length blitters beside SDL2's software blitter doing the
// same work in the same run: a round sprite (transparent corners, a soft rim
// for the alpha plane) drawn into a 240 x 320 RGB565 frame. Items are frame
// pixels per second; the pairs are named Ours/... and Sdl/... so the ratio can
// be read row by row.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/ZAriz.h"

namespace {

constexpr int SW = KZ_SCREEN_W, SH = KZ_SCREEN_H;

// ---- one sprite in every form ------------------------------------------------

struct Sprite {
    int w, h;
    std::vector<uint8_t> index;    // 8-bit, 0 outside the disc
    std::vector<uint16_t> pixel;   // RGB565, kz_transpcolor outside the disc
    std::vector<uint8_t> weight;   // 0 outside, 1..31 on the rim, 32 inside
    std::vector<uint16_t> palette;
    std::vector<uint8_t> rle8, rle16, rle24;
    std::vector<uint16_t> list8, list16, list24;
    // SDL's forms of the same picture
    SDL_Surface* indexed = nullptr;  // INDEX8
    SDL_Surface* rgb565 = nullptr;   // RGB565
    SDL_Surface* argb = nullptr;     // ARGB8888, alpha from the weights
};

uint32_t rng_state = 2024;
uint32_t next_random() {
    rng_state = rng_state * 1664525u + 1013904223u;
    return rng_state >> 8;
}

void push_count(std::vector<uint8_t>& codes, int n, int kinds) {
    while (n > 255) {
        codes.push_back(255);
        codes.insert(codes.end(), size_t(kinds - 1), 0);
        n -= 255;
    }
    codes.push_back(uint8_t(n));
}

// Skip/run pairs from a row's transparency.
template <typename Opaque>
void encode_pairs(int w, int h, Opaque opaque, std::vector<uint8_t>& codes, std::vector<uint16_t>& list) {
    for (int r = 0; r < h; ++r) {
        list.push_back(uint16_t(codes.size()));
        for (int c = 0; c < w;) {
            int s = c;
            while (c < w && !opaque(r * w + c)) ++c;
            push_count(codes, c - s, 2);
            if (c == w) break;
            s = c;
            while (c < w && opaque(r * w + c)) ++c;
            push_count(codes, c - s, 2);
        }
    }
    codes.insert(codes.end(), 4, 0xFF);
}

// Skip, blend run, solid run from the alpha plane.
void encode_triples(const Sprite& s, std::vector<uint8_t>& codes, std::vector<uint16_t>& list) {
    for (int r = 0; r < s.h; ++r) {
        list.push_back(uint16_t(codes.size()));
        const uint8_t* a = &s.weight[size_t(r) * s.w];
        for (int c = 0; c < s.w;) {
            int b = c;
            while (c < s.w && a[c] == 0) ++c;
            push_count(codes, c - b, 3);
            b = c;
            while (c < s.w && a[c] > 0 && a[c] < 32) ++c;
            push_count(codes, c - b, 3);
            b = c;
            while (c < s.w && a[c] == 32) ++c;
            push_count(codes, c - b, 3);
        }
    }
    codes.insert(codes.end(), 4, 0xFF);
}

Sprite* make_sprite(int w, int h) {
    auto* s = new Sprite{w, h, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}};
    s->palette.resize(256);
    for (auto& p : s->palette) p = uint16_t(next_random());
    const int cx = w / 2, cy = h / 2, radius = w / 2;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
            int inside = radius * radius - d2;  // > 0 inside the disc
            uint16_t colour = uint16_t(next_random());
            if (colour == 0xF81F) colour = 0;
            bool opaque = inside > 0;
            s->index.push_back(opaque ? uint8_t(1 + next_random() % 255) : 0);
            s->pixel.push_back(opaque ? colour : 0xF81F);
            int rim = radius > 4 ? 4 * radius : 1;  // the outer ring of about two pixels is partial
            s->weight.push_back(!opaque ? 0 : inside >= rim ? 32 : uint8_t(1 + inside * 31 / rim));
        }
    encode_pairs(w, h, [s](int i) { return s->index[i] != 0; }, s->rle8, s->list8);
    encode_pairs(w, h, [s](int i) { return s->pixel[i] != 0xF81F; }, s->rle16, s->list16);
    encode_triples(*s, s->rle24, s->list24);

    s->indexed = SDL_CreateRGBSurfaceWithFormat(0, w, h, 8, SDL_PIXELFORMAT_INDEX8);
    SDL_Color colours[256];
    for (int i = 0; i < 256; ++i) {
        uint16_t p = s->palette[i];
        colours[i] = {uint8_t((p >> 11) << 3), uint8_t((p >> 5 & 63) << 2), uint8_t((p & 31) << 3), 255};
    }
    SDL_SetPaletteColors(s->indexed->format->palette, colours, 0, 256);
    s->rgb565 = SDL_CreateRGBSurfaceWithFormat(0, w, h, 16, SDL_PIXELFORMAT_RGB565);
    s->argb = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            size_t i = size_t(y) * w + x;
            static_cast<uint8_t*>(s->indexed->pixels)[y * s->indexed->pitch + x] = s->index[i];
            reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(s->rgb565->pixels) + y * s->rgb565->pitch)[x] =
                s->pixel[i];
            uint16_t p = s->pixel[i];
            uint32_t a = s->weight[i] >= 32 ? 255u : s->weight[i] * 8u;
            reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->argb->pixels) + y * s->argb->pitch)[x] =
                a << 24 | uint32_t((p >> 11) << 3) << 16 | uint32_t((p >> 5 & 63) << 2) << 8 | uint32_t((p & 31) << 3);
        }
    return s;
}

Sprite& sprite(int size) {
    static Sprite* small = make_sprite(16, 16);
    static Sprite* medium = make_sprite(64, 64);
    static Sprite* large = make_sprite(240, 240);
    return size <= 16 ? *small : size <= 64 ? *medium : *large;
}

SDL_Surface* screen565() {
    static SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, SW, SH, 16, SDL_PIXELFORMAT_RGB565);
    return s;
}

void reset_engine() {
    kz_window[0] = {0, 0, SW - 1, SH - 1};
    kz_curwindow = 0;
    kz_cursprite = -1;
    kz_transpcolor = 0xF81F;
    std::memset(kz_buffer, 0x35, sizeof kz_buffer);
}

// Sprites walk over the screen so that neither side draws one cached spot; a
// few land clipped at the edges, as in a game.
struct Walk {
    int x = -8, y = -8, w, h;
    void step() {
        x += 37;
        if (x > SW - w / 2) {
            x = -w / 2 + (x % 7);
            y += 29;
            if (y > SH - h / 2) y = -h / 2 + (y % 5);
        }
    }
};

void finish(benchmark::State& state, const Sprite& s) {
    state.SetItemsProcessed(int64_t(state.iterations()) * s.w * s.h);
}

// ---- ours ----------------------------------------------------------------------

enum Path { Fast8, Fast16, Full24, Keyed16Flip, Keyed8Flip, Flip24, Rle8, Rle16, Rle24 };

void Ours(benchmark::State& state, Path path, int alpha) {
    reset_engine();
    Sprite& s = sprite(int(state.range(0)));
    Walk at{-8, -8, s.w, s.h};
    alphalayer = s.weight.data();
    for (auto _ : state) {
        switch (path) {
        case Fast8: KZ_Copy8bitFastCopy(s.index.data(), s.palette.data(), s.w, s.h, at.x, at.y, alpha); break;
        case Fast16: KZ_Copy16bitFastCopy(s.pixel.data(), s.w, s.h, at.x, at.y, alpha); break;
        case Full24: KZ_Copy24bitToScreen(s.pixel.data(), s.w, s.h, at.x, at.y, alpha); break;
        case Keyed16Flip: KZ_Copy16bitToScreen(s.pixel.data(), s.w, s.h, at.x, at.y, alpha, 1, 0); break;
        case Keyed8Flip:
            KZ_Copy8bitToScreen(s.index.data(), s.palette.data(), s.w, s.h, at.x, at.y, alpha, 1, 0);
            break;
        case Flip24: KZ_Copy24bitToScreenFlip(s.pixel.data(), s.w, s.h, at.x, at.y, alpha, 1, 0); break;
        case Rle8:
            KZ_Copy8bitRLE(s.index.data(), s.palette.data(), s.rle8.data(), s.list8.data(), s.w, s.h, at.x, at.y,
                           alpha);
            break;
        case Rle16:
            KZ_Copy16bitRLE(s.pixel.data(), s.rle16.data(), s.list16.data(), s.w, s.h, at.x, at.y, alpha);
            break;
        case Rle24:
            KZ_Copy24bitRLE(s.pixel.data(), s.rle24.data(), s.list24.data(), s.w, s.h, at.x, at.y, alpha);
            break;
        }
        at.step();
    }
    benchmark::DoNotOptimize(kz_buffer[0]);
    finish(state, s);
}

// ---- SDL2 --------------------------------------------------------------------------

enum SdlSource { Indexed, Rgb565, Argb };

// alphamod 255: no modulation. keyed: colour key (index 0 or F81F); rle: with
// SDL_RLEACCEL.
void Sdl(benchmark::State& state, SdlSource source, bool keyed, bool rle, uint8_t alphamod) {
    Sprite& s = sprite(int(state.range(0)));
    SDL_Surface* from = source == Indexed ? s.indexed : source == Rgb565 ? s.rgb565 : s.argb;
    SDL_SetColorKey(from, SDL_FALSE, 0);
    SDL_SetSurfaceRLE(from, 0);
    if (keyed) SDL_SetColorKey(from, SDL_TRUE | (rle ? SDL_RLEACCEL : 0), source == Indexed ? 0 : 0xF81F);
    if (rle) SDL_SetSurfaceRLE(from, 1);
    SDL_SetSurfaceAlphaMod(from, alphamod);
    SDL_SetSurfaceBlendMode(from, source == Argb || alphamod != 255 ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
    SDL_Surface* to = screen565();
    SDL_FillRect(to, nullptr, 0x3535);
    Walk at{-8, -8, s.w, s.h};
    for (auto _ : state) {
        SDL_Rect where = {at.x, at.y, s.w, s.h};
        SDL_BlitSurface(from, nullptr, to, &where);
        at.step();
    }
    benchmark::DoNotOptimize(static_cast<uint16_t*>(to->pixels)[0]);
    if (keyed) SDL_SetColorKey(from, SDL_FALSE, 0);
    SDL_SetSurfaceRLE(from, 0);
    finish(state, s);
}

// Mirroring is not something SDL's surface blit does; a program would go
// through the software renderer.
void SdlRendererFlipped(benchmark::State& state, SdlSource source, uint8_t alphamod) {
    Sprite& s = sprite(int(state.range(0)));
    SDL_Surface* from = source == Indexed ? s.indexed : source == Rgb565 ? s.rgb565 : s.argb;
    SDL_Surface* to = screen565();
    SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(to);
    if (source != Argb) SDL_SetColorKey(from, SDL_TRUE, source == Indexed ? 0 : 0xF81F);
    SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, from);
    if (source != Argb) SDL_SetColorKey(from, SDL_FALSE, 0);
    SDL_SetTextureAlphaMod(texture, alphamod);
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    Walk at{-8, -8, s.w, s.h};
    for (auto _ : state) {
        SDL_Rect where = {at.x, at.y, s.w, s.h};
        SDL_RenderCopyEx(renderer, texture, nullptr, &where, 0.0, nullptr, SDL_FLIP_HORIZONTAL);
        at.step();
    }
    SDL_RenderFlush(renderer);
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    finish(state, s);
}

#define SIZES ->Arg(16)->Arg(64)->Arg(240)

// Direct, opaque
BENCHMARK_CAPTURE(Ours, 8bit_full_opaque, Fast8, 32) SIZES;
BENCHMARK_CAPTURE(Sdl, 8bit_full_opaque, Indexed, false, false, 255) SIZES;
BENCHMARK_CAPTURE(Ours, 16bit_full_opaque, Fast16, 32) SIZES;
BENCHMARK_CAPTURE(Sdl, 16bit_full_opaque, Rgb565, false, false, 255) SIZES;
BENCHMARK_CAPTURE(Ours, 24bit_alphaplane_opaque, Full24, 32) SIZES;
BENCHMARK_CAPTURE(Sdl, 24bit_alphaplane_opaque, Argb, false, false, 255) SIZES;
// Direct, opacity 16 (SDL: alpha modulation 128)
BENCHMARK_CAPTURE(Ours, 8bit_full_alpha16, Fast8, 16) SIZES;
BENCHMARK_CAPTURE(Sdl, 8bit_full_alpha16, Indexed, false, false, 128) SIZES;
BENCHMARK_CAPTURE(Ours, 16bit_full_alpha16, Fast16, 16) SIZES;
BENCHMARK_CAPTURE(Sdl, 16bit_full_alpha16, Rgb565, false, false, 128) SIZES;
BENCHMARK_CAPTURE(Ours, 24bit_alphaplane_alpha16, Full24, 16) SIZES;
BENCHMARK_CAPTURE(Sdl, 24bit_alphaplane_alpha16, Argb, false, false, 128) SIZES;
// Mirrored, colour-keyed: SDL's keyed blit does the same pixels unmirrored
BENCHMARK_CAPTURE(Ours, 8bit_keyed_mirrored, Keyed8Flip, 32) SIZES;
BENCHMARK_CAPTURE(Sdl, 8bit_keyed_unmirrored, Indexed, true, false, 255) SIZES;
BENCHMARK_CAPTURE(SdlRendererFlipped, 8bit_keyed_mirrored, Indexed, 255) SIZES;
BENCHMARK_CAPTURE(Ours, 16bit_keyed_mirrored, Keyed16Flip, 32) SIZES;
BENCHMARK_CAPTURE(Sdl, 16bit_keyed_unmirrored, Rgb565, true, false, 255) SIZES;
BENCHMARK_CAPTURE(SdlRendererFlipped, 16bit_keyed_mirrored, Rgb565, 255) SIZES;
BENCHMARK_CAPTURE(Ours, 16bit_keyed_mirrored_alpha16, Keyed16Flip, 16) SIZES;
BENCHMARK_CAPTURE(Sdl, 16bit_keyed_unmirrored_alpha16, Rgb565, true, false, 128) SIZES;
BENCHMARK_CAPTURE(Ours, 24bit_alphaplane_mirrored, Flip24, 32) SIZES;
BENCHMARK_CAPTURE(Sdl, 24bit_alphaplane_unmirrored, Argb, false, false, 255) SIZES;
// Run-length, opaque and opacity 16
BENCHMARK_CAPTURE(Ours, 8bit_rle_opaque, Rle8, 32) SIZES;
BENCHMARK_CAPTURE(Sdl, 8bit_rle_opaque, Indexed, true, true, 255) SIZES;
BENCHMARK_CAPTURE(Ours, 16bit_rle_opaque, Rle16, 32) SIZES;
BENCHMARK_CAPTURE(Sdl, 16bit_rle_opaque, Rgb565, true, true, 255) SIZES;
BENCHMARK_CAPTURE(Ours, 8bit_rle_alpha16, Rle8, 16) SIZES;
BENCHMARK_CAPTURE(Sdl, 8bit_rle_alpha16, Indexed, true, true, 128) SIZES;
BENCHMARK_CAPTURE(Ours, 16bit_rle_alpha16, Rle16, 16) SIZES;
BENCHMARK_CAPTURE(Sdl, 16bit_rle_alpha16, Rgb565, true, true, 128) SIZES;
BENCHMARK_CAPTURE(Ours, 24bit_rle_opaque, Rle24, 32) SIZES;
BENCHMARK_CAPTURE(Sdl, 24bit_rle_opaque, Argb, false, true, 255) SIZES;
BENCHMARK_CAPTURE(Ours, 24bit_rle_alpha16, Rle24, 16) SIZES;
BENCHMARK_CAPTURE(Sdl, 24bit_rle_alpha16, Argb, false, true, 128) SIZES;

}  // namespace

BENCHMARK_MAIN();
