// One compose of an empty scene (clear to the background colour and a
// full-screen fade) beside a plain copy of the 153,600-byte frame.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "ZAriz.h"

static void BM_PlainFrameCopy(benchmark::State& state) {
    std::vector<uint16_t> source(KZ_SCREEN_W * KZ_SCREEN_H, 0x1234);
    for (auto _ : state) {
        memcpy(kz_buffer, source.data(), sizeof kz_buffer);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(sizeof kz_buffer));
}
BENCHMARK(BM_PlainFrameCopy);

static void BM_ComposeEmptySceneWithFade(benchmark::State& state) {
    KZ_InitSprites();
    KZ_SetFadeLimits(0, 0, KZ_SCREEN_W - 1, KZ_SCREEN_H - 1);
    kz_fade.level = 16;
    kz_fade.color = 0xF800;
    kz_fade.prio = 0;
    kz_bgcolor = 0x07E0;
    for (auto _ : state) {
        kz_whenrefresh();
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(sizeof kz_buffer));
}
BENCHMARK(BM_ComposeEmptySceneWithFade);

BENCHMARK_MAIN();
