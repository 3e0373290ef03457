#include "scan/input_filter.h"

#include "scan/fill_token.h"

namespace KeyFrame {

ScanToken *InputFilter::operator()(tbb::flow_control &control) {
  ring_position = ring_position < token_count - 1 ? ring_position + 1 : 0;
  if (next_record >= key_info->item_count) {
    control.stop();
    return nullptr;
  }
  ScanToken &token = tokens[ring_position];
  fill_token(key_info->records[next_record], token);
  ++next_record;
  return &token;
}

}  // namespace KeyFrame
