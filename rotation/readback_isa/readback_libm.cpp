// read_back_canonical where the module is built without a vector library:
// the same lanes, two to a vector, each lane's sine, cosine, arcsine and
// arctangent taken from the C library one value at a time, as read_angles
// and build_frame do. Any processor the compiler targets.
#include <cmath>

#include "rotation/canonical_readback.h"
#include "rotation/readback_lanes.h"

namespace KeyFrame {
namespace {

struct LibmLanes {
  static constexpr int kWidth = 2;
  using Vec = double __attribute__((vector_size(16)));
  // One value at a time: no lane depends on another.
  static constexpr double kQuickSincosLimit = 0.0;
  static constexpr double kHugeSincosArgument = 0.0;
  static void sincos(Vec x, Vec &s, Vec &c) {
    for (int j = 0; j < kWidth; ++j) {
      s[j] = std::sin(x[j]);
      c[j] = std::cos(x[j]);
    }
  }
  static Vec asin(Vec x) {
    for (int j = 0; j < kWidth; ++j) x[j] = std::asin(x[j]);
    return x;
  }
  static Vec atan2(Vec y, Vec x) {
    for (int j = 0; j < kWidth; ++j) y[j] = std::atan2(y[j], x[j]);
    return y;
  }
  static Vec sqrt(Vec x) {
    for (int j = 0; j < kWidth; ++j) x[j] = std::sqrt(x[j]);
    return x;
  }
  template <typename Mask>
  static bool all(Mask mask) {
    return mask[0] != 0 && mask[1] != 0;
  }
};

void read_back_libm(const AngleTriple *keys, AngleTriple *canonical, std::size_t count) {
  lanes::read_back_keys<LibmLanes>(keys, canonical, count);
}

void sincos_libm(const double *x, double *sine, double *cosine, std::size_t count) {
  lanes::sincos_values<LibmLanes>(x, sine, cosine, count);
}

void asin_libm(const double *x, double *out, std::size_t count) {
  lanes::asin_values<LibmLanes>(x, out, count);
}

void atan2_libm(const double *y, const double *x, double *out, std::size_t count) {
  lanes::atan2_values<LibmLanes>(y, x, out, count);
}

const ReadBackVariant kOnlyVariant{"libm", read_back_libm, sincos_libm, asin_libm, atan2_libm};

}  // namespace

const ReadBackVariant *runnable_read_back_variants(std::size_t &count) {
  count = 1;
  return &kOnlyVariant;
}

void read_back_canonical(const AngleTriple *keys, AngleTriple *canonical, std::size_t count) {
  read_back_libm(keys, canonical, count);
}

}  // namespace KeyFrame
