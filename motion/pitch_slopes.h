#pragma once

#include <vector>

#include "scene/envelope.h"

namespace motion {

// A key triple rewritten into the other triple of its orientation,
// (h, p, b) → (h + π, π − p, b + π) up to whole turns, keeps the item's
// motion near the key only if the pitch curve's slope there changes sign
// while the heading's and bank's stay: p'(t) = π − p(t). The heading and
// bank keys need nothing; the pitch key's stored slopes are negated. In
// other rotation orders the channel that becomes π − x is the order's middle
// letter's (motion/channel_roles.h): the same is done to its keys, and the
// functions below take whichever envelope that is.

// The shape of a pitch key so reflected, by its span type: Hermite and 1D
// Bezier negate their tangents p4 and p5; 2D Bezier its handles' value
// offsets p2 and p4 and the Hermite tangent p5 it carries over; TCB and
// linear keys the tangent caches p4 and p5 that Layout writes into them
// (their own tangents follow from the values). Stepped keys and time
// offsets stay. A zero stays a positive zero, so that a writer leaves its
// text alone.
scene::KeyShape reflected_pitch_shape(const scene::KeyShape &shape);

// Gives the keys of `pitch` at `times` (exactly) their reflected shapes;
// times without a key are passed over. Returns how many shapes changed.
std::size_t reflect_pitch_slopes(scene::Envelope &pitch, const std::vector<double> &times);

}  // namespace motion
