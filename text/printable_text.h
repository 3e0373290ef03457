#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace text {

// Text from a file, made safe to show on a terminal: control characters
// (C0, DEL and C1, e.g. the escape that starts a clear-screen or
// window-title sequence) and bytes that are not UTF-8 are written as \xNN
// (\t, \r, \n and \0 by name), a backslash as \\; everything else, accented
// letters and symbols included, stays as it is.
std::string printable(std::string_view text);

// A token of a file quoted for a message: printable() between single
// quotes, cut after `limit` characters of the token with "..." and its
// length in bytes ("'aaaa...' (2000 bytes)").
std::string quoted_token(std::string_view token, std::size_t limit = 60);

// A line of a file quoted for a message: quoted_token() of the line without
// its leading and trailing blanks.
std::string quoted_line(std::string_view line, std::size_t limit = 60);

}  // namespace text
