// The game's worst frame: 100 balls (all just come in, so all show as turned
// markers), 1024 sparks in flight, 32 growing squares, the texts, the dimmed
// logo and the half-strength tint. Its logic and its compose are measured
// apart, each beside a plain copy of the frame buffer.
//
// The real game runs (WinMain, game::main's set-up and first round); the
// measurements are taken from inside its first round, where the scene is built.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "game.h"
#include "support/harness.h"

namespace {

using namespace game;

// Runs `inside` in the first frame of the real game's first round.
void in_round(std::function<void()> inside) {
    static std::function<void()> body;
    body = std::move(inside);
    engine_reset();
    zp::headless_reset(0);
    zp::set_seed(1);
    observer = [](bool title) {
        if (title) {
            if (!Stylus.held) zp::headless_script(zp::headless_time(), zp::Ev::StylusDown, 30, 300);
            return;
        }
        body();
        zp::headless_script(zp::headless_time(), zp::Ev::Close);
        observer = nullptr;
    };
    WinMain(test_instance(), nullptr, nullptr, 0);
    observer = nullptr;
}

// The scene of a level-100 start late in a long chain.
void build_worst_scene() {
    for (int p = 0; p < nballs; p++) kz_sprites[SPR_BALL + nball[p]]->active = 0;
    nballs = 0;
    level = 100;
    while (ncarres < MAXCARRES) AjouterCarre();
    for (int j = 0; j < ncarres; j++) carres[j].life = 8;
    // 64 bursts over the field: every spark slot flies.
    for (int burst = 0; burst < 64; burst++) {
        KZ_Sprite* s = kz_sprites[SPR_BALL];
        s->x = int16_t(20 + (burst % 8) * 28);
        s->y = int16_t(40 + (burst / 8) * 32);
        s->frame = int16_t((burst % 3) * 2);
        AddSparks(0);
    }
    for (int n = 0; n < MAXBALLS; n++) AjouterBall();
    combo = 60;
    combodown = 10;
    score = 123456;
    kz_sprites[SPR_TITLE]->alpha = 9;
    UpdateColor();
}

struct Snapshot {
    Ball b[256];
    uint16_t nb[256], nl[256], n;
    Spark s[MAXSPARKS];
    uint16_t ns;
    Carre c[MAXCARRES];
    int16_t combo;
    uint8_t combodown;
    int32_t score;
    void take() {
        memcpy(b, balls, sizeof b);
        memcpy(nb, nball, sizeof nb);
        memcpy(nl, nlibre, sizeof nl);
        n = nballs;
        memcpy(s, spark, sizeof s);
        ns = nsparks;
        memcpy(c, carres, sizeof c);
        combo = game::combo;
        combodown = game::combodown;
        score = game::score;
    }
    void put() const {
        memcpy(balls, b, sizeof b);
        memcpy(nball, nb, sizeof nb);
        memcpy(nlibre, nl, sizeof nl);
        nballs = n;
        memcpy(spark, s, sizeof s);
        nsparks = ns;
        memcpy(carres, c, sizeof c);
        game::combo = combo;
        game::combodown = combodown;
        game::score = score;
        lost = 0;
        for (int k = 0; k < MAXSPARKS; k++) kz_sprites[SPR_SPARK + k]->active = spark[k].active;
        for (int p = 0; p < nballs; p++) kz_sprites[SPR_BALL + nball[p]]->active = 1;
    }
};

void BM_PlainFrameCopy(benchmark::State& state) {
    std::vector<uint16_t> source(KZ_SCREEN_W * KZ_SCREEN_H, 0x1234);
    for (auto _ : state) {
        memcpy(kz_buffer, source.data(), sizeof kz_buffer);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PlainFrameCopy);

void BM_WorstFrameLogic(benchmark::State& state) {
    in_round([&] {
        build_worst_scene();
        static Snapshot start;
        start.take();
        int32_t shown = -1;
        for (auto _ : state) {
            FrameLogic(shown);
            UpdateColor();
            state.PauseTiming();
            start.put();
            shown = -1;  // the score text is made again every frame
            state.ResumeTiming();
        }
    });
}
BENCHMARK(BM_WorstFrameLogic);

void BM_WorstFrameCompose(benchmark::State& state) {
    in_round([&] {
        build_worst_scene();
        int32_t shown = -1;
        FrameLogic(shown);  // the sprites at their places
        UpdateColor();
        int balls = nballs, sparks = 0;
        for (const Spark& s : spark) sparks += s.active;
        for (auto _ : state) {
            kz_whenrefresh();
            benchmark::ClobberMemory();
        }
        state.counters["balls"] = balls;
        state.counters["sparks"] = sparks;
        state.counters["squares"] = ncarres;
    });
}
BENCHMARK(BM_WorstFrameCompose);

}  // namespace

BENCHMARK_MAIN();
