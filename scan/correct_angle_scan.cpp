#include "scan/correct_angle_scan.h"

#include <tbb/parallel_pipeline.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>

#include "keys/created_keys.h"
#include "scan/input_filter.h"
#include "scan/output_filter.h"
#include "scan/scan_token.h"
#include "scan/transform_filter.h"

namespace KeyFrame {
namespace {

// Copies the output stage's count of written records out on every way out.
struct WrittenCount {
  const OutputFilter &output;
  std::uint64_t &items_written;
  ~WrittenCount() { items_written = output.next_record; }
};

void run_scan_pipeline(KeyInfo *info, std::uint64_t &items_written) {
  // One token per record, all allocated before the run: no token is reused
  // and no stage waits for one.
  if (info->item_count > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    throw std::bad_array_new_length();
  }
  const auto token_count = static_cast<std::int32_t>(info->item_count);
  InputFilter input(std::unique_ptr<ScanToken[]>(new ScanToken[token_count]), token_count, info);
  const TransformFilter transform;
  OutputFilter output(info);
  const WrittenCount count{output, items_written};

  // The stages stay here, in this frame, and the pipeline reaches them by
  // reference: their counters and the token array outlive the run and go on
  // every way out of this function.
  tbb::parallel_pipeline(
      static_cast<std::size_t>(token_count),
      tbb::make_filter<void, ScanToken *>(tbb::filter_mode::serial_in_order,
                                          [&input](tbb::flow_control &control) { return input(control); }) &
          tbb::make_filter<ScanToken *, ScanToken *>(
              tbb::filter_mode::parallel, [&transform](ScanToken *token) { return transform(token); }) &
          tbb::make_filter<ScanToken *, void>(tbb::filter_mode::serial_in_order,
                                              [&output](ScanToken *token) { output(token); }));
}

}  // namespace

void correct_angle_scan(KeyInfo *info, std::uint64_t &items_written) {
  items_written = 0;
  if (info->item_count == 0) return;
  try {
    run_scan_pipeline(info, items_written);
  } catch (...) {
    // The pipeline has drained. The fill clears a record's created flags as
    // it destroys its keys, so what is still flagged was never removed:
    // records not yet read, and the one whose fill failed before its
    // deletion step.
    take_back_created_keys(info);
    throw;
  }
}

}  // namespace KeyFrame
