#pragma once

#include <cstddef>

#include "scene/envelope_evaluation.h"
#include "scene/scene.h"

namespace motion {

// Keys where an item's rotation channels are keyed apart. The scan rewrites
// key triples only (a pitch key with heading and bank keys at exactly its
// time); at a time where one or two of the channels have a key, keys are
// added on the others, each holding its curve's own value there and shaped
// so that every curve keeps its motion:
//
// - in a Hermite or 1D Bezier span the new key is of that type with the
//   curve's slope there, and the span's Hermite keys keep their slopes on
//   both sides: the curve is split exactly;
// - in a 2D Bezier span the new key splits the Bezier (de Casteljau), its
//   handles and its neighbours' inner handles those of the two halves;
// - linear and stepped spans split into two of the same kind;
// - in a TCB span the new key is a TCB key whose tension, continuity and
//   bias are searched for the smallest change of the curve: a TCB key's
//   neighbours take their tangents from it, so the curve moves a little
//   there (keys that are not Hermite cannot be pinned without becoming
//   Hermite keys, which is not done to an animator's keys).
//
// Beyond a channel's first or last key, keys are added only where its end
// behaviour holds the end value (constant), as a flat linear span; a
// repeating or extrapolating behaviour would change with the range it
// repeats, so no key is added there and it is counted.
struct MissingKeys {
  std::size_t added = 0;             // keys added, over all channels
  std::size_t not_added = 0;         // keys not added beyond a channel's range (above)
  double largest_change = 0.0;       // radians: the largest sampled change of any rotation curve
  double largest_change_time = 0.0;  // seconds: where it was sampled
  int largest_change_channel = -1;   // 0 heading, 1 pitch, 2 bank; -1 when nothing changed
};

// Adds the missing keys of `item`'s rotation channels and measures how far
// each curve moved, sampled kChangeSamplesPerFrame times a frame over its
// keyed range (`fps` frames per second) and at every key.
MissingKeys add_missing_keys(scene::Item &item, double fps, scene::HermiteTangents hermite);

constexpr int kChangeSamplesPerFrame = 8;

}  // namespace motion
