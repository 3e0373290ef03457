#include "cli/version_text.h"

namespace cli {

std::string version_text() { return "tavorix " TAVORIX_VERSION; }

}  // namespace cli
