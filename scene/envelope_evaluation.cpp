#include "scene/envelope_evaluation.h"

#include <cmath>

namespace scene {
namespace {

// The reference divides a 2D Bezier handle's value offset by its time
// offset; a time offset this small multiplies by its inverse instead.
constexpr double kSmallHandleTime = 1e-5;

double over_handle_time(double value_offset, double time_offset) {
  return std::fabs(time_offset) <= kSmallHandleTime ? value_offset * (1.0 / kSmallHandleTime)
                                                    : value_offset / time_offset;
}

// Kochanek-Bartels weights of a TCB key.
struct TcbWeights {
  double a, b, c, d;  // out: a·d⁻ + b·d⁺; in: c·d⁻ + d·d⁺
};

TcbWeights tcb_weights(const KeyShape &shape) {
  const double t = shape.params[0], c = shape.params[1], b = shape.params[2];
  return TcbWeights{(1 - t) * (1 + c) * (1 + b), (1 - t) * (1 - c) * (1 - b), (1 - t) * (1 - c) * (1 + b),
                    (1 - t) * (1 + c) * (1 - b)};
}

}  // namespace

double out_tangent(const CurveKey *before, const CurveKey &key, const CurveKey &after,
                   HermiteTangents hermite) {
  const double span = after.time - key.time;
  const double rise = after.value - key.value;
  const KeyShape &shape = key.shape;
  switch (shape.span_type) {
    case kSpanTcb:
      if (before == nullptr) return tcb_weights(shape).b * rise;
      return span / (after.time - before->time) *
             (tcb_weights(shape).a * (key.value - before->value) + tcb_weights(shape).b * rise);
    case kSpanLinear:
      if (before == nullptr) return rise;
      return span / (after.time - before->time) * (after.value - before->value);
    case kSpanHermite:
    case kSpanBezier1D:
      if (before == nullptr || hermite == HermiteTangents::as_stored) return shape.params[4];
      return shape.params[4] * span / (after.time - before->time);
    case kSpanBezier2D: return over_handle_time(shape.params[3], shape.params[2]) * span;
    case kSpanStepped:
    default: return 0.0;
  }
}

double in_tangent(const CurveKey &before, const CurveKey &key, const CurveKey *after,
                  HermiteTangents hermite) {
  const double span = key.time - before.time;
  const double fall = key.value - before.value;
  const KeyShape &shape = key.shape;
  switch (shape.span_type) {
    case kSpanTcb:
      if (after == nullptr) return tcb_weights(shape).c * fall;
      return span / (after->time - before.time) *
             (tcb_weights(shape).c * fall + tcb_weights(shape).d * (after->value - key.value));
    case kSpanLinear:
      if (after == nullptr) return fall;
      return span / (after->time - before.time) * (after->value - before.value);
    case kSpanHermite:
    case kSpanBezier1D:
      if (after == nullptr || hermite == HermiteTangents::as_stored) return shape.params[3];
      return shape.params[3] * span / (after->time - before.time);
    case kSpanBezier2D: return over_handle_time(shape.params[1], shape.params[0]) * span;
    case kSpanStepped:
    default: return 0.0;
  }
}

namespace {

double bezier(double s, double a, double b, double c, double d) {
  const double r = 1.0 - s;
  return r * r * r * a + 3 * r * r * s * b + 3 * r * s * s * c + s * s * s * d;
}

}  // namespace

BezierControls bezier_2d_controls(const CurveKey &start, const CurveKey &end) {
  BezierControls controls;
  controls.time[0] = start.time;
  controls.value[0] = start.value;
  if (start.shape.span_type == kSpanBezier2D) {
    controls.time[1] = start.time + start.shape.params[2];
    controls.value[1] = start.value + start.shape.params[3];
  } else {
    controls.time[1] = start.time + (end.time - start.time) / 3.0;
    controls.value[1] = start.value + start.shape.params[4] / 3.0;
  }
  controls.time[2] = end.time + end.shape.params[0];
  controls.value[2] = end.value + end.shape.params[1];
  controls.time[3] = end.time;
  controls.value[3] = end.value;
  return controls;
}

double bezier_point(double s, const double (&points)[4]) {
  return bezier(s, points[0], points[1], points[2], points[3]);
}

namespace {

// The 2D Bezier span from `start` to `end` at `time`, found by the
// reference's bisection.
double bezier_2d_value(const CurveKey &start, const CurveKey &end, double time) {
  const BezierControls c = bezier_2d_controls(start, end);
  double low = 0.0, high = 1.0, s = 0.5;
  for (int step = 0; step < kBezierBisections; ++step) {
    s = 0.5 * (low + high);
    const double x = bezier_point(s, c.time);
    if (std::fabs(x - time) <= kBezierTimeTolerance) break;
    if (x > time) {
      high = s;
    } else {
      low = s;
    }
  }
  return bezier_point(s, c.value);
}

}  // namespace

double span_value(const CurveKey *before_start, const CurveKey &start, const CurveKey &end,
                  const CurveKey *after_end, double time, HermiteTangents hermite) {
  const double u = (time - start.time) / (end.time - start.time);
  switch (end.shape.span_type) {
    case kSpanLinear: return start.value + u * (end.value - start.value);
    case kSpanStepped: return start.value;
    case kSpanBezier2D: return bezier_2d_value(start, end, time);
    default: break;
  }
  return hermite_span_value(start, end, out_tangent(before_start, start, end, hermite),
                            in_tangent(start, end, after_end, hermite), time);
}

double hermite_span_value(const CurveKey &start, const CurveKey &end, double out, double in, double time) {
  const double u = (time - start.time) / (end.time - start.time);
  const double u2 = u * u, u3 = u2 * u;
  const double h01 = 3 * u2 - 2 * u3;
  const double h00 = 1 - h01;
  const double h10 = u3 - 2 * u2 + u;
  const double h11 = u3 - u2;
  return h00 * start.value + h01 * end.value + h10 * out + h11 * in;
}

CurveSampler::CurveSampler(const Envelope &envelope, HermiteTangents hermite) {
  keys_.reserve(envelope.size());
  for (const Key *key = envelope.first(); key != nullptr; key = key->next) {
    keys_.push_back(CurveKey{key->time, key->value, envelope.shape(key)});
  }
  settings_.pre_behavior = envelope.pre_behavior;
  settings_.post_behavior = envelope.post_behavior;
  settings_.hermite = hermite;
}

double CurveSampler::at(double time) const {
  const std::size_t n = keys_.size();
  if (n < 2 || time < keys_.front().time || time > keys_.back().time) {
    return evaluate_curve(*this, settings_, time);
  }
  // On from the span found last while the time lies beyond it; a time
  // before it starts the search afresh.
  if (time < keys_[span_].time) span_ = detail::span_at(*this, time);
  while (span_ + 2 < n && keys_[span_ + 1].time <= time) ++span_;
  const CurveKey &start = keys_[span_];
  if (time == start.time) return start.value;
  const CurveKey &end = keys_[span_ + 1];
  if (time == end.time) return end.value;
  const CurveKey *before_start = span_ > 0 ? &keys_[span_ - 1] : nullptr;
  const CurveKey *after_end = span_ + 2 < n ? &keys_[span_ + 2] : nullptr;
  if (!is_hermite_span(end.shape.span_type)) {
    return span_value(before_start, start, end, after_end, time, settings_.hermite);
  }
  if (tangent_span_ != span_) {
    out_ = out_tangent(before_start, start, end, settings_.hermite);
    in_ = in_tangent(start, end, after_end, settings_.hermite);
    tangent_span_ = span_;
  }
  return hermite_span_value(start, end, out_, in_, time);
}

double evaluate_envelope(const Envelope &envelope, double time, HermiteTangents hermite) {
  CurveSettings settings;
  settings.pre_behavior = envelope.pre_behavior;
  settings.post_behavior = envelope.post_behavior;
  settings.hermite = hermite;
  return evaluate_curve(EnvelopeKeys(envelope), settings, time);
}

}  // namespace scene
