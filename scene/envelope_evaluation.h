#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

#include "scene/envelope.h"

// How LightWave evaluates an envelope between and beyond its keys: the span
// shapes (TCB, Hermite, 1D Bezier, linear, stepped, 2D Bezier), the tangents
// at the first and last keys, and the pre- and post-behaviours.
//
// Keys k = 0 ... n-1 have time t_k (seconds) and value v_k; span k runs from
// key k to key k+1, over Δ_k = t_{k+1} - t_k, and is shaped by key k+1's
// span type. A span's cubic is written in u = (t - t_k)/Δ_k, so its tangents
// are dv/du (a slope per second is the tangent divided by Δ_k).
namespace scene {

enum SpanType : int {
  kSpanTcb = 0,
  kSpanHermite = 1,
  kSpanBezier1D = 2,  // evaluated as Hermite
  kSpanLinear = 3,
  kSpanStepped = 4,
  kSpanBezier2D = 5,
};

enum Behavior : int {
  kBehaviorReset = 0,
  kBehaviorConstant = 1,
  kBehaviorRepeat = 2,
  kBehaviorOscillate = 3,
  kBehaviorOffsetRepeat = 4,
  kBehaviorLinear = 5,
};

// What a Hermite or 1D Bezier key's stored tangents p4 (in) and p5 (out)
// mean. The published reference scales them by the key spacing, Δ/w with w
// the time from the key before to the key after; files converted from TCB by
// LightWave itself read as smooth only unscaled. Which one LightWave uses is
// open; the reference is the default.
enum class HermiteTangents {
  scaled_by_spacing,
  as_stored,
};

// One key as the evaluation sees it.
struct CurveKey {
  double time = 0.0;
  double value = 0.0;
  KeyShape shape;
};

// The keys of a curve in time order, read through `key(i)` for 0 <= i < n.
// `Keys` is anything with `std::size_t size() const` and
// `CurveKey operator[](std::size_t) const`.
struct CurveSettings {
  int pre_behavior = kBehaviorConstant;
  int post_behavior = kBehaviorConstant;
  HermiteTangents hermite = HermiteTangents::scaled_by_spacing;
};

// The tangent leaving key k into span k (dv/du of span k at u = 0) and the
// one arriving at key k from span k-1 (dv/du of span k-1 at u = 1), by key
// k's own type; `before` and `after` are the keys k-1 and k+1, null at the
// ends of the curve.
double out_tangent(const CurveKey *before, const CurveKey &key, const CurveKey &after,
                   HermiteTangents hermite);
double in_tangent(const CurveKey &before, const CurveKey &key, const CurveKey *after,
                  HermiteTangents hermite);

// Whether the span ending at a key of `span_type` is a Hermite curve through
// its ends with the tangents above (TCB, Hermite, 1D Bezier).
inline bool is_hermite_span(int span_type) {
  return span_type != kSpanLinear && span_type != kSpanStepped && span_type != kSpanBezier2D;
}

// The Hermite span from `start` to `end` at `time` with the tangents `out`
// (of `start`) and `in` (of `end`), as span_value computes it.
double hermite_span_value(const CurveKey &start, const CurveKey &end, double out, double in, double time);

// The value of span k at `time` (t_k < time < t_{k+1}); `before_start` and
// `after_end` are keys k-1 and k+2, null where the curve has none.
double span_value(const CurveKey *before_start, const CurveKey &start, const CurveKey &end,
                  const CurveKey *after_end, double time, HermiteTangents hermite);

// The control points of the 2D Bezier span from `start` to `end` (end of
// type kSpanBezier2D) in the (time, value) plane, as the reference takes
// them: the out-handle of `start` if it is a 2D Bezier key, else a third of
// the span on with its stored p5 over 3; the in-handle of `end`.
struct BezierControls {
  double time[4];  // seconds
  double value[4];
};
BezierControls bezier_2d_controls(const CurveKey &start, const CurveKey &end);
// The cubic Bezier of `points` at parameter s in [0, 1].
double bezier_point(double s, const double (&points)[4]);

// The value of the curve of `keys` at `time`, behaviours included.
// `Keys` has `std::size_t size() const` and `CurveKey operator[](std::size_t)
// const`, keys in increasing time.
template <typename Keys>
double evaluate_curve(const Keys &keys, const CurveSettings &settings, double time);

// An envelope's keys, as evaluate_curve reads them.
class EnvelopeKeys {
 public:
  explicit EnvelopeKeys(const Envelope &envelope) : envelope_(envelope) {}
  std::size_t size() const { return envelope_.size(); }
  CurveKey operator[](std::size_t i) const {
    const Key *key = envelope_.key_at(i);
    return CurveKey{key->time, key->value, envelope_.shape(key)};
  }
  double time(std::size_t i) const { return envelope_.key_at(i)->time; }

