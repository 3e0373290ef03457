// The JSON and text reports of the same run say the same things: the items,
// their key counts, flips with their frames, large turns, keys beyond a
// whole turn, spins, and the totals, for every scene of tests/data.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include "json_report_support.h"
#include "program_runner.h"
#include "support/build_paths.h"

namespace {

using namespace cli_testing;
using nlohmann::json;

std::vector<std::string> data_scenes() {
  std::vector<std::string> scenes;
  for (const char *folder : {"scenes", "made"}) {
    for (const auto &entry : std::filesystem::directory_iterator(
             std::string(testing_support::build_paths::source_dir()) + "/tests/data/" + folder)) {
      if (entry.path().extension() == ".lws") scenes.push_back(entry.path().string());
    }
  }
  std::sort(scenes.begin(), scenes.end());
  return scenes;
}

std::vector<std::string> lines_of(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> words_of(const std::string &line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

std::string count(const json &value) { return std::to_string(value.get<std::size_t>()); }

// One row of check's table, read from the right (the name may hold spaces):
// item, kind, "H/P/B", flips, turns, beyond, "before → after", ok|FLIPS.
struct CheckRow {
  std::string name, kind, keys, flips, turns, beyond, spins_before, spins_after;
};

std::vector<CheckRow> check_rows(const std::vector<std::string> &lines) {
  std::vector<CheckRow> rows;
  std::size_t at = 0;
  while (at < lines.size() && lines[at].rfind("  item", 0) != 0) ++at;
  for (++at; at < lines.size() && !lines[at].empty(); ++at) {
    std::vector<std::string> words = words_of(lines[at]);
    if (words.size() < 10) {
      ADD_FAILURE() << "not a row: " << lines[at];
      continue;
    }
    const std::size_t n = words.size();
    CheckRow row{"",           words[n - 9], words[n - 8], words[n - 7],
                 words[n - 6], words[n - 5], words[n - 4], words[n - 2]};
    for (std::size_t i = 0; i + 9 < n; ++i) row.name += (i == 0 ? "" : " ") + words[i];
    rows.push_back(row);
  }
  return rows;
}

// The frames of the "flip at frame F:" lines under each item's name.
std::map<std::string, std::vector<std::string>> listed_flip_frames(const std::vector<std::string> &lines) {
  std::map<std::string, std::vector<std::string>> frames;
  std::string item;
  for (const std::string &line : lines) {
    if (!line.empty() && line[0] != ' ' && line.back() == ':') item = line.substr(0, line.size() - 1);
    const std::string flip = "  flip at frame ";
    if (line.rfind(flip, 0) == 0)
      frames[item].push_back(line.substr(flip.size(), line.find(':') - flip.size()));
  }
  return frames;
}

TEST(JsonAgreesWithText, CheckOfEveryDataScene) {
  TemporaryFolder folder;
  for (const std::string &scene : data_scenes()) {
    SCOPED_TRACE(scene);
    const ProgramResult text = tavorix({"check", scene}, folder.path());
    ProgramResult ran;
    const json report = json_report({"check", scene}, folder.path(), "check.json", &ran);
    EXPECT_EQ(ran.exit_code, text.exit_code);
    ASSERT_EQ(report["scenes"].size(), 1u);
    const json &found = report["scenes"][0];
    const std::vector<std::string> lines = lines_of(text.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(contains(lines[0], std::to_string(found["items"].size()) +
                                       (found["items"].size() == 1 ? " item" : " items") + " checked"))
        << lines[0];

    const std::vector<CheckRow> rows = check_rows(lines);
    ASSERT_EQ(rows.size(), found["items"].size());
    const auto frames = listed_flip_frames(lines);
    std::size_t flips = 0, spins = 0, spins_after = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const json &item = found["items"][i];
      const CheckRow &row = rows[i];
      SCOPED_TRACE(row.name);
      EXPECT_EQ(row.name, item["name"]);
      EXPECT_EQ(row.kind, item["kind"]);
      EXPECT_EQ(row.keys, count(item["keys"]["heading"]) + "/" + count(item["keys"]["pitch"]) + "/" +
                              count(item["keys"]["bank"]));
      EXPECT_EQ(row.flips, std::to_string(item["flips"].size()));
      EXPECT_EQ(row.turns, std::to_string(item["large_turns"].size()));
      EXPECT_EQ(row.beyond, std::to_string(item["beyond_whole_turn"].size()));
      EXPECT_EQ(row.spins_before, std::to_string(item["spins_before"].size()));
      EXPECT_EQ(row.spins_after, std::to_string(item["spins_after"].size()));
      // The text lists the first 20 flips of an item, by frame.
      const auto listed = frames.find(row.name);
      const std::vector<std::string> text_frames =
          listed == frames.end() ? std::vector<std::string>() : listed->second;
      std::vector<std::string> json_frames;
      for (const json &flip : item["flips"]) {
        if (json_frames.size() == 20) break;
        json_frames.push_back(flip["frame"].is_number_integer()
                                  ? std::to_string(flip["frame"].get<long long>())
                                  : flip["frame"].dump());
      }
      EXPECT_EQ(text_frames, json_frames);
      flips += item["flips"].size();
      spins += item["spins_before"].size();
      spins_after += item["spins_after"].size();
    }
    EXPECT_EQ(found["totals"]["flips"], flips);
    EXPECT_EQ(found["totals"]["spins"], spins);
    EXPECT_EQ(found["totals"]["spins_after"], spins_after);
    if (flips == 0) {
      EXPECT_TRUE(contains(text.out, "\nclean: ")) << text.out;
    } else {
      EXPECT_TRUE(contains(text.out, "\n" + std::to_string(flips) +
                                         (flips == 1 ? " flip in " : " flips in ") +
                                         count(found["totals"]["flipped_items"])))
          << text.out;
    }
  }
}

TEST(JsonAgreesWithText, ScanOfEveryDataScene) {
  TemporaryFolder folder;
  for (const std::string &scene : data_scenes()) {
    SCOPED_TRACE(scene);
    const ProgramResult text = tavorix({"scan", scene}, folder.path());
    ProgramResult ran;
    const json report = json_report({"scan", scene}, folder.path(), "scan.json", &ran);
    EXPECT_EQ(ran.exit_code, text.exit_code);
    const json &found = report["scenes"][0];
    const json &totals = found["totals"];
    const std::size_t rewritten = totals["key_triples_rewritten"], changed = totals["items_changed"];
    EXPECT_TRUE(contains(text.out, std::to_string(rewritten) +
                                       (rewritten == 1 ? " key triple" : " key triples") + " rewritten in " +
                                       std::to_string(changed) + (changed == 1 ? " item\n" : " items\n")))
        << text.out;
    std::size_t sum = 0;
    for (const json &item : found["items"]) {
      sum += item["rewritten"].get<std::size_t>();
      EXPECT_EQ(item["rewritten"], item["flips"].size());
      // A listed item's row: name, key triples, rewritten, "a° → b°", "s → t".
      for (const std::string &line : lines_of(text.out)) {
        const std::vector<std::string> words = words_of(line);
        if (words.size() < 9 || line.rfind("  " + item["name"].get<std::string>() + " ", 0) != 0) continue;
        const std::size_t n = words.size();
        EXPECT_EQ(words[n - 8], count(item["key_triples"])) << line;
        EXPECT_EQ(words[n - 7], count(item["rewritten"])) << line;
        EXPECT_EQ(words[n - 3], std::to_string(item["spins_before"].size())) << line;
        EXPECT_EQ(words[n - 1], std::to_string(item["spins_after"].size())) << line;
      }
    }
    EXPECT_EQ(sum, rewritten);
    const std::size_t negated = totals["middle_slopes_negated"];
    std::size_t negated_by_item = 0;
    for (const json &item : found["items"])
      negated_by_item += item["middle_slopes_negated"].get<std::size_t>();
    EXPECT_EQ(negated_by_item, negated);
    if (negated != 0) {
      EXPECT_TRUE(contains(text.out, "\n" + std::to_string(negated) + " pitch key")) << text.out;
    } else {
      EXPECT_FALSE(contains(text.out, "stored slopes negated")) << text.out;
    }
    EXPECT_EQ(totals["items"], found["items"].size());
    EXPECT_TRUE(contains(text.out, "scan " + scene + ": " + std::to_string(found["items"].size())))
        << text.out;
  }
}

TEST(JsonAgreesWithText, PitchKeysSkippedAndKeysAdded) {
  // A pitch key at frame 15 with no heading or bank key there.
  TemporaryFolder folder;
  write_file(folder.file("apart.json"),
             "{\"fps\": 30, \"items\": [{\"name\": \"Rig\", \"kind\": \"null\", \"channels\": {"
             "\"Rotation.H\": [[0, 0], [1, 1.0]], \"Rotation.P\": [[0, 0], [0.5, 0.4], [1, 0]], "
             "\"Rotation.B\": [[0, 0], [1, 0]]}}]}");
  const ProgramResult text = tavorix({"check", "apart.json"}, folder.path());
  const json report = json_report({"check", "apart.json"}, folder.path(), "check.json");
  const json &skipped = report["scenes"][0]["items"][0]["pitch_keys_skipped"];
  EXPECT_EQ(skipped["count"], 1);
  EXPECT_TRUE(contains(text.out, "1 pitch key without heading and bank keys at its time")) << text.out;
  EXPECT_TRUE(report["scenes"][0]["key_missing"].is_null());

  const ProgramResult keyed = tavorix({"scan", "apart.json", "--key-missing"}, folder.path());
  const json added = json_report({"scan", "apart.json", "--key-missing"}, folder.path(), "scan.json");
  const json &key_missing = added["scenes"][0]["key_missing"];
  EXPECT_EQ(key_missing["added"], 2);  // heading and bank at frame 15
  EXPECT_EQ(key_missing["items"], 1);
  EXPECT_EQ(key_missing["largest_change"]["item"], "Rig");
  EXPECT_TRUE(contains(keyed.out, "key-missing: 2 keys added in 1 item")) << keyed.out;
  EXPECT_EQ(added["scenes"][0]["items"][0]["key_triples"], 3);
  EXPECT_EQ(added["options"]["key_missing"], true);
}

}  // namespace
