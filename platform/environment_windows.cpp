// The environment on Windows: read through the wide-character call, so that
// a path beyond the ANSI code page arrives whole.
#include <windows.h>

#include <string>

#include "platform/environment.h"
#include "platform/utf16_text.h"

namespace platform {

std::string environment_variable(const char *name) {
  const std::wstring wide_name = platform::wide(name);
  std::wstring value(256, L'\0');
  for (;;) {
    const DWORD length =
        GetEnvironmentVariableW(wide_name.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) return {};  // not set, or set to nothing
    if (length < value.size()) {
      value.resize(length);
      return platform::narrow(value);
    }
    value.resize(length);  // the size it needs, its terminating null included
  }
}

}  // namespace platform
