#include "motion/missing_keys.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "motion/rotation_curves.h"

namespace motion {
namespace {

using scene::CurveKey;
using scene::Envelope;
using scene::HermiteTangents;
using scene::Key;
using scene::KeyShape;

CurveKey curve_key(const Envelope &envelope, const Key *key) {
  return CurveKey{key->time, key->value, envelope.shape(key)};
}

bool is_hermite(int span_type) {
  return span_type == scene::kSpanHermite || span_type == scene::kSpanBezier1D;
}

// A key with its neighbours, as the tangent formulas read them.
struct KeyAround {
  std::optional<CurveKey> before;
  CurveKey key;
  std::optional<CurveKey> after;
};

KeyAround around(const Envelope &envelope, const Key *key) {
  KeyAround found;
  found.key = curve_key(envelope, key);
  if (key->prev != nullptr) found.before = curve_key(envelope, key->prev);
  if (key->next != nullptr) found.after = curve_key(envelope, key->next);
  return found;
}

const CurveKey *or_null(const std::optional<CurveKey> &key) { return key ? &*key : nullptr; }

// The slopes (per second) at a key that the spans on its two sides take
// from it, where it has a neighbour on that side.
double in_slope(const KeyAround &k, HermiteTangents hermite) {
  return scene::in_tangent(*k.before, k.key, or_null(k.after), hermite) / (k.key.time - k.before->time);
}
double out_slope(const KeyAround &k, HermiteTangents hermite) {
  return scene::out_tangent(or_null(k.before), k.key, *k.after, hermite) / (k.after->time - k.key.time);
}

// Sets a Hermite key's stored tangent so that, between its neighbours as
// they now are, it gives the span on that side `slope` (per second).
void set_in_slope(Envelope &envelope, const Key *key, double slope, HermiteTangents hermite) {
  if (key->prev == nullptr) return;
  KeyShape shape = envelope.shape(key);
  const bool scaled = hermite == HermiteTangents::scaled_by_spacing && key->next != nullptr;
  shape.params[3] = slope * ((scaled ? key->next->time : key->time) - key->prev->time);
  envelope.set_shape(key, shape);
}
void set_out_slope(Envelope &envelope, const Key *key, double slope, HermiteTangents hermite) {
  if (key->next == nullptr) return;
  KeyShape shape = envelope.shape(key);
  const bool scaled = hermite == HermiteTangents::scaled_by_spacing && key->prev != nullptr;
  shape.params[4] = slope * (key->next->time - (scaled ? key->prev->time : key->time));
  envelope.set_shape(key, shape);
}

// The slope (per second) of the Hermite-family span from `start` to `end`
// at `time`.
double hermite_span_slope(const KeyAround &start, const KeyAround &end, double time,
                          HermiteTangents hermite) {
  const double span = end.key.time - start.key.time;
  const double u = (time - start.key.time) / span;
  const double out = scene::out_tangent(or_null(start.before), start.key, end.key, hermite);
  const double in = scene::in_tangent(start.key, end.key, or_null(end.after), hermite);
  const double d01 = 6 * u - 6 * u * u;
  const double d10 = 3 * u * u - 4 * u + 1;
  const double d11 = 3 * u * u - 2 * u;
  return (d01 * (end.key.value - start.key.value) + d10 * out + d11 * in) / span;
}

struct Point {
  double time, value;
};
Point lerp(const Point &a, const Point &b, double s) {
  return Point{a.time + (b.time - a.time) * s, a.value + (b.value - a.value) * s};
}

// The parameter at which the Bezier's time is `time`, to the last bit the
// bisection can tell (its time increases along the span).
double bezier_parameter_at(const scene::BezierControls &controls, double time) {
  double low = 0.0, high = 1.0;
  for (int step = 0; step < 200 && high - low > 0.0; ++step) {
    const double middle = 0.5 * (low + high);
    if (middle == low || middle == high) break;
    if (scene::bezier_point(middle, controls.time) > time) {
      high = middle;
    } else {
      low = middle;
    }
  }
  return 0.5 * (low + high);
}

// The keys of an envelope from one key to another, copied out with the
// neighbours their tangents read, for evaluating the spans between them
// many times (sampling in increasing time).
class LocalCurve {
 public:
  LocalCurve(const Envelope &envelope, const Key *from, const Key *to) {
    const Key *first = from->prev != nullptr ? from->prev : from;
    const Key *last = to->next != nullptr ? to->next : to;
    for (const Key *key = first;; key = key->next) {
      keys_.push_back(curve_key(envelope, key));
      if (key == last) break;
    }
  }

