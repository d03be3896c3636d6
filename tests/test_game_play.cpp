// The whole game on the headless display: the real WinMain and game::main,
// a fixed seed, stylus events scripted while it runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "game.h"
#include "support/harness.h"

using namespace game;
using zp::Ev;

namespace {

// One look per frame: called before every refresh of the game, with the
// number of that refresh (0 is the first) and whether the title is showing.
std::function<void(int, bool)> look;
int frames_seen;

void watch(bool title) { look(frames_seen++, title); }

int play(unsigned seed, std::function<void(int, bool)> each_frame) {
    engine_reset();
    zp::headless_reset(0);
    zp::set_seed(seed);
    // A fresh process: the game's tables as they start.
    ncarres = 0;
    nballs = 0;
    combo = 0;
    level = 0;
    score = 0;
    lost = 0;
    look = std::move(each_frame);
    frames_seen = 0;
    observer = watch;
    int result = WinMain(test_instance(), nullptr, nullptr, 0);
    observer = nullptr;
    look = nullptr;
    return result;
}

// Events reach the window during the coming refresh's wait.
void now(Ev ev, int x = 0, int y = 0) { zp::headless_script(zp::headless_time(), ev, x, y); }
void tap(int x, int y) { now(Ev::StylusDown, x, y); }
void quit() { now(Ev::Close); }

std::string text(uint8_t slot) {
    const KZ_Text& t = KZ_TextSlot[TEXT_LAYER][slot];
    std::string s;
    for (int k = 0; k < t.count; k++) s += char(t.letters[k].ch);
    return s;
}

// Takes every live ball off the field, so the level ends at the next check.
void clear_level() {
    for (int p = 0; p < nballs; p++) kz_sprites[SPR_BALL + nball[p]]->active = 0;
    nballs = 0;
}

// Parks ball at position p far from the cursor and the squares, at rest.
void park(int p, int x, int y) {
    Ball& b = balls[nball[p]];
    b = {x * 256 + 128, y * 256 + 128, x, y, 0, 0, b.speed};
}

TEST(GamePlay, FirstRoundStartsAtLevelOneWhereThePressWas) {
    int round_frame = -1;
    int result = play(11, [&](int f, bool title) {
        if (f == 0) {
            EXPECT_TRUE(title);
            EXPECT_EQ(text(10), "Touch Screen to Start");
            EXPECT_EQ(kz_bgcolor, 0);
            tap(60, 250);
        }
        if (title || round_frame >= 0) return;
        round_frame = f;
        EXPECT_EQ(level, 1);
        EXPECT_EQ(nballs, 1);
        EXPECT_EQ(ncarres, 1);
        EXPECT_EQ(text(3), "01");
        EXPECT_EQ(text(4), "0");
        EXPECT_EQ(text(0), "Level  :");
        EXPECT_EQ(text(1), "Score  :");
        EXPECT_EQ(KZ_TextSlot[TEXT_LAYER][10].count, 0);
        EXPECT_EQ(kz_sprites[SPR_CURSOR]->x, 60);
        EXPECT_EQ(kz_sprites[SPR_CURSOR]->y, 250);
        EXPECT_TRUE(kz_sprites[SPR_CURSOR]->active);
        int dx = carres[0].x - 60, dy = carres[0].y - 250;
        EXPECT_GE(dx * dx + dy * dy, 400);
        EXPECT_EQ(kz_sprites[SPR_CARRE]->zoom, 64);
        quit();
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(round_frame, 1) << "the press should start the round after one title frame";
}

TEST(GamePlay, LevelsBringTheirBallsAndEveryEighthASquare) {
    struct Case { int16_t before; int balls; int squares; };
    const Case cases[] = {{7, 8, 2}, {8, 9, 1}, {100, 100, 1}, {255, 100, 2}};
    for (const Case& c : cases) {
        int stage = 0;
        std::vector<int> r;
        play(3, [&](int f, bool title) {
            if (f == 0) tap(100, 200);
            if (title) return;
            if (stage == 0) {
                level = c.before;
                clear_level();
                std::srand(77);
                for (int i = 0; i < 4; i++) r.push_back(std::rand());
                std::srand(77);
                stage = 1;
            } else if (stage == 1) {
                EXPECT_EQ(level, c.before + 1);
                EXPECT_EQ(nballs, c.balls) << c.before;
                EXPECT_EQ(ncarres, c.squares) << c.before;
                if (c.squares == 2) {
                    // The square draws first, then the balls.
                    EXPECT_EQ(carres[1].x, r[0] % 144 + 48);
                    EXPECT_EQ(carres[1].y, r[1] % 224 + 48);
                } else {
                    EXPECT_EQ(balls[nball[0]].speed, r[1] % 3);
                }
                char number[8];
                snprintf(number, sizeof number, "%02d", c.before + 1);
                EXPECT_EQ(text(3), number);
                stage = 2;
                quit();
            }
        });
        EXPECT_EQ(stage, 2);
    }
}

TEST(GamePlay, TitlePressOnTheQuitButtonEndsTheGame) {
    struct Case { int x, y; bool quits; };
    const Case cases[] = {{232, 8, true}, {224, 0, true}, {239, 15, true}, {223, 8, false}, {232, 16, false}};
    for (const Case& c : cases) {
        bool rounds = false;
        int result = play(5, [&](int f, bool title) {
            if (f == 0) tap(c.x, c.y);
            if (!title) {
                rounds = true;
                quit();
            }
            if (f > 5) quit();
        });
        EXPECT_EQ(result, 0);
        EXPECT_EQ(rounds, !c.quits) << c.x << "," << c.y;
        EXPECT_EQ(frames_seen, c.quits ? 1 : 2) << c.x << "," << c.y;
        EXPECT_EQ(level, c.quits ? 0 : 1);
    }
}

TEST(GamePlay, PressDuringTheFirstTitleRefreshStartsAtOnce) {
    std::vector<bool> titles;
    play(8, [&](int f, bool title) {
        titles.push_back(title);
        if (f == 2) quit();
    });
    ASSERT_GE(titles.size(), 2u);
    EXPECT_TRUE(titles[0]);
    EXPECT_TRUE(titles[1]) << "nothing pressed: the title waits";

    titles.clear();
    play(8, [&](int f, bool title) {
        if (f == 0) tap(90, 90);
        titles.push_back(title);
        if (f == 2) quit();
    });
    ASSERT_GE(titles.size(), 2u);
    EXPECT_TRUE(titles[0]);
    EXPECT_FALSE(titles[1]);
}

// The cursor on a square: harmless while it grows, lost once it is full-grown,
// even with the stylus lifted. After the loss the title waits for a new press:
// a stylus held through the loss does not count, a press made as the title
// first shows does.
TEST(GamePlay, FullGrownSquareUnderTheCursorLoses) {
    enum Mode { LIFTED, HELD_THROUGH, PRESSED_AT_ONCE };
    struct Case { Mode mode; int second_round; };
    const Case cases[] = {{LIFTED, 30}, {HELD_THROUGH, 31}, {PRESSED_AT_ONCE, 1}};
    for (const Case& c : cases) {
        int round_start = -1, lost_at = -1, title_after = 0, second_round = -1;
        int life_when_lost = 0;
        play(21, [&](int f, bool title) {
            if (f == 0) {
                tap(30, 300);
                return;
            }
            if (second_round >= 0 || f > 400) {
                quit();
                return;
            }
            if (!title && lost_at < 0) {
                // Keep the level's ball far off so that only the square can lose.
                park(0, 230, 20);
                if (round_start < 0) {
                    round_start = f;
                    now(Ev::StylusMove, carres[0].x + 7, carres[0].y - 7);
                } else if (f == round_start + 1 && c.mode != HELD_THROUGH) {
                    now(Ev::StylusUp);
                }
                if (lost) {
                    lost_at = f;
                    life_when_lost = carres[0].life;
                    combo = 30;
                }
                return;
            }
            if (title) {
                title_after++;
                if (title_after == 1 && c.mode == PRESSED_AT_ONCE) tap(200, 200);
                // The title fades the chain and the squares and brings the logo back.
                if (title_after == 1) {
                    EXPECT_EQ(combo, 30);
                }
                if (title_after >= 2) {
                    EXPECT_EQ(combo, std::max(0, 30 - 4 * (title_after - 1))) << title_after;
                    EXPECT_EQ(kz_bgcolor, uint16_t(combo << 11));
                }
                if (title_after == 17) {
                    EXPECT_EQ(carres[0].life, 0);
                    EXPECT_FALSE(kz_sprites[SPR_CARRE]->active);
                }
                if (title_after == 24) {
                    EXPECT_EQ(kz_sprites[SPR_TITLE]->alpha, 32);
                }
                if (title_after == 30) now(c.mode == HELD_THROUGH ? Ev::StylusUp : Ev::StylusDown, 200, 200);
                if (title_after == 31) tap(200, 200);
                return;
            }
            second_round = title_after;
            EXPECT_EQ(level, 1);
            EXPECT_EQ(score, 0);
            EXPECT_EQ(kz_sprites[SPR_CURSOR]->x, 200);
        });
        ASSERT_GE(lost_at, 0) << c.mode;
        // life reaches 16 in the round's 16th frame; the touch counts from the next.
        EXPECT_EQ(lost_at - round_start, 16) << c.mode;
        EXPECT_EQ(life_when_lost, 16) << c.mode;
        EXPECT_EQ(second_round, c.second_round) << c.mode;
    }
}

// Two bursts in one frame, then one more after a gap: the chain decays by one
// step every 41 frames, not every 40.
TEST(GamePlay, ChainDecaysOneStepEveryFortyOneFrames) {
    struct Case { int gap; int points; };
    for (const Case& c : {Case{40, 3}, Case{41, 2}, Case{81, 2}, Case{82, 1}}) {
        int stage = 0, burst_frame = -1;
        int32_t score_before = 0;
        play(31, [&](int f, bool title) {
            if (f == 0) tap(40, 300);
            if (title) return;
            switch (stage) {
            case 0:  // level 3: three balls
                level = 2;
                clear_level();
                stage = 1;
                break;
            case 1:
                ASSERT_EQ(nballs, 3);
                park(0, carres[0].x - 3, carres[0].y);
                park(1, carres[0].x + 3, carres[0].y + 2);
                park(2, 230, 20);
                stage = 2;
                break;
            case 2:
                EXPECT_EQ(score, 3);
                EXPECT_EQ(combo, 2);
                EXPECT_EQ(nballs, 1);
                // The screen takes the chain's colour from the next frame on.
                EXPECT_EQ(kz_bgcolor, 0);
                burst_frame = f;
                park(0, 230, 20);
                stage = 3;
                break;
            case 3:
                if (f == burst_frame + 1) {
                    EXPECT_EQ(kz_bgcolor, 0x1000);
                    EXPECT_EQ(kz_fade.color, 0x1000);
                }
                if (f - burst_frame + 1 < c.gap) {
                    park(0, 230, 20);
                    break;
                }
                score_before = score;
                park(0, carres[0].x, carres[0].y);
                stage = 4;
                break;
            case 4:
                EXPECT_EQ(score - score_before, c.points) << "gap " << c.gap;
                stage = 5;
                quit();
                break;
            }
        });
        EXPECT_EQ(stage, 5);
    }
}

// A ball that reaches the cursor does not end the frame: the balls after it
// still move, burst and score, and the score shown follows.
TEST(GamePlay, LosingFrameStillFinishes) {
    int stage = 0;
    play(17, [&](int f, bool title) {
        if (f == 0) tap(40, 300);
        if (title) {
            if (stage == 3) {
                stage = 4;
                quit();
            }
            return;
        }
        switch (stage) {
        case 0:  // level 2: two balls
            level = 1;
            clear_level();
            stage = 1;
            break;
        case 1:
            ASSERT_EQ(nballs, 2);
            park(0, 40, 300);
            park(1, carres[0].x, carres[0].y);
            stage = 2;
            break;
        case 2:
            EXPECT_EQ(lost, 1);
            EXPECT_EQ(nballs, 1);
            EXPECT_EQ(score, 1);
            EXPECT_EQ(text(4), "1");
            stage = 3;
            break;
        default:
            quit();
        }
    });
    EXPECT_EQ(stage, 4) << "the lost round goes to the title after its last frame";
}

TEST(GamePlay, MovingOntoTheQuitButtonMidRoundEnds) {
    int round_frames = 0;
    bool moved = false;
    int result = play(13, [&](int f, bool title) {
        if (f == 0) tap(120, 280);
        if (title) return;
        round_frames++;
        park(0, 20, 300);
        if (round_frames == 5) {
            now(Ev::StylusMove, 230, 10);
            moved = true;
        }
        if (round_frames > 10) quit();
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(moved);
    EXPECT_EQ(round_frames, 5) << "the frame after the move ends main before its refresh";
    EXPECT_EQ(lost, 0);
}

TEST(GamePlay, ClosingTheWindowEndsTheGame) {
    int result = play(2, [&](int f, bool) {
        if (f == 3) quit();
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(frames_seen, 4);
}

}  // namespace
