#pragma once

#include <ostream>

#include "cli/session/key_missing.h"

namespace cli::report {

// "key-missing: 80 keys added in 1 item where the rotation channels were
// keyed apart; no curve moved by more than 0.0021° (Cam's bank near frame
// 13.4)".
void print_key_missing(std::ostream &out, const session::KeyMissingReport &report, double fps);

}  // namespace cli::report