  std::vector<CurveKey> &keys() { return keys_; }

  // The value at `time`, from the first span on that reaches it; `span`
  // carries the position from one call to the next.
  double at(double time, std::size_t &span, HermiteTangents hermite) const {
    const std::size_t n = keys_.size();
    while (span + 2 < n && keys_[span + 1].time <= time) ++span;
    const CurveKey &start = keys_[span], &end = keys_[span + 1];
    if (time == start.time) return start.value;
    if (time == end.time) return end.value;
    return scene::span_value(span > 0 ? &keys_[span - 1] : nullptr, start, end,
                             span + 2 < n ? &keys_[span + 2] : nullptr, time, hermite);
  }

 private:
  // A first (last) key without a key before (after) it is the curve's own:
  // its tangent is an end tangent, as the null neighbour says.
  std::vector<CurveKey> keys_;
};

// Tension, continuity and bias of the TCB key `key` that keep its curve
// closest to `original` around it (the largest difference, sampled over the
// spans whose tangents it feeds), by a coordinate search.
void fit_tcb_key(Envelope &envelope, const Key *key, const scene::CurveSampler &original,
                 HermiteTangents hermite) {
  const Key *from = key->prev != nullptr && key->prev->prev != nullptr ? key->prev->prev : key->prev;
  const Key *to = key->next != nullptr && key->next->next != nullptr ? key->next->next : key->next;
  if (from == nullptr || to == nullptr) return;
  LocalCurve local(envelope, from, to);
  std::size_t index = 0;
  while (local.keys()[index].time != key->time) ++index;
  KeyShape &trial = local.keys()[index].shape;

  constexpr int kSamples = 48;
  std::array<double, kSamples + 1> times{}, wanted{};
  for (int i = 0; i <= kSamples; ++i) {
    times[i] = from->time + (to->time - from->time) * i / kSamples;
    wanted[i] = original.at(times[i]);
  }
  const auto error_of = [&](const KeyShape &candidate) {
    trial = candidate;
    double largest = 0.0;
    std::size_t span = 0;
    for (int i = 0; i <= kSamples; ++i)
      largest = std::max(largest, std::fabs(local.at(times[i], span, hermite) - wanted[i]));
    return largest;
  };
  KeyShape shape = envelope.shape(key);
  double best = error_of(shape);
  // A change below this is rounding: nothing to search for.
  constexpr double kNoChange = 1e-12;
  for (double step = 0.5; step >= 1.0 / 64 && best > kNoChange; step /= 2) {
    for (bool improved = true; improved;) {
      improved = false;
      for (int p = 0; p < 3; ++p) {
        for (const double sign : {-1.0, 1.0}) {
          KeyShape candidate = shape;
          candidate.params[p] = std::clamp(shape.params[p] + sign * step, -1.0, 1.0);
          if (candidate.params[p] == shape.params[p]) continue;
          const double error = error_of(candidate);
          if (error < best) {
            best = error;
            shape = candidate;
            improved = true;
          }
        }
      }
    }
  }
  envelope.set_shape(key, shape);
}

// Adds a key at `time` beyond the envelope's last or before its first key,
// where the end behaviour holds the end value. Returns false when it does
// not.
bool add_beyond_ends(Envelope &envelope, double time, HermiteTangents hermite) {
  const bool after_last = time > envelope.last()->time;
  Key *end = after_last ? envelope.last() : envelope.first();
  if ((after_last ? envelope.post_behavior : envelope.pre_behavior) != scene::kBehaviorConstant) return false;
  const KeyAround end_before = around(envelope, end);
  Key *added = envelope.create(time, end->value);
  KeyShape flat;
  flat.span_type = scene::kSpanLinear;  // a straight span between equal values
  envelope.set_shape(added, flat);
  const KeyShape end_shape = envelope.shape(end);
  if (after_last) {
    // The old last key is now an inner one: its incoming tangent keeps its
    // slope.
    if (is_hermite(end_shape.span_type) && end_before.before)
      set_in_slope(envelope, end, in_slope(end_before, hermite), hermite);
    return true;
  }
  // The old first key now ends a span from the new one: flat into it, and
  // its outgoing slope as it was.
  if (is_hermite(end_shape.span_type)) {
    set_in_slope(envelope, end, 0.0, hermite);
    if (end_before.after) set_out_slope(envelope, end, out_slope(end_before, hermite), hermite);
  } else if (end_shape.span_type == scene::kSpanBezier2D) {
    KeyShape shape = end_shape;
    shape.params[0] = (time - end->time) / 3.0;
    shape.params[1] = 0.0;
    envelope.set_shape(end, shape);
  }
  return true;
}

// Adds a key at `time` between the keys `start` and `end`.
void add_between(Envelope &envelope, Key *start, Key *end, double time, const scene::CurveSampler &original,
                 HermiteTangents hermite) {
  const KeyAround a = around(envelope, start), b = around(envelope, end);
  const int span_type = b.key.shape.span_type;
  const double value = scene::span_value(or_null(a.before), a.key, b.key, or_null(b.after), time, hermite);

  if (span_type == scene::kSpanBezier2D) {
    const scene::BezierControls c = scene::bezier_2d_controls(a.key, b.key);
    const double s = bezier_parameter_at(c, time);
    const Point p0{c.time[0], c.value[0]}, p1{c.time[1], c.value[1]}, p2{c.time[2], c.value[2]},
        p3{c.time[3], c.value[3]};
    const Point p01 = lerp(p0, p1, s), p12 = lerp(p1, p2, s), p23 = lerp(p2, p3, s);
    const Point p012 = lerp(p01, p12, s), p123 = lerp(p12, p23, s), split = lerp(p012, p123, s);
    Key *added = envelope.create(time, split.value);
    KeyShape shape;
    shape.span_type = scene::kSpanBezier2D;
    shape.params[0] = p012.time - time;
    shape.params[1] = p012.value - split.value;
    shape.params[2] = p123.time - time;
    shape.params[3] = p123.value - split.value;
    envelope.set_shape(added, shape);
    KeyShape start_shape = a.key.shape;
    if (start_shape.span_type == scene::kSpanBezier2D) {
      start_shape.params[2] = p01.time - start->time;
      start_shape.params[3] = p01.value - start->value;
    } else {
      // Its out-handle lies a third of the span on, at p5 / 3: the same
      // direction over the shorter span.
      start_shape.params[4] *= (time - start->time) / (end->time - start->time);
    }
    envelope.set_shape(start, start_shape);
    if (is_hermite(start_shape.span_type) && a.before)
      set_in_slope(envelope, start, in_slope(a, hermite), hermite);
    KeyShape end_shape = b.key.shape;
    end_shape.params[0] = p23.time - end->time;
    end_shape.params[1] = p23.value - end->value;
    envelope.set_shape(end, end_shape);
    return;
  }

  KeyShape shape;
  shape.span_type = span_type;
  double slope = 0.0;
  if (is_hermite(span_type)) {
    slope = hermite_span_slope(a, b, time, hermite);
    for (int p = 0; p < 3; ++p) shape.params[p] = b.key.shape.params[p];
  }
  Key *added = envelope.create(time, value);
  envelope.set_shape(added, shape);
  if (is_hermite(span_type)) {
    set_in_slope(envelope, added, slope, hermite);
    set_out_slope(envelope, added, slope, hermite);
  }
  // The Hermite keys on either side keep their slopes on both sides: in a
  // Hermite-family span those of the cubic it splits.
  if (is_hermite(a.key.shape.span_type)) {
    if (a.before) set_in_slope(envelope, start, in_slope(a, hermite), hermite);
    set_out_slope(envelope, start, out_slope(a, hermite), hermite);
  }
  if (is_hermite(span_type)) {
    set_in_slope(envelope, end, in_slope(b, hermite), hermite);
    if (b.after) set_out_slope(envelope, end, out_slope(b, hermite), hermite);
  }
  if (span_type == scene::kSpanTcb) fit_tcb_key(envelope, added, original, hermite);
}

// Adds a key at `time` to `envelope`, which has none there. `before` is a
// key at or before `time`, or null: where the search for the span starts
// (times come in increasing order). Returns false when the time is passed
// over.
bool add_key(Envelope &envelope, double time, Key *&before, const scene::CurveSampler &original,
             HermiteTangents hermite) {
  if (envelope.size() == 0) {
    envelope.create(time, 0.0);  // a curve without keys is 0 throughout, as is one key of 0
    return true;
  }
  if (time > envelope.last()->time || time < envelope.first()->time)
    return add_beyond_ends(envelope, time, hermite);
  if (before == nullptr) before = envelope.first();
  while (before->next != nullptr && before->next->time < time) before = before->next;
  add_between(envelope, before, before->next, time, original, hermite);
  return true;
}

// The largest difference between two curves, sampled over both ranges and
// at every key of either.
void measure_change(const scene::CurveSampler &before, const scene::CurveSampler &after, double fps,
                    int channel, MissingKeys &result) {
  if (after.size() == 0) return;
  std::vector<double> times;
  for (const auto *curve : {&before, &after}) {
    for (const CurveKey &key : curve->keys()) times.push_back(key.time);
  }
  const double from = *std::min_element(times.begin(), times.end());
  const double to = *std::max_element(times.begin(), times.end());
  const double steps = std::ceil((to - from) * fps * kChangeSamplesPerFrame);
  for (double i = 1; i < steps; ++i) times.push_back(from + (to - from) * (i / steps));
  std::sort(times.begin(), times.end());
  for (const double time : times) {
    const double change = std::fabs(after.at(time) - before.at(time));
    if (change > result.largest_change) {
      result.largest_change = change;
      result.largest_change_time = time;
      result.largest_change_channel = channel;
    }
  }
}

}  // namespace

MissingKeys add_missing_keys(scene::Item &item, double fps, HermiteTangents hermite) {
  MissingKeys result;
  std::array<Envelope *, 3> channels{};
  for (int c = 0; c < 3; ++c) {
    channels[c] = item.envelope(kRotationChannelNames[c]);
    if (channels[c] == nullptr) return result;  // an item without all three has no triples to make
  }
  const RotationCurves original(item, hermite);
  const std::vector<double> times = original.key_times();
  std::array<bool, 3> changed{};
  for (int c = 0; c < 3; ++c) {
    Key *before = nullptr;
    for (const double time : times) {
      if (channels[c]->find(time) != nullptr) continue;
      if (add_key(*channels[c], time, before, original.channel(c), hermite)) {
        ++result.added;
        changed[c] = true;
      } else {
        ++result.not_added;
      }
    }
  }
  for (int c = 0; c < 3; ++c) {
    if (changed[c])
      measure_change(original.channel(c), scene::CurveSampler(*channels[c], hermite), fps, c, result);
  }
  return result;
}

}  // namespace motion