 private:
  const Envelope &envelope_;
};

// A curve's keys copied out of an envelope, for evaluating it at many times:
// a walk through increasing times finds each span in O(1).
class CurveSampler {
 public:
  CurveSampler(const Envelope &envelope, HermiteTangents hermite);

  double at(double time) const;
  std::size_t size() const { return keys_.size(); }
  CurveKey operator[](std::size_t i) const { return keys_[i]; }
  const std::vector<CurveKey> &keys() const { return keys_; }

 private:
  std::vector<CurveKey> keys_;
  CurveSettings settings_;
  mutable std::size_t span_ = 0;  // where the last time in range was found
  // The tangents of the Hermite span last evaluated: a span is sampled many
  // times over.
  mutable std::size_t tangent_span_ = static_cast<std::size_t>(-1);
  mutable double out_ = 0.0, in_ = 0.0;
};

// The value of `envelope` at `time`, as Layout evaluates it: what the host
// shows as a channel's current value.
double evaluate_envelope(const Envelope &envelope, double time,
                         HermiteTangents hermite = HermiteTangents::scaled_by_spacing);

// The 2D Bezier span's bisection, as the reference does it: the parameter
// is halved until the curve's time is within this many seconds of the time
// asked for (at most kBezierBisections times).
constexpr double kBezierTimeTolerance = 0.0001;
constexpr int kBezierBisections = 60;

namespace detail {

// The time of key i: an envelope's without making the whole key.
template <typename Keys>
double key_time(const Keys &keys, std::size_t i) {
  return keys[i].time;
}
inline double key_time(const EnvelopeKeys &keys, std::size_t i) { return keys.time(i); }

// The index of the last key at or before `time` (t_0 <= time <= t_{n-1}).
template <typename Keys>
std::size_t span_at(const Keys &keys, double time) {
  std::size_t low = 0, high = keys.size() - 1;
  while (high - low > 1) {
    const std::size_t middle = low + (high - low) / 2;
    if (key_time(keys, middle) <= time) {
      low = middle;
    } else {
      high = middle;
    }
  }
  return low;
}

// The curve between its first and last keys.
template <typename Keys>
double value_in_range(const Keys &keys, HermiteTangents hermite, double time) {
  const std::size_t k = span_at(keys, time);
  const CurveKey start = keys[k];
  if (time == start.time) return start.value;
  const CurveKey end = keys[k + 1];
  if (time == end.time) return end.value;
  const bool has_before = k > 0, has_after = k + 2 < keys.size();
  const CurveKey before = has_before ? keys[k - 1] : CurveKey{};
  const CurveKey after = has_after ? keys[k + 2] : CurveKey{};
  return span_value(has_before ? &before : nullptr, start, end, has_after ? &after : nullptr, time, hermite);
}

}  // namespace detail

template <typename Keys>
double evaluate_curve(const Keys &keys, const CurveSettings &settings, double time) {
  const std::size_t n = keys.size();
  if (n == 0) return 0.0;
  const CurveKey first = keys[0];
  if (n == 1) return first.value;
  const CurveKey last = keys[n - 1];
  if (time >= first.time && time <= last.time) return detail::value_in_range(keys, settings.hermite, time);

  const bool before = time < first.time;
  const int behavior = before ? settings.pre_behavior : settings.post_behavior;
  switch (behavior) {
    case kBehaviorReset: return 0.0;
    case kBehaviorLinear: {
      // The end key's own tangent, by its type, as a slope per second.
      const CurveKey second = keys[1];
      const CurveKey second_last = keys[n - 2];
      if (before) {
        const double out = out_tangent(nullptr, first, second, settings.hermite);
        return first.value + out / (second.time - first.time) * (time - first.time);
      }
      const double in = in_tangent(second_last, last, nullptr, settings.hermite);
      return last.value + in / (last.time - second_last.time) * (time - last.time);
    }
    case kBehaviorRepeat:
    case kBehaviorOscillate:
    case kBehaviorOffsetRepeat: {
      const double period = last.time - first.time;
      const double cycles = std::floor((time - first.time) / period);
      double local = time - cycles * period;
      if (local < first.time) local = first.time;  // rounding at the very end of a cycle
      if (local > last.time) local = last.time;
      const bool odd = std::fmod(std::fabs(cycles), 2.0) == 1.0;
      if (behavior == kBehaviorOscillate && odd) local = first.time + last.time - local;
      const double value = detail::value_in_range(keys, settings.hermite, local);
      return behavior == kBehaviorOffsetRepeat ? value + cycles * (last.value - first.value) : value;
    }
    case kBehaviorConstant:
    default: return before ? first.value : last.value;
  }
}

}  // namespace scene
