// The sine, cosine, arcsine and arctangent of every read-back variant this
// processor runs, against the C library's long-double functions (64-bit
// significands) over their whole input range: within 1 ulp of the exact
// value wherever the C library's double functions are, the C library's own
// results at special values (zeros and their signs, infinities, NaN, the
// quarter turns of atan2), and each value's result the same whatever values
// share its vector.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <vector>

#include "rotation/canonical_readback.h"
#include "rotation_test_support.h"
#include "sweep_size.h"

namespace KeyFrame {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<ReadBackVariant> variants() {
  std::size_t count = 0;
  const ReadBackVariant *first = runnable_read_back_variants(count);
  return std::vector<ReadBackVariant>(first, first + count);
}

// The error of `got` in ulps of the exact value `exact` (rounded to double
// for its ulp). NaN and infinity must be met exactly.
double ulps(double got, long double exact) {
  const double nearest = static_cast<double>(exact);
  if (std::isnan(nearest) || std::isinf(nearest))
    return got == nearest || (std::isnan(got) && std::isnan(nearest)) ? 0 : 1e9;
  const double magnitude = std::fabs(nearest);
  const double ulp = magnitude < DBL_MIN ? std::numeric_limits<double>::denorm_min()
                                         : std::nextafter(magnitude, kInf) - magnitude;
  return static_cast<double>(std::fabs(static_cast<long double>(got) - exact) / ulp);
}

bool same_bits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

// Within 1 ulp, with room for the long-double reference's own rounding.
constexpr double kMaxUlps = 1.001;

// Arguments over the whole range: uniform within a few turns, log-uniform up
// to the largest doubles, whole multiples of π/2 and their neighbours (tiny
// sines and cosines), subnormals, zeros, infinities and NaN.
double trig_argument(test::AngleSource &source) {
  switch (source.pick(6)) {
    case 0: return source.uniform(-15.0, 15.0);
    case 1: return source.sign() * std::pow(10.0, source.uniform(-310.0, 308.3));
    case 2: {
      double x = (source.pick(20001) - 10000) * kHalfPi;
      for (int k = source.pick(5) - 2; k != 0; k += k > 0 ? -1 : 1)
        x = std::nextafter(x, k > 0 ? kInf : -kInf);
      return x;
    }
    case 3: return source.sign() * std::pow(10.0, source.uniform(1.0, 15.0));
    case 4: {
      const double special[] = {0.0, -0.0, kInf, -kInf, kNaN, DBL_MIN, -DBL_TRUE_MIN, DBL_MAX, 15.0, 1e14};
      return special[source.pick(10)];
    }
    default: return source.uniform(-1e4, 1e4);
  }
}

double asin_argument(test::AngleSource &source) {
  switch (source.pick(5)) {
    case 0: return source.uniform(-1.0, 1.0);
    case 1: return source.sign() * (1.0 - std::pow(10.0, source.uniform(-16.5, -1.0)));  // near ±1
    case 2: return source.sign() * std::pow(10.0, source.uniform(-310.0, 0.0));
    case 3: return source.sign() * (0.5 + source.uniform(-1e-3, 1e-3));  // the branch at 1/2
    default: {
      const double special[] = {0.0, -0.0, 1.0, -1.0, std::nextafter(1.0, 2.0), -2.0, kInf, kNaN};
      return special[source.pick(8)];
    }
  }
}

double atan2_argument(test::AngleSource &source) {
  switch (source.pick(4)) {
    case 0: return source.uniform(-2.0, 2.0);
    case 1: return source.sign() * std::pow(10.0, source.uniform(-310.0, 308.0));
    case 2: {
      const double special[] = {0.0, -0.0, kInf, -kInf, kNaN, 1.0, -1.0};
      return special[source.pick(7)];
    }
    default: return source.sign() * std::pow(10.0, source.uniform(-3.0, 3.0));
  }
}

TEST(ElementaryFunctions, SineAndCosineWithinOneUlpOverTheWholeRange) {
  test::AngleSource source(81);
  const int n = test::sweep_cases(400000);
  std::vector<double> x(n), s(n), c(n);
  for (double &v : x) v = trig_argument(source);
  for (const ReadBackVariant &variant : variants()) {
    variant.sincos(x.data(), s.data(), c.data(), x.size());
    double worst = 0.0;
    for (int i = 0; i < n; ++i) {
      const long double arg = x[i];
      const double es = ulps(s[i], std::sin(arg)), ec = ulps(c[i], std::cos(arg));
      worst = std::max({worst, es, ec});
      ASSERT_LE(es, kMaxUlps) << variant.name << " sin(" << x[i] << ") = " << s[i];
      ASSERT_LE(ec, kMaxUlps) << variant.name << " cos(" << x[i] << ") = " << c[i];
      if (x[i] == 0.0) {
        ASSERT_TRUE(same_bits(s[i], x[i])) << variant.name << ": the sine of a zero keeps its sign";
      }
    }
    std::printf("[ ulps     ] %s sine and cosine: largest error %.3f ulp over %d arguments\n", variant.name,
                worst, n);
  }
}

TEST(ElementaryFunctions, ArcsineWithinOneUlpAndNaNOutsideItsDomain) {
  test::AngleSource source(82);
  const int n = test::sweep_cases(400000);
  std::vector<double> x(n), out(n);
  for (double &v : x) v = asin_argument(source);
  for (const ReadBackVariant &variant : variants()) {
    variant.asin(x.data(), out.data(), x.size());
    double worst = 0.0;
    for (int i = 0; i < n; ++i) {
      if (!(std::fabs(x[i]) <= 1.0)) {
        ASSERT_TRUE(std::isnan(out[i])) << variant.name << " asin(" << x[i] << ")";
        continue;
      }
      const long double exact = std::asin(static_cast<long double>(x[i]));
      const double e = ulps(out[i], exact);
      worst = std::max(worst, e);
      // Where the C library's own arcsine is further off (mingw-w64's, by
      // about 4 ulp next to ±1), so may the variant that calls it be.
      const double allowed = std::max(kMaxUlps, ulps(std::asin(x[i]), exact));
      ASSERT_LE(e, allowed) << variant.name << " asin(" << x[i] << ") = " << out[i] << ", the C library's "
                            << std::asin(x[i]);
      if (x[i] == 0.0) {
        ASSERT_TRUE(same_bits(out[i], x[i])) << variant.name << ": the arcsine of a zero keeps its sign";
      }
    }
    std::printf("[ ulps     ] %s arcsine: largest error %.3f ulp over %d arguments\n", variant.name, worst,
                n);
  }
}

TEST(ElementaryFunctions, ArctangentWithinOneUlpAndTheCLibrarysSpecialValues) {
  test::AngleSource source(83);
  const int n = test::sweep_cases(400000);
  std::vector<double> y(n), x(n), out(n);
  for (int i = 0; i < n; ++i) {
    y[i] = atan2_argument(source);
    x[i] = atan2_argument(source);
  }
  for (const ReadBackVariant &variant : variants()) {
    variant.atan2(y.data(), x.data(), out.data(), x.size());
    double worst = 0.0;
    for (int i = 0; i < n; ++i) {
      const double libm = std::atan2(y[i], x[i]);
      const bool special = y[i] == 0.0 || x[i] == 0.0 || !std::isfinite(y[i]) || !std::isfinite(x[i]);
      if (special) {
        ASSERT_TRUE(same_bits(out[i], libm)) << variant.name << " atan2(" << y[i] << ", " << x[i]
                                             << ") = " << out[i] << ", the C library's " << libm;
        continue;
      }
      const double e =
          ulps(out[i], std::atan2(static_cast<long double>(y[i]), static_cast<long double>(x[i])));
      // Below the smallest normal the exact quotient is subnormal: the C
      // library's own result is off by up to an ulp of the smallest ones.
      if (std::fabs(libm) < DBL_MIN) continue;
      worst = std::max(worst, e);
      ASSERT_LE(e, kMaxUlps) << variant.name << " atan2(" << y[i] << ", " << x[i] << ") = " << out[i];
    }
    std::printf("[ ulps     ] %s arctangent: largest error %.3f ulp over %d arguments\n", variant.name, worst,
                n);
  }
}

// A value's result is the same bits alone and in any vector: the arguments
// above in one call, and again each on its own.
TEST(ElementaryFunctions, EveryResultDependsOnItsOwnArgumentAlone) {
  test::AngleSource source(84);
  const int n = 6000;
  std::vector<double> x(n), y(n);
  for (int i = 0; i < n; ++i) {
    x[i] = trig_argument(source);
    y[i] = atan2_argument(source);
  }
  for (const ReadBackVariant &variant : variants()) {
    std::vector<double> s(n), c(n), a(n), t(n), u(n);
    variant.sincos(x.data(), s.data(), c.data(), n);
    for (int i = 0; i < n; ++i) u[i] = std::fmod(x[i], 1.0);  // arcsine arguments within its domain
    variant.asin(u.data(), a.data(), n);
    variant.atan2(y.data(), x.data(), t.data(), n);
    for (int i = 0; i < n; ++i) {
      double s1, c1, a1, t1;
      variant.sincos(&x[i], &s1, &c1, 1);
      variant.asin(&u[i], &a1, 1);
      variant.atan2(&y[i], &x[i], &t1, 1);
      ASSERT_TRUE(same_bits(s[i], s1) && same_bits(c[i], c1))
          << variant.name << " sincos of " << x[i] << ", at " << i;
      ASSERT_TRUE(same_bits(a[i], a1)) << variant.name << " asin of " << u[i];
      ASSERT_TRUE(same_bits(t[i], t1)) << variant.name << " atan2 of " << y[i] << ", " << x[i];
    }
  }
}

}  // namespace
}  // namespace KeyFrame
