// A large text kept as lines and written back as pieces: where lines start
// and end, what a text of pieces holds, and how pieces are gathered into
// writes.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/gathered_writes.h"
#include "text/line_starts.h"
#include "text/piece_text.h"

namespace {

// Lines as a plain reading of the rule finds them: "\r\n", "\n" and a lone
// "\r" end a line; no empty line after a last ending.
std::vector<std::string> reference_lines(const std::string &text) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t at = 0; at < text.size(); ++at) {
    line += text[at];
    if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') continue;
    if (text[at] == '\n' || text[at] == '\r') {
      lines.push_back(line);
      line.clear();
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

TEST(LineStarts, FindsTheLinesAndEndingsOfEveryMixOfEndings) {
  for (const std::string text : {"", "a", "a\n", "\n", "\n\n", "\r", "\r\r\n", "a\r\nb\rc\n\nd", "x\r\n\r\n",
                                 "Key 1\r\n  Key 2\r\nlast", "\r\n\r", "a\n\r"}) {
    const text::LineStarts starts(text);
    const std::vector<std::string> want = reference_lines(text);
    ASSERT_EQ(starts.size(), want.size()) << '"' << text << '"';
    std::string joined;
    for (std::size_t i = 0; i < starts.size(); ++i) {
      const text::TextLine line = starts.line(i, text);
      const std::string got = text.substr(line.offset, line.length + line.ending_length);
      EXPECT_EQ(got, want[i]) << "line " << i << " of \"" << text << '"';
      const std::string ending = got.substr(line.length);
      EXPECT_TRUE(ending.empty() || ending == "\n" || ending == "\r" || ending == "\r\n") << ending.size();
      EXPECT_EQ(got.substr(0, line.length).find_first_of("\r\n"), std::string::npos) << '"' << text << '"';
      joined += got;
    }
    EXPECT_EQ(joined, text);
    if (starts.size() > 0) {
      EXPECT_EQ(starts.stretch(0, starts.size(), text), text);
    }
  }
}

// A text of several mebibytes is split on all cores in parts that end after
// a "\n": lines and endings come out as in one piece, whatever falls at a
// part's end ("\r\n", a lone "\r", a run of endings, a long line).
TEST(LineStarts, ATextSplitInPartsHasTheLinesOfOnePiece) {
  std::mt19937 random(5);
  std::string text;
  const char *const endings[] = {"\n", "\r\n", "\r", "\n\n", "\r\r\n"};
  while (text.size() < (std::size_t{13} << 20)) {
    text.append(random() % 3 == 0 ? 1 + random() % 300000 : random() % 60, 'k');
    text += endings[random() % 5];
  }
  text += "last line without an ending";
  const text::LineStarts starts(text);
  std::size_t line = 0, start = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '\n' && text[at] != '\r') continue;
    if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
    ASSERT_LT(line, starts.size());
    const text::TextLine got = starts.line(line, text);
    ASSERT_EQ(got.offset, start) << "line " << line;
    ASSERT_EQ(got.offset + got.length + got.ending_length, at + 1) << "line " << line;
    ++line;
    start = at + 1;
  }
  ASSERT_EQ(starts.size(), line + 1);
  EXPECT_EQ(starts.line(line, text).offset, start);
  EXPECT_EQ(starts.line(line, text).ending_length, 0u);
}

TEST(PieceText, HoldsItsPiecesInOrderAndComparesAcrossTheirBorders) {
  const std::string kept = "Key 1\nKey 2\nKey 3\n";
  text::PieceText pieces;
  pieces.add_kept(std::string_view(kept).substr(0, 6));
  pieces.add_owned("Key 9\n");  // small enough for a string's own buffer
  pieces.add_kept("");
  pieces.add_kept(std::string_view(kept).substr(12));
  // Moved, as a render result is: every piece still reads the same.
  const text::PieceText moved = std::move(pieces);
  EXPECT_EQ(moved.joined(), "Key 1\nKey 9\nKey 3\n");
  EXPECT_EQ(moved.size(), 18u);
  EXPECT_EQ(moved.pieces().size(), 3u);  // no empty piece
  EXPECT_TRUE(moved.equals("Key 1\nKey 9\nKey 3\n"));
  EXPECT_FALSE(moved.equals(kept));
  EXPECT_FALSE(moved.equals("Key 1\nKey 9\nKey 3"));
  EXPECT_FALSE(moved.equals("Key 1\nKey 9\nKey 3\n!"));
  EXPECT_TRUE(text::PieceText().equals(""));
}

TEST(GatheredWrites, WritesEveryByteInOrderAndStopsAtTheFirstFailedWrite) {
  const std::string large(300000, 'L');  // written as it is
  const std::string middle(200000, 'm');
  std::vector<std::string_view> pieces;
  std::string want;
  for (int i = 0; i < 20000; ++i) {
    const std::string_view piece = i % 5000 == 4999   ? std::string_view(large)
                                   : i % 3000 == 2999 ? std::string_view(middle)
                                                      : std::string_view("Key 0.5 0 0 0 0 0 0 0 0\r\n");
    pieces.push_back(piece);
    want.append(piece);
  }
  std::string written;
  int writes = 0;
  EXPECT_TRUE(platform::write_gathered(pieces, [&](const char *data, std::size_t size) {
    ++writes;
    EXPECT_LE(size, std::max<std::size_t>(large.size(), std::size_t{1} << 20));
    written.append(data, size);
    return true;
  }));
  EXPECT_EQ(written, want);
  EXPECT_LT(writes, 20);

  int calls = 0;
  EXPECT_FALSE(platform::write_gathered(pieces, [&](const char *, std::size_t) { return ++calls < 2; }));
  EXPECT_EQ(calls, 2);
}

}  // namespace
