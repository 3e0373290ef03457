#pragma once

namespace KeyFrame {

// x moved by whole turns of 2π towards r: the placement x + n·2π (n a whole
// number, possibly negative) whose distance to r is smallest, where the
// distance of a difference v is -v if v ≤ -1e-14 and v otherwise. Turns are
// taken only while the distance strictly shrinks, so of two equally near
// placements the one with fewer turns wins: nearest_turn(0, π) is 0.
//
// The result is bit for bit that of adding or removing one turn at a time,
// with the turn multiple formed afresh as n·2π from a 32-bit count n, for every
// x and r that such stepping handles (fewer than 2^31 − 1 turns apart). Farther
// apart, where the count would overflow, the result is the angle equal to x
// modulo 2π that lies within half a turn of r. The cost does not depend on the
// distance. If x or r is not finite, x is returned.
double nearest_turn(double x, double r);

}  // namespace KeyFrame
