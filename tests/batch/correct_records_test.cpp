// The batch pass's in-memory half on its own: records read back 64 at a
// time, then corrected one by one.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <limits>
#include <vector>

#include "batch/correct_angle_batch.h"
#include "keys/key_info.h"
#include "rotation/finite_angles.h"
#include "rotation/key_kernels.h"
#include "rotation/rotation_test_support.h"

namespace {

using KeyFrame::AngleTriple;
using KeyFrame::KeyInfo;
using KeyFrame::KeyRecord;

bool same_bits(const AngleTriple &a, const AngleTriple &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Whatever range a task gets and wherever its blocks of 64 begin, every
// record comes out as correct_key makes it on its own, bit for bit, in both
// modes; a record whose key or reference is damaged is left as it was, and
// an empty range touches nothing.
TEST(CorrectRecords, BlocksGiveEachRecordItsOwnCorrection) {
  KeyFrame::test::AngleSource source(71);
  const double damaged[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                            1e15};
  for (const std::int32_t mode : {KeyFrame::kModeInferior, KeyFrame::kModeSuperior}) {
    KeyInfo info(mode);
    constexpr std::size_t kCount = 300;
    for (std::size_t i = 0; i < kCount; ++i) {
      KeyRecord record;
      record.angles = source.triple();
      record.reference = source.triple();
      if (source.pick(20) == 0) record.angles.bank = damaged[source.pick(3)];
      if (source.pick(20) == 0) record.reference.heading = damaged[source.pick(3)];
      info.records.push_back(record);
    }
    info.item_count = kCount;
    std::vector<AngleTriple> before(kCount);
    for (std::size_t i = 0; i < kCount; ++i) before[i] = info.records[i].angles;

    const std::size_t ranges[][2] = {{0, 1}, {1, 64}, {64, 65}, {65, 129}, {129, 200}, {200, 300}};
    for (const auto &range : ranges) KeyFrame::correct_records(&info, range[0], range[1]);
    for (std::size_t i = 0; i < kCount; ++i) {
      const KeyRecord &record = info.records[i];
      AngleTriple expected = before[i];
      if (KeyFrame::is_placeable(record.reference) && KeyFrame::is_placeable(before[i])) {
        KeyFrame::correct_key(mode, record.reference, expected);
      }
      ASSERT_TRUE(same_bits(record.angles, expected)) << "mode " << mode << " record " << i;
    }
    const AngleTriple kept = info.records[10].angles;
    KeyFrame::correct_records(&info, 10, 10);  // an empty range changes nothing
    EXPECT_TRUE(same_bits(info.records[10].angles, kept));
  }
}

}  // namespace
