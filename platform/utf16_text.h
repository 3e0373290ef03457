#pragma once

// UTF-8 text (the program's, the scene files') to and from the UTF-16 that
// Windows' wide-character calls take. Windows builds only.
#include <string>

namespace platform {

std::wstring wide(const std::string &text);
std::string narrow(const std::wstring &text);

}  // namespace platform
