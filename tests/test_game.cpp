// The game's pieces: balls, squares, sparks and the screen colour, each run on
// the real engine's sprite table without the frame loop.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "game.h"
#include "support/harness.h"

using namespace game;

namespace {

class GamePieces : public testing::Test {
protected:
    void SetUp() override {
        engine_reset();
        balls_spr = KZ_GifToSprite(ball_gif, ball_gif_size);
        carre_spr = KZ_GifToSprite(carre, carre_size);
        for (int n = 256; n < 1024; n++) {
            KZ_CreateSprite(n, balls_spr, 8, 8, 120, 160);
            kz_sprites[n]->active = 0;
        }
        FillAngles();
        for (Spark& s : spark) s = {};
        nsparks = 0;
        nballs = 0;
        ncarres = 0;
        combo = 0;
        combodown = 0;
        score = 0;
        lost = 0;
        for (int i = 0; i < 256; i++) nlibre[i] = uint16_t(i);
        Stylus = {};
        Stylus.x = 120;
        Stylus.y = 160;
    }
    void TearDown() override { engine_reset(); }

    // A live ball at rest with its position given in 1/256 pixel.
    static Ball& live(uint16_t index, int32_t fx, int32_t fy, uint8_t speed) {
        nball[nballs++] = index;
        Ball& b = balls[index];
        b = {fx, fy, fx >> 8, fy >> 8, 0, 0, speed};
        return b;
    }
    // The middle of a pixel: a first sub-step from rest moves a ball by at
    // most 7/256 pixel, so it stays on this pixel.
    static int32_t mid(int pixel) { return pixel * 256 + 128; }

