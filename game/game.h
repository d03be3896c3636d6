// The game: a cursor, balls that home in on it, squares that burst them.
// Plain functions over global tables, as the engine under it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/ZAriz.h"

namespace game {

// ---- pictures compiled in (game/assets, embedded at build time) ------------

extern const unsigned char title[];
extern const size_t title_size;
extern const unsigned char impact[];
extern const size_t impact_size;
extern const unsigned char carre[];
extern const size_t carre_size;
extern const unsigned char ball_gif[];
extern const size_t ball_gif_size;

// ---- sprite numbers --------------------------------------------------------

constexpr int SPR_BALL = 256;     // 256 + i: ball i
constexpr int SPR_CURSOR = 383;   // the player's cursor (square image, frame 1)
constexpr int SPR_CARRE = 384;    // 384 + j: square j
constexpr int SPR_QUIT = 1024;    // the quit button
constexpr int SPR_TITLE = 1025;   // the logo
constexpr int SPR_SPARK = 2048;   // 2048 + k: spark k

constexpr int TEXT_LAYER = 4;
constexpr int TEXT_FONT = 5;

// ---- round and scoring -----------------------------------------------------

extern int16_t level;
extern int32_t score;
extern uint8_t lost;
extern int16_t combo;       // chain counter, never negative
extern uint8_t combodown;   // frames before combo next decays

extern KZ_Image* title_spr;
extern KZ_Image* carre_spr;
extern KZ_Image* balls_spr;

// ---- balls -----------------------------------------------------------------

struct Ball {
    int32_t fx, fy;   // position in 1/256 pixel
    int32_t x, y;     // whole pixels: fx >> 8, fy >> 8
    int32_t vx, vy;   // velocity; vy positive upwards
    uint8_t speed;    // class 0, 1, 2
};

constexpr int MAXBALLS = 100;

extern Ball balls[256];
extern uint16_t nballs;
extern uint16_t nball[256];    // positions 0 .. nballs-1: live ball indices
extern uint16_t nlibre[256];   // positions nballs and above: free indices

void AjouterBall();
// Where a ball drawn in direction a (0..511) comes in.
void SpawnPoint(int a, int32_t& x, int32_t& y);
// One sub-step of the ball at `position` of nball. -1: it burst and the last
// live ball now fills `position`; 0 otherwise.
int8_t DeplacerBall(uint8_t position);

// ---- squares, sparks, colour -----------------------------------------------

struct Carre {
    int32_t x, y;     // centre, pixels
    int32_t life;     // 0..16, drawn at zoom life * 64; 16 is full-grown
};

struct Spark {
    int32_t x, y;     // 1/256 pixel
    int32_t dx, dy;   // per frame, 1/256 pixel, dy positive downwards
    uint8_t active;
};

constexpr int MAXCARRES = 32;
constexpr int MAXSPARKS = 1024;

extern Carre carres[MAXCARRES];
extern uint8_t ncarres;
extern Spark spark[MAXSPARKS];
extern uint16_t nsparks;       // ring slot the next spark takes
extern int16_t angles[16];     // from a 16 x 16 grid's centre to each 4 x 4 cell

void AjouterCarre();
void AddSparks(uint16_t ball);
// The course of piece n of a burst from its four draws: jx, jy 0..31, mx
// 256..767, my 0..511.
void SparkCourse(int n, int jx, int mx, int jy, int my, int32_t& dx, int32_t& dy);
void MoveSparks();
void UpdateColor();
void FillAngles();

// ---- the game --------------------------------------------------------------

// The game's entry, called once by WinMain. Returns 0 when the quit button is
// touched.
int main();

// The logic of one frame of a level, up to its refresh: the chain's decay, the
// squares, the sparks, three passes over the balls, the score text, the
// cursor and the logo. `shown` is the score last shown. True when the cursor
// is on the quit button.
bool FrameLogic(int32_t& shown);

// Set by the desktop option --demo: a pilot moves the stylus and starts rounds.
extern bool demo;
// One frame of the pilot: writes the raw stylus state the way the window
// procedure does. `title`: the title screen waits for a press.
void pilot(bool title);

// Called before every refresh of the game's loops (after the pilot) when set:
// lets tests and tools look at the game frame by frame. `title`: the title
// screen is showing.
extern void (*observer)(bool title);

}  // namespace game
