#include "host/envelope_evaluation.h"

#include <cmath>

namespace host {
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

// The 2D Bezier span from `start` to `end` at `time`, its control points as
// the reference takes them.
double bezier_2d_value(const CurveKey &start, const CurveKey &end, double time) {
  const double span = end.time - start.time;
  double x1 = 0.0, y1 = 0.0;
  if (start.shape.span_type == kSpanBezier2D) {
    x1 = start.time + start.shape.params[2];
    y1 = start.value + start.shape.params[3];
  } else {
    x1 = start.time + span / 3.0;
    y1 = start.value + start.shape.params[4] / 3.0;
  }
  const double x2 = end.time + end.shape.params[0];
  const double y2 = end.value + end.shape.params[1];
  double low = 0.0, high = 1.0, s = 0.5;
  for (int step = 0; step < kBezierBisections; ++step) {
    s = 0.5 * (low + high);
    const double x = bezier(s, start.time, x1, x2, end.time);
    if (std::fabs(x - time) <= kBezierTimeTolerance) break;
    if (x > time) {
      high = s;
    } else {
      low = s;
    }
  }
  return bezier(s, start.value, y1, y2, end.value);
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
  const double out = out_tangent(before_start, start, end, hermite);
  const double in = in_tangent(start, end, after_end, hermite);
  const double u2 = u * u, u3 = u2 * u;
  const double h01 = 3 * u2 - 2 * u3;
  const double h00 = 1 - h01;
  const double h10 = u3 - 2 * u2 + u;
  const double h11 = u3 - u2;
  return h00 * start.value + h01 * end.value + h10 * out + h11 * in;
}

double evaluate_envelope(const Envelope &envelope, double time, HermiteTangents hermite) {
  CurveSettings settings;
  settings.pre_behavior = envelope.pre_behavior;
  settings.post_behavior = envelope.post_behavior;
  settings.hermite = hermite;
  return evaluate_curve(EnvelopeKeys(envelope), settings, time);
}

}  // namespace host
