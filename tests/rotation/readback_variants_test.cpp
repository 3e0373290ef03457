// The batched read-back (read_back_canonical) in every variant this
// processor runs, against read_angles(build_frame(key)) as the scalar
// reference computes it: the known frames, lanes independent of one another,
// and a sweep of random and boundary triples that sorts every difference into
// rounding, ill-conditioning or a branch taken on the other side of its
// threshold, and prints how often each occurs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "bench/reference/reference_readback.h"
#include "boundary_triples.h"
#include "readback_spread.h"
#include "rotation/canonical_readback.h"
#include "rotation_test_support.h"
#include "support/orientation.h"
#include "sweep_size.h"

namespace KeyFrame {
namespace {

std::vector<ReadBackVariant> variants() {
  std::size_t count = 0;
  const ReadBackVariant *first = runnable_read_back_variants(count);
  return std::vector<ReadBackVariant>(first, first + count);
}

bool same_bits(const AngleTriple &a, const AngleTriple &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(ReadBackVariants, TheDefaultIsTheWidestThisProcessorRuns) {
  ASSERT_FALSE(variants().empty());
  const AngleTriple key{0.3, -1.1, 2.9};
  AngleTriple by_default, by_first;
  read_back_canonical(&key, &by_default, 1);
  variants()[0].read_back(&key, &by_first, 1);
  EXPECT_TRUE(same_bits(by_default, by_first));
}

TEST(ReadBackVariants, KnownFrames) {
  struct Case {
    AngleTriple in, out;
  };
  const Case cases[] = {
      {{0, 0, 0}, {0, 0, 0}},
      {{kPi / 6, 2 * kPi / 3, kPi / 18}, {kPi / 6, 2 * kPi / 3, kPi / 18}},
      {{kPi / 18, kPi / 9, 17 * kPi / 18}, {-17 * kPi / 18, 8 * kPi / 9, -kPi / 18}},
      {{kPi / 6, -kHalfPi, kPi / 9}, {5 * kPi / 18, -kHalfPi, 0}},
      {{kPi / 6, kHalfPi, kPi / 9}, {kPi / 18, kHalfPi, 0}},
      {{0.3, -5e-15, 2.5}, {0.3 - kPi, kPi, 2.5 - kPi}},
      {{kPi / 6 + 4 * kTwoPi, 0.3 - kTwoPi, 0.2 + kTwoPi}, {kPi / 6, 0.3, 0.2}},
  };
  for (const ReadBackVariant &variant : variants()) {
    for (const Case &c : cases) {
      AngleTriple r;
      variant.read_back(&c.in, &r, 1);
      SCOPED_TRACE(testing::Message() << variant.name << " " << c.in);
      EXPECT_NEAR(r.heading, c.out.heading, 1e-12);
      EXPECT_NEAR(r.pitch, c.out.pitch, 1e-12);
      EXPECT_NEAR(r.bank, c.out.bank, 1e-12);
    }
  }
}

// A key's result is the same bits wherever it sits in a call and however
// many keys the call has (the tails run in part-filled vectors); nothing
// past `count` is written; a call may read back in place. A damaged key
// gives a damaged result and leaves its neighbours' alone.
TEST(ReadBackVariants, EveryKeyIsReadBackOnItsOwn) {
  test::AngleSource source(31);
  std::vector<AngleTriple> keys(8000);
  // Magnitudes on both sides of the vector library's switches of its
  // reduction (15 and 1e14), mixed in vectors with ordinary ones, and values
  // whose sine is tiny, where its reductions differ in the last bit.
  const double magnitudes[] = {std::nextafter(kPi, 4.0),
                               14.999999999999998,
                               15.000000000000002,
                               2000.0,
                               9.99e13,
                               1e14,
                               1e15,
                               1e300,
                               std::numeric_limits<double>::infinity()};
  constexpr int kMagnitudes = static_cast<int>(sizeof magnitudes / sizeof magnitudes[0]);
  for (AngleTriple &k : keys) {
    k = source.triple();
    double *angle[] = {&k.heading, &k.pitch, &k.bank};
    if (source.pick(3) == 0) *angle[source.pick(3)] = source.sign() * magnitudes[source.pick(kMagnitudes)];
  }
  keys[5].pitch = std::numeric_limits<double>::quiet_NaN();
  keys[11].bank = std::numeric_limits<double>::infinity();
  // Whole multiples of π (tiny sines) beside huge keys, in every vector.
  for (int k = 0; k < 2000; ++k) {
    const double multiple = (k % 2 == 0) ? (5 + k) * kPi : 1e15;
    keys.push_back({multiple, multiple, multiple});
  }
  for (const ReadBackVariant &variant : variants()) {
    std::vector<AngleTriple> single(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) variant.read_back(&keys[i], &single[i], 1);
    EXPECT_FALSE(test::is_finite(single[5]));
    EXPECT_FALSE(test::is_finite(single[11]));
    std::vector<AngleTriple> all(keys.size());
    variant.read_back(keys.data(), all.data(), keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
      ASSERT_TRUE(same_bits(all[i], single[i])) << variant.name << " key " << i << " " << keys[i];
    }
    for (std::size_t first = 0; first < 9; ++first) {
      for (std::size_t count = 0; first + count + 1 < 40; count += 1 + count / 3) {
        const AngleTriple canary{7.0, 7.0, 7.0};
        std::vector<AngleTriple> out(keys.size(), canary);
        variant.read_back(&keys[first], &out[first], count);
        std::vector<AngleTriple> in_place(keys.begin(), keys.end());
        variant.read_back(&in_place[first], &in_place[first], count);
        for (std::size_t i = first; i < first + count; ++i) {
          ASSERT_TRUE(same_bits(out[i], single[i])) << variant.name << " key " << i << " count " << count;
          ASSERT_TRUE(same_bits(in_place[i], single[i])) << variant.name << " key " << i << " in place";
        }
        ASSERT_TRUE(same_bits(out[first + count], canary)) << variant.name << " wrote past " << count;
      }
    }
  }
}

// How one variant's results compared over the sweep.
struct Tally {
  long keys = 0;
  long rounding_only = 0;     // every angle within angle_agreement
  long ill_conditioned = 0;   // an angle beyond it, within the formulas' spread
  long boundary = 0;          // a branch taken the other way, same orientation
  long narrow_band_edge = 0;  // a branch at an edge of the narrow band taken the other way
  double largest_ill_conditioned = 0.0;
  double largest_boundary_frame = 0.0;
};

void compare_one(const AngleTriple &key, const AngleTriple &reference, const AngleTriple &ours, Tally &t) {
  ++t.keys;
  auto same = [](double a, double b, double slack) {
    return (std::isnan(a) && std::isnan(b)) || std::fabs(a - b) <= slack;
  };
  const double agree_h = test::angle_agreement(reference.heading);
  const double agree_p = test::angle_agreement(reference.pitch);
  const double agree_b = test::angle_agreement(reference.bank);
  if (same(ours.heading, reference.heading, agree_h) && same(ours.pitch, reference.pitch, agree_p) &&
      same(ours.bank, reference.bank, agree_b)) {
    ++t.rounding_only;
    return;
  }
  const test::ReadBackSpread spread = test::readback_spread(key);
  if (same(ours.heading, reference.heading, agree_h + spread.angles.heading) &&
      same(ours.pitch, reference.pitch, agree_p + spread.angles.pitch) &&
      same(ours.bank, reference.bank, agree_b + spread.angles.bank)) {
    ++t.ill_conditioned;
    t.largest_ill_conditioned =
        std::max({t.largest_ill_conditioned, std::fabs(ours.heading - reference.heading),
                  std::fabs(ours.pitch - reference.pitch), std::fabs(ours.bank - reference.bank)});
    return;
  }
  ASSERT_TRUE(spread.on_boundary) << "key " << key << ": reference " << reference << ", ours " << ours;
  if (spread.at_narrow_band) {
    ++t.narrow_band_edge;
    return;
  }
  ++t.boundary;
  const double frame = testing_support::frame_distance(ours, reference);
  t.largest_boundary_frame = std::max(t.largest_boundary_frame, frame);
  const double reach = 1e-12 + 2 * std::max({spread.angles.heading, spread.angles.pitch, spread.angles.bank});
  ASSERT_LE(frame, reach) << "key " << key << ": reference " << reference << ", ours " << ours;
}

void print(const char *name, const char *inputs, const Tally &t) {
  const double n = static_cast<double>(t.keys);
  std::printf(
      "[ sweep    ] %s, %ld %s keys: within 1e-12 %ld; ill-conditioned %ld (%.2e, largest %.2e rad); "
      "branch on the other side of its threshold %ld (%.2e, largest frame difference %.2e); "
      "narrow-band edge %ld (%.2e)\n",
      name, t.keys, inputs, t.rounding_only, t.ill_conditioned, t.ill_conditioned / n,
      t.largest_ill_conditioned, t.boundary, t.boundary / n, t.largest_boundary_frame, t.narrow_band_edge,
      t.narrow_band_edge / n);
}

template <typename Next>
void sweep(const char *inputs, int total, Next next) {
  const std::vector<ReadBackVariant> all = variants();
  std::vector<Tally> tallies(all.size());
  constexpr int kBatch = 4096;
  std::vector<AngleTriple> keys(kBatch), reference(kBatch), ours(kBatch);
  for (int done = 0; done < total; done += kBatch) {
    const int n = std::min(kBatch, total - done);
    for (int i = 0; i < n; ++i) {
      keys[i] = next();
      reference[i] = scalar_reference::canonical_of(keys[i]);
    }
    for (std::size_t v = 0; v < all.size(); ++v) {
      all[v].read_back(keys.data(), ours.data(), static_cast<std::size_t>(n));
      for (int i = 0; i < n; ++i) {
        compare_one(keys[i], reference[i], ours[i], tallies[v]);
        if (testing::Test::HasFatalFailure()) return;
      }
    }
  }
  for (std::size_t v = 0; v < all.size(); ++v) print(all[v].name, inputs, tallies[v]);
}

// Orientations drawn at random: every angle uniform within two turns.
TEST(ReadBackVariants, AgreeWithTheScalarReferenceOnRandomKeys) {
  test::AngleSource source(32);
  sweep("uniform", test::sweep_cases(1000000), [&] {
    return AngleTriple{source.uniform(-2 * kTwoPi, 2 * kTwoPi), source.uniform(-2 * kTwoPi, 2 * kTwoPi),
                       source.uniform(-2 * kTwoPi, 2 * kTwoPi)};
  });
}

// The rotation tests' mixture (random angles, quarter turns and their
// near neighbours, both gimbal limits, many turns out) and the thresholds.
TEST(ReadBackVariants, AgreeWithTheScalarReferenceAtItsThresholds) {
  test::AngleSource mixed(33);
  sweep("mixed", test::sweep_cases(500000), [&] { return mixed.triple(); });
  test::BoundaryTriples boundary(34);
  sweep("boundary", test::sweep_cases(1000000), [&] { return boundary.next(); });
}

// Every multiple of π/2 in every angle, one ulp either side included.
TEST(ReadBackVariants, AgreeWithTheScalarReferenceOnEveryQuarterTurn) {
  std::vector<double> quarters;
  for (int k = -8; k <= 8; ++k) {
    const double q = k * kHalfPi;
    quarters.insert(quarters.end(), {std::nextafter(q, -10.0 * kPi), q, std::nextafter(q, 10.0 * kPi)});
  }
  std::size_t i = 0, j = 0, k = 0;
  const int total = static_cast<int>(quarters.size() * quarters.size() * quarters.size());
  sweep("quarter-turn", total, [&] {
    const AngleTriple a{quarters[i], quarters[j], quarters[k]};
    if (++k == quarters.size()) {
      k = 0;
      if (++j == quarters.size()) {
        j = 0;
        ++i;
      }
    }
    return a;
  });
}

}  // namespace
}  // namespace KeyFrame
