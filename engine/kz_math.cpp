// Angles of 512 steps per turn: the direction between two points, found by a
// coarse-to-fine search over the sine table instead of an arc tangent.
#include "ZAriz.h"

namespace {

// Squared distance, in 1/256 pixel, from the point one pixel away from the
// start in direction t to the target; (tx, ty) is the target relative to the
// start, already in 1/256 pixel. Exact for differences below 2^22 pixels;
// beyond that the unsigned sum wraps (defined) instead of overflowing, and is
// compared as a signed 64-bit value.
inline int64_t distance(unsigned t, int64_t tx, int64_t ty) {
    const uint64_t ex = uint64_t(KZ_SIN[(t + 128) & 511] - tx);
    const uint64_t ey = uint64_t(-KZ_SIN[t & 511] - ty);
    return int64_t(ex * ex + ey * ey);
}

// One refinement step. On a tie the current angle stays; the lower neighbour
// is looked at first and wins whenever it beats the current angle, even if
// the upper one would beat it too.
inline int adjust(uint16_t angle, uint16_t step, int64_t tx, int64_t ty) {
    const uint16_t lower = uint16_t(angle - step);
    const uint16_t upper = uint16_t(angle + step);
    const int64_t here = distance(angle, tx, ty);
    if (here > distance(lower, tx, ty))
        return lower & 511;
    if (here > distance(upper, tx, ty))
        return upper & 511;
    return angle & 511;
}

}  // namespace

int KZ_AdjustAngle(uint16_t angle, uint16_t step, int x1, int y1, int x2, int y2) {
    return adjust(angle, step, (int64_t(x2) - x1) * 256, (int64_t(y2) - y1) * 256);
}

int KZ_GetAngle(int x1, int y1, int x2, int y2) {
    const int64_t tx = (int64_t(x2) - x1) * 256;
    const int64_t ty = (int64_t(y2) - y1) * 256;
    int a = 0;
    // Steps 180, 113, 71, 45, 29, 19, 12, 8: each about five eighths of the
    // one before, so the search can still back out of a wrong early turn.
    uint16_t step = 180;
    do {
        a = adjust(uint16_t(a), step, tx, ty);
        step = uint16_t(step - ((3 * step) >> 3));
    } while (step > 5);
    a = adjust(uint16_t(a), 4, tx, ty);
    a = adjust(uint16_t(a), 2, tx, ty);
    return adjust(uint16_t(a), 1, tx, ty);
}
