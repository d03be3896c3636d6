// Many random sprites through the sprite dispatch: whatever the depth, flips,
// run-length data, opacity, zoom, angle, position, clip window or source
// rectangle, nothing outside the clip window changes. Every image lives in its
// own allocation of its exact size, so a read past one shows under the
// address sanitizer.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "ZAriz.h"
#include "support/harness.h"

namespace {

constexpr int SW = KZ_SCREEN_W, SH = KZ_SCREEN_H;

struct Picture {
    int w = 0, fh = 0, frames = 0;
    std::vector<uint8_t> px8, plane, rle;
    std::vector<uint16_t> px16, list;
    std::vector<uint16_t> pal = std::vector<uint16_t>(256);
    KZ_Image image{};
};

// kind 0: transparent; 1: drawn (depth 3: with its own weight); 2: depth 3 solid.
std::unique_ptr<Picture> make_picture(std::mt19937& rng, int depth, int full) {
    auto p = std::make_unique<Picture>();
    p->w = int(rng() % 48) + 1;
    p->fh = int(rng() % 48) + 1;
    p->frames = int(rng() % 3) + 1;
    const int w = p->w, h = p->fh * p->frames;
    const size_t n = size_t(w) * h;
    std::vector<int> kind(n);
    const int holes = int(rng() % 4);  // how patchy the picture is
    for (size_t i = 0; i < n; ++i) {
        kind[i] = full ? 1 : (int(rng() % 4) < holes ? 0 : 1);
        if (depth == 3 && kind[i] == 1 && rng() % 2) kind[i] = 2;
    }
    for (uint16_t& c : p->pal) c = uint16_t(rng());
    if (depth == 1) {
        p->px8.resize(n);
        for (size_t i = 0; i < n; ++i) p->px8[i] = kind[i] ? uint8_t(rng() % 255 + 1) : (full ? uint8_t(rng()) : 0);
    } else {
        p->px16.resize(n);
        for (size_t i = 0; i < n; ++i) {
            p->px16[i] = uint16_t(rng());
            if (p->px16[i] == 0xF81F) p->px16[i] = 0;
            if (depth == 2 && !kind[i]) p->px16[i] = 0xF81F;
        }
        if (depth == 3) {
            p->plane.resize(n);
            for (size_t i = 0; i < n; ++i) p->plane[i] = uint8_t(kind[i] == 0 ? 0 : kind[i] == 2 ? 32 : rng() % 33);
        }
    }
    if (!full) {
        for (int r = 0; r < h; ++r) {
            p->list.push_back(uint16_t(p->rle.size()));
            const int* k = &kind[size_t(r) * w];
            int c = 0;
            auto count = [&](auto pred) {
                int m = 0;
                while (c < w && pred(k[c])) ++c, ++m;
                p->rle.push_back(uint8_t(m));
            };
            if (depth == 3) {
                while (c < w) {
                    count([](int t) { return t == 0; });
                    count([](int t) { return t == 1; });
                    count([](int t) { return t == 2; });
                }
            } else {
                for (;;) {
                    count([](int t) { return t == 0; });
                    if (c == w) break;
                    count([](int t) { return t != 0; });
                    if (c == w) break;
                }
            }
        }
        p->rle.insert(p->rle.end(), 4, 0xFF);
    }
    void* pixels = depth == 1 ? static_cast<void*>(p->px8.data()) : static_cast<void*>(p->px16.data());
    p->image = KZ_Image{pixels,
                        depth == 3 ? p->plane.data() : nullptr,
                        full ? nullptr : p->list.data(),
                        full ? nullptr : p->rle.data(),
                        depth == 1 ? p->pal.data() : nullptr,
                        depth,
                        full,
                        w,
                        h};
    return p;
}

TEST(BlitBounds, NothingChangesOutsideTheClipWindow) {
    engine_reset();
    std::mt19937 rng(20240611);
    std::vector<std::unique_ptr<Picture>> pictures;
    for (int i = 0; i < 8; ++i)
        for (int depth = 1; depth <= 3; ++depth)
            for (int full = 0; full <= 1; ++full) pictures.push_back(make_picture(rng, depth, full));

    auto pick = [&](std::initializer_list<int> values) { return *(values.begin() + rng() % values.size()); };
    auto within = [&](int lo, int hi) { return lo + int(rng() % unsigned(hi - lo + 1)); };

    std::vector<uint16_t> before(SW * SH);
    for (int batch = 0; batch < 300; ++batch) {
        for (uint16_t& p : kz_buffer) p = uint16_t(rng());
        std::copy(std::begin(kz_buffer), std::end(kz_buffer), before.begin());
        const int x1 = within(0, SW - 1), x2 = within(x1, SW - 1);
        const int y1 = within(0, SH - 1), y2 = within(y1, SH - 1);
        const int slot = within(0, 15);
        KZ_SetWindowLimits(slot, int16_t(x1), int16_t(y1), int16_t(x2), int16_t(y2));

        for (int i = 0; i < 40; ++i) {
            const Picture& pic = *pictures[rng() % pictures.size()];
            const int n = within(0, 4095);
            const int reach = pick({300, 300, 300, 2000, 32767});
            KZ_CreateSprite(n, &pic.image, uint16_t(pic.w), uint16_t(pic.fh),
                            int16_t(within(-reach, reach) + (reach == 300 ? 120 : 0)),
                            int16_t(within(-reach, reach) + (reach == 300 ? 160 : 0)));
            KZ_Sprite& s = *kz_sprites[n];
            s.window = uint8_t(slot);
            s.frame = int16_t(within(0, pic.frames - 1));
            if (rng() % 4 == 0)
                KZ_StartSpriteAnimEx(int16_t(n), 0, int16_t(pic.frames - 1), uint16_t(within(0, 200)),
                                     uint8_t(rng() % 2), int16_t(within(-1, 3)));
            s.alpha = int16_t(pick({-5, 0, 16, 32, 32, within(1, 32)}));
            s.flipx = uint8_t(rng() % 3 == 0);
            s.flipy = uint8_t(rng() % 3 == 0);
            if (rng() % 2) s.zoom = pick({0, 1, 64, 512, 1023, 1025, 2048, 4096, within(0, 4096), within(0, 4096)});
            s.angle = rng() % 2 ? within(-3, 3) * 512 : within(-100000, 100000);
            if (rng() % 3 == 0)
                KZ_SetSpriteLimits(n, int16_t(within(-3, pic.w + 3)), int16_t(within(-3, pic.fh + 3)),
                                   int16_t(within(-3, pic.w + 3)), int16_t(within(-3, pic.fh + 3)));
            if (rng() % 50 == 0) s.depth = uint8_t(pick({0, 4}));
            KZ_ShowSprite(int16_t(n));
        }

        for (int y = 0; y < SH; ++y)
            for (int x = 0; x < SW; ++x)
                if (x < x1 || x > x2 || y < y1 || y > y2) {
                    ASSERT_EQ(kz_buffer[y * SW + x], before[y * SW + x])
                        << "batch " << batch << " pixel " << x << "," << y << " window " << x1 << "," << y1 << ","
                        << x2 << "," << y2;
                }
    }
    engine_reset();
}

}  // namespace
