// The scan's transform on its own: one token's values aligned along the
// chain, the anchor kept, damaged triples left alone.
#include "scan/transform_token.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "bench/reference/reference_kernels.h"
#include "rotation/finite_angles.h"
#include "rotation/key_kernels.h"
#include "rotation/rotation_test_support.h"
#include "rotation/sweep_size.h"
#include "scan/scan_token.h"
#include "support/orientation.h"
#include "support/rotation_keys.h"

namespace {

using KeyFrame::AngleTriple;
using KeyFrame::ScanToken;
using testing_support::triple_distance;

constexpr double kPi = 3.141592653589793;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The other Euler triple of the same orientation.
AngleTriple flipped(const AngleTriple &a) { return {a.heading + kPi, kPi - a.pitch, a.bank + kPi}; }

void fill_values(ScanToken &token, const std::vector<AngleTriple> &values) {
  for (const AngleTriple &v : values) {
    token.keys.push_back({});
    token.values.push_back(v);
  }
}

bool same_bits(const AngleTriple &a, const AngleTriple &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

#define EXPECT_TRIPLE_NEAR(actual, expected)              \
  EXPECT_LT(triple_distance((actual), (expected)), 1e-12) \
      << "got (" << (actual).heading << ", " << (actual).pitch << ", " << (actual).bank << ")"

TEST(TransformToken, EmptyAndSingleTripleTokensAreLeftAlone) {
  ScanToken empty;
  KeyFrame::transform_token(empty);
  EXPECT_EQ(empty.values.size(), 0u);

  ScanToken single;
  fill_values(single, {flipped({0.1, 0.2, 0.3})});
  const AngleTriple before = single.values[0];
  KeyFrame::transform_token(single);
  EXPECT_TRUE(same_bits(single.values[0], before));
}

TEST(TransformToken, RemovesFlipsAndWholeTurnsAlongTheChain) {
  ScanToken token;
  fill_values(token, {{0, 0, 0}, flipped({0, 0.2, 0}), {2 * kPi + 0.3, 0.1, -2 * kPi}});
  KeyFrame::transform_token(token);
  EXPECT_TRIPLE_NEAR(token.values[0], (AngleTriple{0, 0, 0}));
  EXPECT_TRIPLE_NEAR(token.values[1], (AngleTriple{0, 0.2, 0}));
  EXPECT_TRIPLE_NEAR(token.values[2], (AngleTriple{0.3, 0.1, 0}));
}

TEST(TransformToken, EachTripleFollowsItsPredecessorAsAlreadyRewritten) {
  // Against the stored (flipped) second triple the third would stay flipped;
  // against the rewritten one it is unflipped too.
  ScanToken token;
  fill_values(token, {{0, 0, 0}, flipped({0, 0.2, 0}), flipped({0.1, 0.2, 0})});
  KeyFrame::transform_token(token);
  EXPECT_TRIPLE_NEAR(token.values[2], (AngleTriple{0.1, 0.2, 0}));
}

TEST(TransformToken, TheAnchorIsNeverChangedAndTheChainFollowsIt) {
  const AngleTriple anchor = flipped({0, 0.2, 0});
  ScanToken token;
  fill_values(token, {anchor, {0, 0.25, 0}});
  KeyFrame::transform_token(token);
  EXPECT_TRUE(same_bits(token.values[0], anchor));
  EXPECT_TRIPLE_NEAR(token.values[1], flipped({0, 0.25, 0}));
}

TEST(TransformToken, NonFiniteTripleAndTheOneAfterItAreKept) {
  const AngleTriple damaged{kNaN, 1.0, 2.0};
  const AngleTriple after_damage = flipped({0.1, 0.2, 0});
  ScanToken token;
  fill_values(token, {{0, 0, 0}, flipped({0, 0.2, 0}), damaged, after_damage, {0.2, 0.2, 0}});
  KeyFrame::transform_token(token);
  EXPECT_TRUE(same_bits(token.values[2], damaged));
  // Its predecessor is damaged: kept, and the chain starts again from it.
  EXPECT_TRUE(same_bits(token.values[3], after_damage));
  EXPECT_TRIPLE_NEAR(token.values[4], flipped({0.2, 0.2, 0}));
}

TEST(TransformToken, DamagedAnchorHandsTheChainToTheFirstFiniteTriple) {
  const AngleTriple anchor{kInf, 0.0, 0.0};
  const AngleTriple first_finite = flipped({0, 0.2, 0});
  ScanToken token;
  fill_values(token, {anchor, first_finite, {0.1, 0.2, 0}, {0.2, 0.2, -kInf}});
  KeyFrame::transform_token(token);
  EXPECT_TRUE(same_bits(token.values[0], anchor));
  EXPECT_TRUE(same_bits(token.values[1], first_finite));
  EXPECT_TRIPLE_NEAR(token.values[2], flipped({0.1, 0.2, 0}));
  EXPECT_TRUE(same_bits(token.values[3], (AngleTriple{0.2, 0.2, -kInf})));
}

// The chain key by key, as the transform is defined: each key whose value and
// predecessor's value (both as filled) are placeable aligned with align_key
// to its predecessor as already rewritten.
std::vector<AngleTriple> aligned_key_by_key(const std::vector<AngleTriple> &filled) {
  std::vector<AngleTriple> values = filled;
  for (std::size_t i = 1; i < values.size(); ++i) {
    if (KeyFrame::is_placeable(filled[i]) && KeyFrame::is_placeable(filled[i - 1])) {
      KeyFrame::align_key(values[i - 1], values[i]);
    }
  }
  return values;
}

// Blocks of 256 keys read back at once, and past 2 × 4096 keys after the
// anchor spans of 4096 read back in parallel, with the chain reading each
// span's first key back itself: whatever the length, and with damaged keys
// at and around every block and span edge, every key comes out as the chain
// key by key gives it, bit for bit.
TEST(TransformToken, BlocksAndSpansGiveTheKeyByKeyChain) {
  KeyFrame::test::AngleSource source(61);
  const double damaged[] = {kNaN, kInf, 1e15};
  for (const std::size_t count :
       {2u, 3u, 255u, 256u, 257u, 258u, 1000u, 8192u, 8193u, 8194u, 12289u, 20001u}) {
    std::vector<AngleTriple> values(count);
    for (AngleTriple &v : values) v = source.triple();
    for (const std::size_t edge : {1u, 255u, 256u, 257u, 4096u, 4097u, 4098u, 8192u, 8193u, 12288u, 12289u}) {
      if (edge < count && source.pick(2) == 0) values[edge].pitch = damaged[source.pick(3)];
    }
    // A key is aligned by its predecessor's value as filled, not as rewritten:
    // after a damaged key, one kept just inside the placeable limit, and one
    // placed towards it that lands outside; the key after that is aligned.
    if (count > 301) {
      const double limit = KeyFrame::kLargestPlacedAngle;
      values[297].heading = kNaN;
      values[298] = {limit - 0.5, 0.5, 0.25};
      values[299] = {limit + 1.5 - 1000 * KeyFrame::kTwoPi, 0.5, 0.25};
    }
    const std::vector<AngleTriple> expected = aligned_key_by_key(values);
    ScanToken token;
    fill_values(token, values);
    KeyFrame::transform_token(token);
    for (std::size_t i = 0; i < count; ++i) {
      ASSERT_TRUE(same_bits(token.values[i], expected[i]))
          << "count " << count << " key " << i << ": " << token.values[i] << " vs " << expected[i]
          << " filled " << values[i] << " after " << expected[i - 1];
    }
  }
}

// Against today's scalar chain (bench/reference/): along random chains with
// damaged keys, every key keeps its orientation, and the written angles
// agree until a decision tips on the rounding of one of the two read-backs;
// from there on the chain carries the other, equivalent triple. Prints how
// many chains that happens to.
TEST(TransformToken, AgreesWithTheScalarChain) {
  KeyFrame::test::AngleSource source(62);
  const int chains = KeyFrame::test::sweep_cases(20000);
  long keys = 0, diverged = 0;
  for (int c = 0; c < chains; ++c) {
    std::vector<AngleTriple> values(1 + source.pick(200));
    AngleTriple walk = source.triple();
    for (AngleTriple &v : values) {  // a walk in small steps, stored flipped or turns away at random
      walk = {walk.heading + source.uniform(-0.3, 0.3), walk.pitch + source.uniform(-0.3, 0.3),
              walk.bank + source.uniform(-0.3, 0.3)};
      v = source.pick(3) == 0 ? flipped(walk) : walk;
      if (source.pick(5) == 0) v.heading += source.whole_turns(3);
      if (source.pick(400) == 0) v.bank = kNaN;
    }
    std::vector<AngleTriple> theirs = values;
    scalar_reference::align_chain(theirs.data(), theirs.size());
    ScanToken token;
    fill_values(token, values);
    KeyFrame::transform_token(token);
    bool same_so_far = true;
    for (std::size_t i = 0; i < values.size(); ++i) {
      ++keys;
      const AngleTriple &ours = token.values[i];
      if (!KeyFrame::is_finite(values[i])) {
        ASSERT_TRUE(same_bits(ours, values[i]));
        continue;
      }
      ASSERT_LE(testing_support::frame_distance(ours, values[i]),
                testing_support::orientation_tolerance(values[i]))
          << "chain " << c << " key " << i;
      if (same_so_far && triple_distance(ours, theirs[i]) > 1e-12) {
        same_so_far = false;
        ++diverged;
      }
    }
  }
  std::printf(
      "[ sweep    ] scan chains: %d chains, %ld keys, %ld chains where a decision tipped (%.2e a key)\n",
      chains, keys, diverged, static_cast<double>(diverged) / static_cast<double>(keys));
}

}  // namespace
