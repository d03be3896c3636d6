// The demo pilot: plays by moving the stylus, as a player's hand would. It
// only writes the raw stylus state the window procedure writes; the game's
// rules see an ordinary player.
#include "game.h"

namespace game {

namespace {

int title_wait;
uint32_t dice = 1;

// The pilot's own numbers: the game's draws from rand() stay as they would be.
int roll(int n) {
    dice = dice * 1103515245u + 12345u;
    return int((dice >> 16) % uint32_t(n));
}

// The cursor on this point would touch a square (grown or about to be), the
// quit button, or lie off the field.
bool forbidden(int x, int y) {
    if (x < 4 || x > 235 || y < 20 || y > 315) return true;
    if (x >= 212 && y <= 28) return true;
    for (int j = 0; j < ncarres; j++) {
        int dx = x - carres[j].x, dy = y - carres[j].y;
        if (dx > -14 && dx < 14 && dy > -14 && dy < 14) return true;
    }
    return false;
}

// Squared distance from (x, y) to the nearest ball, looking a few frames
// ahead along each ball's course.
int64_t danger(int x, int y) {
    int64_t nearest = INT64_MAX;
    for (int p = 0; p < nballs; p++) {
        const Ball& b = balls[nball[p] & 255];
        for (int ahead = 0; ahead <= 12; ahead += 4) {
            // Three sub-steps a frame; vx moves fx by vx / 64 each.
            int64_t bx = b.x + (int64_t(b.vx) * 3 * ahead >> 14);
            int64_t by = b.y - (int64_t(b.vy) * 3 * ahead >> 14);
            int64_t d = (bx - x) * (bx - x) + (by - y) * (by - y);
            if (d < nearest) nearest = d;
        }
    }
    return nearest;
}

// A point just behind the square nearest to the balls' middle, as seen from
// the balls: chasing the cursor there, they run into the square.
bool lure(int& lx, int& ly) {
    if (nballs == 0 || ncarres == 0) return false;
    int64_t mx = 0, my = 0;
    for (int p = 0; p < nballs; p++) {
        mx += balls[nball[p] & 255].x;
        my += balls[nball[p] & 255].y;
    }
    mx /= nballs;
    my /= nballs;
    int best = -1;
    int64_t bestd = INT64_MAX;
    for (int j = 0; j < ncarres; j++) {
        int64_t d = (carres[j].x - mx) * (carres[j].x - mx) + (carres[j].y - my) * (carres[j].y - my);
        if (d < bestd) bestd = d, best = j;
    }
    int a = KZ_GetAngle(int(mx), int(my), carres[best].x, carres[best].y);
    lx = carres[best].x + ((26 * KZ_SIN[(a + 128) & 511]) >> 8);
    ly = carres[best].y - ((26 * KZ_SIN[a & 511]) >> 8);
    return true;
}

}  // namespace

void pilot(bool title) {
    if (title) {
        // Lift the pen, wait a moment on the title, then press somewhere
        // clear of the quit button.
        if (stylusheld) {
            stylusheld = 0;
            title_wait = 0;
            return;
        }
        if (++title_wait < 30) return;
        stylusx = int16_t(60 + roll(120));
        stylusy = int16_t(100 + roll(160));
        stylusheld = 1;
        title_wait = 0;
        return;
    }
    int x = Stylus.x, y = Stylus.y;
    int lx = x, ly = y;
    bool luring = lure(lx, ly);
    int bestx = x, besty = y;
    int64_t bestscore = INT64_MIN;
    static const int steps[][2] = {{0, 0},  {6, 0},  {-6, 0}, {0, 6},   {0, -6},   {4, 4},  {4, -4},
                                   {-4, 4}, {-4, -4}, {12, 0}, {-12, 0}, {0, 12}, {0, -12}};
    for (const auto& s : steps) {
        int cx = x + s[0], cy = y + s[1];
        if (forbidden(cx, cy)) continue;
        // Keep well away from the balls first; with room to spare, wait at
        // the lure point.
        int64_t d = danger(cx, cy);
        int64_t safety = d < 60 * 60 ? d * 16 : 60 * 60 * 16;
        int64_t pull = luring ? (int64_t(cx - lx) * (cx - lx) + int64_t(cy - ly) * (cy - ly)) : 0;
        int64_t score_here = safety - pull;
        if (score_here > bestscore) bestscore = score_here, bestx = cx, besty = cy;
    }
    stylusx = int16_t(bestx);
    stylusy = int16_t(besty);
    stylusheld = 1;
}

}  // namespace game
