// read_back_canonical four keys to a vector, for processors with AVX2 and
// FMA. Compiled with -mavx2 -mfma; called only where the processor has both.
#include <immintrin.h>
#include <sleef.h>

#include "rotation/readback_isa/readback_variants.h"
#include "rotation/readback_lanes.h"

namespace KeyFrame {
namespace {

struct Avx2 {
  static constexpr int kWidth = 4;
  using Vec = double __attribute__((vector_size(32)));
  // Where SLEEF's double-precision sine and cosine switch their reduction of
  // a whole vector (its TRIGRANGEMAX2 and TRIGRANGEMAX); the tests check that
  // no lane depends on another across either.
  static constexpr double kQuickSincosLimit = 15.0;
  static constexpr double kHugeSincosArgument = 1e14;
  static void sincos(Vec x, Vec &s, Vec &c) {
    const Sleef___m256d_2 r = Sleef_sincosd4_u10avx2(x);
    s = r.x;
    c = r.y;
  }
  static Vec asin(Vec x) { return Sleef_asind4_u10avx2(x); }
  static Vec atan2(Vec y, Vec x) { return Sleef_atan2d4_u10avx2(y, x); }
  static Vec sqrt(Vec x) { return _mm256_sqrt_pd(x); }
  template <typename Mask>
  static bool all(Mask mask) {
    return _mm256_movemask_pd(reinterpret_cast<__m256d>(mask)) == 0xf;
  }
};

}  // namespace

void read_back_avx2(const AngleTriple *keys, AngleTriple *canonical, std::size_t count) {
  lanes::read_back_keys<Avx2>(keys, canonical, count);
}

void sincos_avx2(const double *x, double *sine, double *cosine, std::size_t count) {
  lanes::sincos_values<Avx2>(x, sine, cosine, count);
}

void asin_avx2(const double *x, double *out, std::size_t count) { lanes::asin_values<Avx2>(x, out, count); }

void atan2_avx2(const double *y, const double *x, double *out, std::size_t count) {
  lanes::atan2_values<Avx2>(y, x, out, count);
}

}  // namespace KeyFrame
