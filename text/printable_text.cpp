#include "text/printable_text.h"

#include <cstdio>

#include "text/text_lines.h"

namespace text {
namespace {

void append_escape(std::string &out, unsigned char byte) {
  switch (byte) {
    case '\0': out += "\\0"; return;
    case '\t': out += "\\t"; return;
    case '\r': out += "\\r"; return;
    case '\n': out += "\\n"; return;
    default: break;
  }
  char code[8];
  std::snprintf(code, sizeof code, "\\x%02X", byte);
  out += code;
}

// The length of the well-formed UTF-8 sequence at `at` (2 to 4 bytes) that
// encodes a character other than a C1 control, or 0.
std::size_t printable_sequence(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned int code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07u;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0u) != 0x80u) return 0;
    code = (code << 6) | (byte(i) & 0x3Fu);
  }
  // Overlong forms, surrogates, beyond U+10FFFF and the C1 controls.
  if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) || code > 0x10FFFF ||
      (code >= 0xD800 && code <= 0xDFFF) || (code >= 0x80 && code <= 0x9F)) {
    return 0;
  }
  return length;
}

}  // namespace

std::string printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte >= 0x20 && byte < 0x7F) {
      if (byte == '\\') out += '\\';
      out += static_cast<char>(byte);
      ++at;
      continue;
    }
    const std::size_t length = byte >= 0x80 ? printable_sequence(text, at) : 0;
    if (length == 0) {
      append_escape(out, byte);
      ++at;
      continue;
    }
    out.append(text.substr(at, length));
    at += length;
  }
  return out;
}

std::string quoted_token(std::string_view token, std::size_t limit) {
  if (token.size() <= limit) return "'" + printable(token) + "'";
  // Cut at a character boundary: never inside a UTF-8 sequence.
  std::size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(token[cut]) & 0xC0u) == 0x80u) --cut;
  return "'" + printable(token.substr(0, cut)) + "...' (" + std::to_string(token.size()) + " bytes)";
}

std::string quoted_line(std::string_view line, std::size_t limit) {
  return quoted_token(trim_blanks(line), limit);
}

}  // namespace text
