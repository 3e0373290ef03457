// tavorix demo: its summary, its plot, and check/scan on the demo scene.

#include <gtest/gtest.h>

#include <sstream>

#include "program_runner.h"

namespace {

using namespace cli_testing;

// Whether the SVG's tags nest properly (start and end tags pair up, the
// root is <svg>); on failure `problem` says where.
bool tags_nest(const std::string &svg, std::string &problem) {
  std::vector<std::string> open;
  std::size_t at = 0;
  bool saw_root = false;
  while ((at = svg.find('<', at)) != std::string::npos) {
    const std::size_t end = svg.find('>', at);
    if (end == std::string::npos) {
      problem = "unclosed '<' at " + std::to_string(at);
      return false;
    }
    const std::string tag = svg.substr(at + 1, end - at - 1);
    at = end + 1;
    if (tag.empty() || tag[0] == '?' || tag[0] == '!') continue;
    if (tag[0] == '/') {
      const std::string name = tag.substr(1);
      if (open.empty() || open.back() != name) {
        problem =
            "</" + name + "> closes " + (open.empty() ? std::string("nothing") : "<" + open.back() + ">");
        return false;
      }
      open.pop_back();
      continue;
    }
    const std::string name = tag.substr(0, tag.find_first_of(" \n/"));
    if (!saw_root && name != "svg") {
      problem = "root element is <" + name + ">";
      return false;
    }
    saw_root = true;
    if (tag.back() != '/') open.push_back(name);
  }
  if (!open.empty()) problem = "<" + open.back() + "> is never closed";
  return open.empty() && saw_root;
}

std::size_t count(const std::string &text, const std::string &part) {
  std::size_t found = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
    ++found;
  return found;
}

// The text of each <g class="item" ...> ... </g> panel, by item name.
std::vector<std::pair<std::string, std::string>> panels(const std::string &svg) {
  std::vector<std::pair<std::string, std::string>> found;
  const std::string start = "<g class=\"item\" data-item=\"";
  for (std::size_t at = svg.find(start); at != std::string::npos; at = svg.find(start, at + 1)) {
    const std::size_t name_begin = at + start.size();
    const std::string name = svg.substr(name_begin, svg.find('"', name_begin) - name_begin);
    found.emplace_back(name, svg.substr(at, svg.find("</g>", at) - at));
  }
  return found;
}

// The words of the output line whose first word is `first`, blanks
// collapsed; empty when there is none.
std::string row(const std::string &text, const std::string &first) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string word, joined;
    while (words >> word) joined += (joined.empty() ? "" : " ") + word;
    if (joined.rfind(first + " ", 0) == 0) return joined;
  }
  return "";
}

class Demo : public testing::Test {
 protected:
  TemporaryFolder folder;
};

TEST_F(Demo, PrintsItsSummaryAndWritesItsPlotHere) {
  const ProgramResult result = tavorix({"demo"}, folder.path());
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_TRUE(contains(result.out, "tavorix demo: Tavorix:Scan on the built-in scene (4 items"))
      << result.out;
  // Per item: key triples, those rewritten, largest step before → after.
  EXPECT_EQ(row(result.out, "Turntable"), "Turntable 31 15 371.0° → 11.0°") << result.out;
  EXPECT_EQ(row(result.out, "Camera"), "Camera 31 3 183.3° → 3.3°");
  EXPECT_EQ(row(result.out, "Flyer"), "Flyer 31 11 181.0° → 11.5°");
  EXPECT_EQ(row(result.out, "Lamp"), "Lamp 1 0 0.0° → 0.0°");
  EXPECT_TRUE(contains(result.out, "29 key triples rewritten in 3 items")) << result.out;
  EXPECT_TRUE(contains(result.out, "plot written to tavorix-demo.svg")) << result.out;
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"tavorix-demo.svg"}));
}

