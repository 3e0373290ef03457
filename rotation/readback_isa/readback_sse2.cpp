// read_back_canonical two keys to a vector on any x86-64 processor. SLEEF's
// two-lane entry points pick its SSE2 or SSE4.1 code themselves.
#include <emmintrin.h>
#include <sleef.h>

#include "rotation/readback_isa/readback_variants.h"
#include "rotation/readback_lanes.h"

namespace KeyFrame {
namespace {

struct Sse2 {
  static constexpr int kWidth = 2;
  using Vec = double __attribute__((vector_size(16)));
  // Where SLEEF's double-precision sine and cosine switch their reduction of
  // a whole vector (its TRIGRANGEMAX2 and TRIGRANGEMAX); the tests check that
  // no lane depends on another across either.
  static constexpr double kQuickSincosLimit = 15.0;
  static constexpr double kHugeSincosArgument = 1e14;
  static void sincos(Vec x, Vec &s, Vec &c) {
    const Sleef___m128d_2 r = Sleef_sincosd2_u10(x);
    s = r.x;
    c = r.y;
  }
  static Vec asin(Vec x) { return Sleef_asind2_u10(x); }
  static Vec atan2(Vec y, Vec x) { return Sleef_atan2d2_u10(y, x); }
  static Vec sqrt(Vec x) { return _mm_sqrt_pd(x); }
  template <typename Mask>
  static bool all(Mask mask) {
    return _mm_movemask_pd(reinterpret_cast<__m128d>(mask)) == 0x3;
  }
};

}  // namespace

void read_back_sse2(const AngleTriple *keys, AngleTriple *canonical, std::size_t count) {
  lanes::read_back_keys<Sse2>(keys, canonical, count);
}

void sincos_sse2(const double *x, double *sine, double *cosine, std::size_t count) {
  lanes::sincos_values<Sse2>(x, sine, cosine, count);
}

void asin_sse2(const double *x, double *out, std::size_t count) { lanes::asin_values<Sse2>(x, out, count); }

void atan2_sse2(const double *y, const double *x, double *out, std::size_t count) {
  lanes::atan2_values<Sse2>(y, x, out, count);
}

}  // namespace KeyFrame
