// Rotated and zoomed sprites, in screen pixels per second: the engine's
// rotozoom beside SDL2_gfx's rotozoomSurface (no smoothing) followed by a blit
// onto an RGB565 surface, the way a user of those libraries draws one.
//
// Arguments: sprite side, zoom (1024 = 1:1), angle (512 to a turn). The pixel
// count of one draw is the area of the scaled frame.
#include <benchmark/benchmark.h>

#include <SDL2/SDL.h>

#include <random>
#include <vector>

#include "ZAriz.h"

#ifdef ZARIZ_HAVE_SDL2GFX
#include <SDL2/SDL2_rotozoom.h>
#endif

namespace {

// A round sprite: opaque disc, key-coloured corners.
std::vector<uint16_t> disc(int side) {
    std::vector<uint16_t> px(size_t(side) * side);
    std::mt19937 rng(7);
    const int r2 = side * side / 4;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const int dx = 2 * x - side + 1, dy = 2 * y - side + 1;
            uint16_t c = uint16_t(rng());
            if (c == 0xF81F) c = 0;
            px[size_t(y) * side + x] = dx * dx + dy * dy <= 4 * r2 ? c : 0xF81F;
        }
    return px;
}

int64_t area(int side, int zoom) {
    const int64_t s = int64_t(side) * zoom / 1024;
    return s * s;
}

// Our 16-bit rotozoom, opaque (opacity 32) or blended (16).
void zariz_rotozoom(benchmark::State& state, int opacity) {
    const int side = int(state.range(0)), zoom = int(state.range(1)), angle = int(state.range(2));
    const auto px = disc(side);
    kz_window[0] = {0, 0, KZ_SCREEN_W - 1, KZ_SCREEN_H - 1};
    kz_curwindow = 0;
    kz_transpcolor = 0xF81F;
    const int x = KZ_SCREEN_W / 2 - side / 2, y = KZ_SCREEN_H / 2 - side / 2;
    const KZ_RotBlitter blit = opacity == 32 ? KZ_16bitRot : KZ_16bitRotAlpha;
    for (auto _ : state) {
        blit(px.data(), nullptr, side, side, x, y, opacity, angle, zoom);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * area(side, zoom));
}

void BM_Zariz(benchmark::State& state) { zariz_rotozoom(state, 32); }
void BM_ZarizAlpha16(benchmark::State& state) { zariz_rotozoom(state, 16); }

#ifdef ZARIZ_HAVE_SDL2GFX
// The same disc as an RGBA surface (alpha 0 at the corners), turned and
// scaled by SDL2_gfx, then blended onto a 240 x 320 RGB565 screen surface;
// at half opacity through the surface's alpha modulation.
void sdl_rotozoom(benchmark::State& state, Uint8 opacity) {
    const int side = int(state.range(0)), zoom = int(state.range(1)), angle = int(state.range(2));
    const auto px = disc(side);
    SDL_Surface* src = SDL_CreateRGBSurfaceWithFormat(0, side, side, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, KZ_SCREEN_W, KZ_SCREEN_H, 16, SDL_PIXELFORMAT_RGB565);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const uint16_t c = px[size_t(y) * side + x];
            const Uint8 r = Uint8((c >> 11) << 3), g = Uint8(((c >> 5) & 63) << 2), b = Uint8((c & 31) << 3);
            static_cast<Uint32*>(src->pixels)[y * (src->pitch / 4) + x] =
                SDL_MapRGBA(src->format, r, g, b, c == 0xF81F ? 0 : 255);
        }
    const double degrees = angle * 360.0 / 512.0, factor = zoom / 1024.0;
    for (auto _ : state) {
        SDL_Surface* turned = rotozoomSurface(src, degrees, factor, SMOOTHING_OFF);
        SDL_SetSurfaceBlendMode(turned, SDL_BLENDMODE_BLEND);
        SDL_SetSurfaceAlphaMod(turned, opacity);
        SDL_Rect at{KZ_SCREEN_W / 2 - turned->w / 2, KZ_SCREEN_H / 2 - turned->h / 2, 0, 0};
        SDL_BlitSurface(turned, nullptr, screen, &at);
        SDL_FreeSurface(turned);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * area(side, zoom));
    SDL_FreeSurface(screen);
    SDL_FreeSurface(src);
}

void BM_SDL2gfx(benchmark::State& state) { sdl_rotozoom(state, 255); }
void BM_SDL2gfxAlpha16(benchmark::State& state) { sdl_rotozoom(state, 128); }
#endif

void cases(benchmark::internal::Benchmark* b) {
    for (int side : {16, 64})
        for (auto [zoom, angle] : {std::pair{1024, 64}, {2048, 0}}) b->Args({side, zoom, angle});
}

}  // namespace

BENCHMARK(BM_Zariz)->Apply(cases);
BENCHMARK(BM_ZarizAlpha16)->Apply(cases);
#ifdef ZARIZ_HAVE_SDL2GFX
BENCHMARK(BM_SDL2gfx)->Apply(cases);
BENCHMARK(BM_SDL2gfxAlpha16)->Apply(cases);
#endif

BENCHMARK_MAIN();