TEST_F(Demo, PlotHasThreeCurvesBeforeAndAfterPerItemWithFlipsShaded) {
  ASSERT_EQ(tavorix({"demo", "-o", "plot.svg", "--quiet"}, folder.path()).exit_code, 0);
  const std::string svg = read_file(folder.file("plot.svg"));
  EXPECT_EQ(
      svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"", 0),
      0u);
  std::string problem;
  EXPECT_TRUE(tags_nest(svg, problem)) << problem;
  EXPECT_FALSE(contains(svg, "<script")) << "self-contained and inert";
  EXPECT_FALSE(contains(svg, "href")) << "no external resources";
  for (const char *label : {">heading<", ">pitch<", ">bank<", ">before<", ">frame<", ">degrees<"}) {
    EXPECT_TRUE(contains(svg, label)) << label;
  }

  const auto found = panels(svg);
  ASSERT_EQ(found.size(), 3u);  // the static Lamp has nothing to draw
  EXPECT_EQ(found[0].first, "Turntable");
  EXPECT_EQ(found[1].first, "Camera");
  EXPECT_EQ(found[2].first, "Flyer");
  for (const auto &[name, panel] : found) {
    for (const char *channel : {"heading", "pitch", "bank"}) {
      EXPECT_EQ(count(panel, std::string("class=\"curve before ") + channel + "\""), 1u) << name << channel;
      EXPECT_EQ(count(panel, std::string("class=\"curve after ") + channel + "\""), 1u) << name << channel;
    }
    EXPECT_EQ(count(panel, "class=\"key after\""), 93u) << name;
    EXPECT_GE(count(panel, "class=\"flip\""), 2u) << name;
  }
  EXPECT_EQ(count(found[0].second, "class=\"beyond-turn\""), 1u);  // the 415° key
}

TEST_F(Demo, PlotRendersToAnImage) {
  if (system("command -v rsvg-convert > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "rsvg-convert is not installed";
  ASSERT_EQ(tavorix({"demo", "--quiet"}, folder.path()).exit_code, 0);
  const ProgramResult render =
      run_program("/bin/sh", {"-c", "rsvg-convert tavorix-demo.svg -o demo.png"}, folder.path());
  ASSERT_EQ(render.exit_code, 0) << render.err;
  const std::string png = read_file(folder.file("demo.png"));
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  const auto be32 = [&](std::size_t at) {
    return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
           (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
  };
  EXPECT_EQ(be32(16), 960);           // width
  EXPECT_EQ(be32(20), 96 + 3 * 340);  // header and three panels
}

TEST_F(Demo, CheckFindsThePlantedFlipsAndNoneAfterAScan) {
  ASSERT_EQ(tavorix({"demo", "--quiet", "--save-scene", "demo.json"}, folder.path()).exit_code, 0);
  const ProgramResult before = tavorix({"check", "demo.json"}, folder.path());
  EXPECT_EQ(before.exit_code, 1) << before.out << before.err;
  for (const char *flipped : {"Turntable", "Camera", "Flyer"}) {
    const std::string line = row(before.out, flipped);
    EXPECT_EQ(line.substr(line.size() - 5), "FLIPS") << line;
  }
  EXPECT_EQ(row(before.out, "Lamp"), "Lamp Light 1/1/1 0 0 0 0 \u2192 0 ok") << before.out;
  EXPECT_TRUE(
      contains(before.out,
               "flip at frame 20: (H 415.0°, P 8.7°, B 4.3°) → (H 55.0°, P 8.7°, B 4.3°), the same angles "
               "moved by whole turns"))
      << before.out;
  EXPECT_TRUE(
      contains(before.out,
               "flip at frame 28: (H 163.3°, P 172.0°, B -174.0°) → (H -16.7°, P 8.0°, B 6.0°), the other "
               "Euler triple of the orientation"))
      << before.out;
  EXPECT_TRUE(contains(before.out, "29 flips in 3 items")) << before.out;

  const ProgramResult scan = tavorix({"scan", "demo.json", "-o", "fixed.json"}, folder.path());
  ASSERT_EQ(scan.exit_code, 0) << scan.err;
  const ProgramResult after = tavorix({"check", "fixed.json"}, folder.path());
  EXPECT_EQ(after.exit_code, 0) << after.out;
  EXPECT_TRUE(contains(after.out, "clean: tavorix scan would rewrite no key triple")) << after.out;
  EXPECT_EQ(tavorix({"check", "--quiet", "fixed.json"}, folder.path()).out, "");
}

}  // namespace
