// read_back_canonical eight keys to a vector, for processors with AVX-512F.
// Compiled with -mavx512f; called only where the processor has it.
#include <immintrin.h>
#include <sleef.h>

#include "rotation/readback_isa/readback_variants.h"
#include "rotation/readback_lanes.h"

namespace KeyFrame {
namespace {

struct Avx512 {
  static constexpr int kWidth = 8;
  using Vec = double __attribute__((vector_size(64)));
  // Where SLEEF's double-precision sine and cosine switch their reduction of
  // a whole vector (its TRIGRANGEMAX2 and TRIGRANGEMAX); the tests check that
  // no lane depends on another across either.
  static constexpr double kQuickSincosLimit = 15.0;
  static constexpr double kHugeSincosArgument = 1e14;
  static void sincos(Vec x, Vec &s, Vec &c) {
    const Sleef___m512d_2 r = Sleef_sincosd8_u10avx512f(x);
    s = r.x;
    c = r.y;
  }
  static Vec asin(Vec x) { return Sleef_asind8_u10avx512f(x); }
  static Vec atan2(Vec y, Vec x) { return Sleef_atan2d8_u10avx512f(y, x); }
  // The zero-masked form: GCC 12 warns of an uninitialised value inside the
  // plain one's expansion.
  static Vec sqrt(Vec x) { return _mm512_maskz_sqrt_pd(static_cast<__mmask8>(0xff), x); }
  template <typename Mask>
  static bool all(Mask mask) {
    const __m512i bits = reinterpret_cast<__m512i>(mask);
    return _mm512_test_epi64_mask(bits, bits) == 0xff;
  }
};

}  // namespace

void read_back_avx512(const AngleTriple *keys, AngleTriple *canonical, std::size_t count) {
  lanes::read_back_keys<Avx512>(keys, canonical, count);
}

void sincos_avx512(const double *x, double *sine, double *cosine, std::size_t count) {
  lanes::sincos_values<Avx512>(x, sine, cosine, count);
}

void asin_avx512(const double *x, double *out, std::size_t count) {
  lanes::asin_values<Avx512>(x, out, count);
}

void atan2_avx512(const double *y, const double *x, double *out, std::size_t count) {
  lanes::atan2_values<Avx512>(y, x, out, count);
}

}  // namespace KeyFrame
