#include "motion/pitch_slopes.h"

#include "scene/envelope_evaluation.h"

namespace motion {
namespace {

void negate(double &value) { value = value == 0.0 ? 0.0 : -value; }

}  // namespace

scene::KeyShape reflected_pitch_shape(const scene::KeyShape &shape) {
  scene::KeyShape reflected = shape;
  double *p = reflected.params;  // p[0] is p1
  switch (shape.span_type) {
    case scene::kSpanTcb:
    case scene::kSpanHermite:
    case scene::kSpanBezier1D:
    case scene::kSpanLinear:
      negate(p[3]);
      negate(p[4]);
      break;
    case scene::kSpanBezier2D:
      negate(p[1]);
      negate(p[3]);
      negate(p[4]);
      break;
    default: break;  // stepped (and types no file should hold): nothing is a slope
  }
  return reflected;
}

std::size_t reflect_pitch_slopes(scene::Envelope &pitch, const std::vector<double> &times) {
  std::size_t changed = 0;
  for (const double time : times) {
    const scene::Key *key = pitch.find(time);
    if (key == nullptr) continue;
    const scene::KeyShape shape = pitch.shape(key);
    const scene::KeyShape reflected = reflected_pitch_shape(shape);
    bool differs = false;
    for (int i = 0; i < 6; ++i) differs = differs || reflected.params[i] != shape.params[i];
    if (!differs) continue;
    pitch.set_shape(key, reflected);
    ++changed;
  }
  return changed;
}

}  // namespace motion
