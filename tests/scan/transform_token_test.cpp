// The scan's transform on its own: one token's values aligned along the
// chain, the anchor kept, damaged triples left alone.
#include "scan/transform_token.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "scan/scan_token.h"
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

}  // namespace
