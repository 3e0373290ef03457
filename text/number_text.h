#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace text {

// Numbers as scene files write them.

// The shortest "%g" text that reads back as exactly `value` (at most 17
// significant digits), e.g. "0.5", "-2.4466765", "1.2104569e-08".
std::string shortest_double_text(double value);

// A whole token as a finite double: "3", "-0.62457877", "2.3840676e-007",
// "1e-07". A leading '+' is allowed; anything else (blanks, trailing
// characters, "nan", "inf") makes it false and leaves `value` alone.
bool parse_double_token(std::string_view token, double &value);

// A whole token as a decimal integer, optionally signed.
bool parse_integer_token(std::string_view token, long long &value);

// A whole token of 1 to 8 hex digits (no "0x"), as scene files write item
// ids: "10000003", "1000000e".
bool parse_hex_id_token(std::string_view token, std::uint32_t &id);

// An id as scene files write it: 8 lower-case hex digits.
std::string hex_id_text(std::uint32_t id);

}  // namespace text