    static std::vector<int> draws(unsigned seed, int n) {
        std::srand(seed);
        std::vector<int> r(size_t(n), 0);
        for (int& v : r) v = std::rand();
        std::srand(seed);
        return r;
    }
};

TEST_F(GamePieces, ClassZeroBallAcceleratesTowardsTheCursor) {
    Ball& b = live(0, 0, 160 * 256, 0);
    struct Step { int after; int32_t vx, fx, x; };
    const Step steps[] = {{1, 381, 5, 0}, {2, 760, 16, 0}, {3, 1136, 33, 0}, {9, 3329, 258, 1}};
    int done = 0;
    for (const Step& s : steps) {
        for (; done < s.after; done++) {
            EXPECT_EQ(b.x, 0) << "x became 1 before the ninth sub-step";
            ASSERT_EQ(DeplacerBall(0), 0);
        }
        EXPECT_EQ(b.vx, s.vx) << s.after;
        EXPECT_EQ(b.fx, s.fx) << s.after;
        EXPECT_EQ(b.x, s.x) << s.after;
        EXPECT_EQ(b.vy, 0);
        EXPECT_EQ(b.fy, 160 * 256);
    }
    EXPECT_EQ(kz_sprites[256]->x, 1);
    EXPECT_EQ(kz_sprites[256]->y, 160);
    EXPECT_EQ(kz_sprites[256]->frame, 0);
}

TEST_F(GamePieces, ClassTwoBallFallsTowardsTheCursor) {
    Ball& b = live(3, 120 * 256, 0, 2);
    ASSERT_EQ(DeplacerBall(0), 0);
    EXPECT_EQ(b.vy, -635);
    EXPECT_EQ(b.fy, 10);
    ASSERT_EQ(DeplacerBall(0), 0);
    EXPECT_EQ(b.vy, -1265);
    EXPECT_EQ(b.fy, 30);
    EXPECT_EQ(b.vx, 0);
    EXPECT_EQ(kz_sprites[259]->frame, 4);
}

TEST_F(GamePieces, SpawnPoints) {
    struct Case { int a, x, y; };
    const Case cases[] = {{0, 248, 160}, {128, 120, -8}, {256, -8, 160}, {384, 120, 328},
                          {100, 180, -8}, {64, 247, 33},  {448, 247, 288}};
    for (const Case& c : cases) {
        int32_t x, y;
        SpawnPoint(c.a, x, y);
        EXPECT_EQ(x, c.x) << c.a;
        EXPECT_EQ(y, c.y) << c.a;
    }
}

TEST_F(GamePieces, NewBallDrawsItsDirectionThenItsClass) {
    for (unsigned seed : {1u, 2u, 77u}) {
        std::vector<int> r = draws(seed, 2);
        nballs = 0;
        AjouterBall();
        ASSERT_EQ(nballs, 1);
        ASSERT_EQ(nball[0], 0);
        const Ball& b = balls[0];
        int32_t x, y;
        SpawnPoint(r[0] & 511, x, y);
        EXPECT_EQ(b.x, x);
        EXPECT_EQ(b.y, y);
        EXPECT_EQ(b.fx, x * 256);
        EXPECT_EQ(b.fy, y * 256);
        EXPECT_EQ(b.speed, r[1] % 3);
        EXPECT_EQ(b.vx | b.vy, 0);
        const KZ_Sprite* s = kz_sprites[256];
        EXPECT_TRUE(s->active);
        EXPECT_EQ(s->x, 300);
        EXPECT_EQ(s->y, 300);
        EXPECT_EQ(s->frame, b.speed);
    }
}

TEST_F(GamePieces, HundredAndFirstBallChangesNothing) {
    std::vector<int> r = draws(5, 201);
    for (int n = 0; n < 100; n++) AjouterBall();
    ASSERT_EQ(nballs, 100);
    Ball before = balls[100];
    AjouterBall();
    EXPECT_EQ(nballs, 100);
    EXPECT_EQ(std::rand(), r[200]) << "a refused ball drew a random number";
    EXPECT_EQ(balls[100].fx, before.fx);
    EXPECT_FALSE(kz_sprites[356]->active);
    for (int n = 0; n < 100; n++) EXPECT_EQ(nball[n], n);
}

TEST_F(GamePieces, ReachingTheCursorLosesWithinSquaredDistanceFifteen) {
    struct Case { int dx, dy; bool loses; };
    const Case cases[] = {{4, 0, false}, {0, -4, false}, {-4, 0, false}, {3, 3, false}, {3, 0, true},
                          {2, 0, true},  {0, 3, true},   {3, 2, true},    {-3, -2, true}, {0, 0, true}};
    for (const Case& c : cases) {
        SetUp();
        Ball& b = live(7, mid(120 + c.dx), mid(160 + c.dy), 1);
        kz_sprites[263]->x = 300;
        EXPECT_EQ(DeplacerBall(0), 0);
        ASSERT_EQ(b.x, 120 + c.dx);
        ASSERT_EQ(b.y, 160 + c.dy);
        EXPECT_EQ(lost, c.loses) << c.dx << "," << c.dy;
        // A ball that reaches the cursor stays live, its sprite unmoved.
        EXPECT_EQ(nballs, 1);
        EXPECT_EQ(kz_sprites[263]->x, c.loses ? 300 : 120 + c.dx);
    }
}

TEST_F(GamePieces, BallBurstsStrictlyInsideTenPixelsOfASquare) {
    struct Case { int x, y; bool bursts; };
    const Case cases[] = {{90, 100, false}, {110, 100, false}, {100, 90, false}, {100, 110, false},
                          {91, 100, true},  {109, 100, true},  {100, 91, true},  {109, 109, true},
                          {90, 91, false}};
    for (const Case& c : cases) {
        SetUp();
        Stylus.x = 230;
        Stylus.y = 300;
        carres[0] = {100, 100, 0};  // growing squares burst balls too
        ncarres = 1;
        kz_sprites[260]->x = 55;
        kz_sprites[260]->y = 66;
        kz_sprites[260]->active = 1;
        live(4, mid(c.x), mid(c.y), 0);
        EXPECT_EQ(DeplacerBall(0), c.bursts ? -1 : 0) << c.x << "," << c.y;
        EXPECT_EQ(nballs, c.bursts ? 0 : 1);
        EXPECT_EQ(kz_sprites[260]->active, c.bursts ? 0 : 1);
        EXPECT_EQ(score, c.bursts ? 1 : 0);
        EXPECT_EQ(nsparks, c.bursts ? 16 : 0);
        if (c.bursts) {
            // The sparks start where the ball's sprite was last shown.
            EXPECT_EQ(spark[0].x, 55 * 256);
            EXPECT_EQ(spark[15].y, 66 * 256);
        }
    }
}

TEST_F(GamePieces, BurstMovesTheLastBallIntoItsPlace) {
    Stylus.x = 230;
    Stylus.y = 300;
    carres[0] = {100, 100, 16};
    ncarres = 1;
    live(5, mid(100), mid(100), 0);
    live(9, mid(20), mid(20), 0);
    live(2, mid(200), mid(40), 0);
    EXPECT_EQ(DeplacerBall(0), -1);
    EXPECT_EQ(nballs, 2);
    EXPECT_EQ(nball[0], 2);
    EXPECT_EQ(nball[1], 9);
    EXPECT_EQ(nlibre[2], 5);
    // Position 0 now holds ball 2, which the caller moves next.
    EXPECT_EQ(DeplacerBall(0), 0);
    EXPECT_NE(balls[2].vy, 0);
    EXPECT_EQ(balls[9].vy, 0);
}

TEST_F(GamePieces, BurstsOfOneChainScoreOneThenTwo) {
    Stylus.x = 230;
    Stylus.y = 300;
    carres[0] = {100, 100, 16};
    carres[1] = {60, 200, 16};
    ncarres = 2;
    live(0, mid(100), mid(100), 0);
    live(1, mid(60), mid(200), 1);
    EXPECT_EQ(DeplacerBall(0), -1);
    EXPECT_EQ(score, 1);
    EXPECT_EQ(DeplacerBall(0), -1);
    EXPECT_EQ(score, 3);
    EXPECT_EQ(combo, 2);
    EXPECT_EQ(combodown, 40);
    EXPECT_EQ(nballs, 0);
    EXPECT_EQ(nsparks, 32);
}

TEST_F(GamePieces, BallOutsideTheScreenShowsAMarkerAtTheMargin) {
    struct Case { int x, y; int cx, cy; int16_t sx, sy; bool marker; };
    const Case cases[] = {
        {-3, 100, 120, 100, -3, 100, false}, {-4, 100, 120, 100, 5, 100, true},
        {243, 50, 120, 50, 243, 50, false},  {244, 50, 120, 50, 234, 50, true},
        {60, -4, 60, 160, 60, 5, true},      {60, 323, 60, 160, 60, 323, false},
        {60, 324, 60, 160, 60, 314, true},   {-8, -8, 120, 160, 5, 5, true},
    };
    for (const Case& c : cases) {
        SetUp();
        Stylus.x = int16_t(c.cx);
        Stylus.y = int16_t(c.cy);
        live(1, mid(c.x), mid(c.y), 1);
        kz_sprites[257]->angle = 99;
        ASSERT_EQ(DeplacerBall(0), 0);
        ASSERT_EQ(balls[1].x, c.x);
        ASSERT_EQ(balls[1].y, c.y);
        const KZ_Sprite* s = kz_sprites[257];
        EXPECT_EQ(s->x, c.sx) << c.x << "," << c.y;
        EXPECT_EQ(s->y, c.sy) << c.x << "," << c.y;
        EXPECT_EQ(s->frame, c.marker ? 3 : 2);
        EXPECT_EQ(s->angle, c.marker ? KZ_GetAngle(c.x, c.y, 120, 160) : 0);
    }
}

TEST_F(GamePieces, SquaresKeepTheirPlaces) {
    for (unsigned seed = 1; seed <= 12; seed++) {
        SetUp();
        std::srand(seed);
        Stylus.x = int16_t(40 + std::rand() % 160);
        Stylus.y = int16_t(40 + std::rand() % 240);
        for (int n = 0; n < 32; n++) AjouterCarre();
        ASSERT_EQ(ncarres, 32);
        for (int j = 0; j < 32; j++) {
            const Carre& c = carres[j];
            EXPECT_GE(c.x, 48);
            EXPECT_LE(c.x, 191);
            EXPECT_GE(c.y, 48);
            EXPECT_LE(c.y, 271);
            int ds = (c.x - Stylus.x) * (c.x - Stylus.x) + (c.y - Stylus.y) * (c.y - Stylus.y);
            EXPECT_GE(ds, 400) << "square " << j << " too near the press";
            for (int i = 0; i < j && j < 16; i++) {
                int d = (c.x - carres[i].x) * (c.x - carres[i].x) + (c.y - carres[i].y) * (c.y - carres[i].y);
                EXPECT_GE(d, 576) << "squares " << i << " and " << j;
            }
            const KZ_Sprite* s = kz_sprites[384 + j];
            EXPECT_EQ(c.life, 0);
            EXPECT_TRUE(s->active);
            EXPECT_EQ(s->x, c.x);
            EXPECT_EQ(s->y, c.y);
            EXPECT_EQ(s->zoom, 1);
            EXPECT_EQ(s->frame, 0);
        }
        // A 33rd square has no room: nothing changes, nothing is drawn.
        std::vector<int> r = draws(seed + 1000, 1);
        AjouterCarre();
        EXPECT_EQ(ncarres, 32);
        EXPECT_FALSE(kz_sprites[416]->active);
        EXPECT_EQ(std::rand(), r[0]);
    }
}

TEST_F(GamePieces, SparkCourses) {
    struct Case { int n, jx, mx, jy, my; int32_t dx, dy; };
    const Case cases[] = {{5, 16, 256, 16, 0, -181, -181}, {10, 16, 767, 16, 511, 542, 542}, {0, 16, 256, 16, 0, -181, -181},
                          {3, 16, 256, 16, 0, 181, -181}};
    for (const Case& c : cases) {
        int32_t dx, dy;
        SparkCourse(c.n, c.jx, c.mx, c.jy, c.my, dx, dy);
        EXPECT_EQ(dx, c.dx) << c.n;
        EXPECT_EQ(dy, c.dy) << c.n;
    }
    const int16_t expected[16] = {192, 154, 102, 64, 230, 192, 64, 26, 282, 320, 448, 486, 320, 358, 410, 448};
    for (int n = 0; n < 16; n++) EXPECT_EQ(angles[n], expected[n]) << n;
}

TEST_F(GamePieces, BurstCutsTheBallIntoSixteenPieces) {
    KZ_Sprite* b = kz_sprites[263];
    b->x = 50;
    b->y = 60;
    b->frame = 4;
    std::vector<int> r = draws(9, 64);
    AddSparks(7);
    EXPECT_EQ(nsparks, 16);
    for (int n = 0; n < 16; n++) {
        const Spark& s = spark[n];
        int32_t dx, dy;
        SparkCourse(n, r[4 * n] & 31, 256 + (r[4 * n + 1] & 511), r[4 * n + 2] & 31, r[4 * n + 3] & 511, dx, dy);
        EXPECT_EQ(s.dx, dx) << n;
        EXPECT_EQ(s.dy, dy) << n;
        EXPECT_EQ(s.x, 50 * 256);
        EXPECT_EQ(s.y, 60 * 256);
        EXPECT_TRUE(s.active);
        const KZ_Sprite* p = kz_sprites[2048 + n];
        EXPECT_TRUE(p->active);
        EXPECT_EQ(p->x, 50);
        EXPECT_EQ(p->y, 60);
        EXPECT_EQ(p->frame, 4);
        EXPECT_EQ(p->limitx1, (n & 3) * 2);
        EXPECT_EQ(p->limity1, (n >> 2) * 2);
        EXPECT_EQ(p->limitx2, (n & 3) * 2 + 1);
        EXPECT_EQ(p->limity2, (n >> 2) * 2 + 1);
    }
}

TEST_F(GamePieces, SparkRingWrapsAfterSixtyFourBursts) {
    KZ_Sprite* b = kz_sprites[256];
    for (int burst = 0; burst < 64; burst++) {
        b->x = int16_t(burst);
        AddSparks(0);
    }
    EXPECT_EQ(nsparks, 0);
    EXPECT_EQ(spark[0].x, 0);
    EXPECT_EQ(spark[1023].x, 63 * 256);
    b->x = 99;
    AddSparks(0);
    EXPECT_EQ(nsparks, 16);
    EXPECT_EQ(spark[0].x, 99 * 256);
    EXPECT_EQ(spark[15].x, 99 * 256);
    EXPECT_EQ(spark[16].x, 1 * 256);
    EXPECT_EQ(kz_sprites[2048 + 15]->x, 99);
}

TEST_F(GamePieces, SparksRetireEightPixelsBeyondAnyEdge) {
    struct Case { int32_t x, y; bool flies; };
    const Case cases[] = {{-2048, 100 * 256, true},  {-2049, 100 * 256, false}, {63488, 100 * 256, true},
                          {63489, 100 * 256, false}, {100 * 256, -2048, true},  {100 * 256, -2049, false},
                          {100 * 256, 83968, true},  {100 * 256, 83969, false}};
    KZ_CreateSprite(2048, balls_spr, 8, 8, 0, 0);
    for (const Case& c : cases) {
        // The spark reaches (x, y) with this frame's move.
        spark[0] = {c.x - 300, c.y + 200, 300, -200, 1};
        kz_sprites[2048]->active = 1;
        MoveSparks();
        EXPECT_EQ(spark[0].x, c.x);
        EXPECT_EQ(spark[0].y, c.y);
        EXPECT_EQ(spark[0].active, c.flies) << c.x << "," << c.y;
        EXPECT_EQ(kz_sprites[2048]->active, c.flies) << c.x << "," << c.y;
        if (c.flies) {
            EXPECT_EQ(kz_sprites[2048]->x, int16_t(c.x >> 8));
            EXPECT_EQ(kz_sprites[2048]->y, int16_t(c.y >> 8));
        }
    }
}

TEST_F(GamePieces, ColourFollowsTheChain) {
    struct Case { int16_t combo; uint16_t colour; };
    const Case cases[] = {{0, 0x0000},  {1, 0x0800},  {10, 0x5000},  {31, 0xF800}, {40, 0xF920},
                          {94, 0xFFE1}, {100, 0xFFE7}, {124, 0xFFFF}, {500, 0xFFFF}};
    for (const Case& c : cases) {
        combo = c.combo;
        kz_fade.level = 32;
        UpdateColor();
        EXPECT_EQ(kz_bgcolor, c.colour) << c.combo;
        EXPECT_EQ(kz_fade.color, c.colour) << c.combo;
        EXPECT_EQ(kz_fade.level, 16);
    }
}

}  // namespace
