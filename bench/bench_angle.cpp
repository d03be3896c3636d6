// KZ_GetAngle against one atan2 call over the same points (targets within
// 240 pixels of the start in both directions, as the game's balls see them).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/ZAriz.h"

namespace {

struct Point {
    int dx, dy;
};

const std::vector<Point>& points() {
    static const std::vector<Point> p = [] {
        std::vector<Point> v;
        uint32_t seed = 12345;
        auto next = [&seed] {
            seed = seed * 1103515245u + 12345u;
            return int((seed >> 16) % 481) - 240;
        };
        for (int i = 0; i < 4096; ++i)
            v.push_back({next(), next()});
        return v;
    }();
    return p;
}

void BM_GetAngle(benchmark::State& state) {
    const auto& p = points();
    size_t i = 0;
    for (auto _ : state) {
        const Point& q = p[i++ & 4095];
        benchmark::DoNotOptimize(KZ_GetAngle(120, 160, 120 + q.dx, 160 + q.dy));
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_Atan2(benchmark::State& state) {
    const auto& p = points();
    size_t i = 0;
    for (auto _ : state) {
        const Point& q = p[i++ & 4095];
        benchmark::DoNotOptimize(std::atan2(double(-q.dy), double(q.dx)));
    }
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_GetAngle);
BENCHMARK(BM_Atan2);
BENCHMARK_MAIN();
