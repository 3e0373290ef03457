// Text from files shown on a terminal: control characters and broken UTF-8
// escaped, everything else as it is.

#include "text/printable_text.h"

#include <gtest/gtest.h>

namespace {

TEST(PrintableText, EscapesControlsAndBrokenUtf8AndKeepsTheRest) {
  EXPECT_EQ(text::printable("Cam (2)"), "Cam (2)");
  EXPECT_EQ(text::printable("Caméra 90° \u2192"), "Caméra 90° \u2192");
  EXPECT_EQ(text::printable(std::string("a\0b\tc\r\n", 7)), "a\\0b\\tc\\r\\n");
  EXPECT_EQ(text::printable("\x1b[2J\x7f"), "\\x1B[2J\\x7F");
  EXPECT_EQ(text::printable("back\\slash"), "back\\\\slash");
  // A C1 control (CSI) as UTF-8, a lone continuation byte, an overlong form,
  // a sequence cut short and a surrogate.
  EXPECT_EQ(text::printable("\xC2\x9B"
                            "2J"),
            "\\xC2\\x9B2J");
  EXPECT_EQ(text::printable("\x80"), "\\x80");
  EXPECT_EQ(text::printable("\xC0\xAF"), "\\xC0\\xAF");
  EXPECT_EQ(text::printable("\xE2\x86"), "\\xE2\\x86");
  EXPECT_EQ(text::printable("\xED\xA0\x80"), "\\xED\\xA0\\x80");
}

TEST(PrintableText, QuotedTokensAreCutAtACharacterWithTheirLength) {
  EXPECT_EQ(text::quoted_token("zero"), "'zero'");
  EXPECT_EQ(text::quoted_token(std::string(70, 'x')), "'" + std::string(60, 'x') + "...' (70 bytes)");
  // The cut falls inside "é" (two bytes): it moves before it.
  const std::string accents = std::string(59, 'a') + "\xC3\xA9" + "bcd";
  EXPECT_EQ(text::quoted_token(accents, 60), "'" + std::string(59, 'a') + "...' (64 bytes)");
}

}  // namespace
