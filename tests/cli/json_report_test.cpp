// --report-format json: one document per run that says what the text says,
// with numbers that read back to the same doubles and errors as objects
// (file, line, message). Every report made here is checked against
// docs/report.schema.json (json_report_support.h).

#include <gtest/gtest.h>

#include "json_report_support.h"
#include "program_runner.h"

namespace {

using namespace cli_testing;
using nlohmann::json;

// One null, "Rig", at 30 fps: a heading step from 3.0 to -3.1 rad that
// whole turns make short (a flip at frame 30), pitch and bank 0.
const char kFlipScene[] =
    "{\"fps\": 30, \"items\": [{\"name\": \"Rig\", \"kind\": \"null\", \"channels\": {"
    "\"Rotation.H\": [[0, 3.0], [1, -3.1]], \"Rotation.P\": [[0, 0], [1, 0]], "
    "\"Rotation.B\": [[0, 0], [1, 0]]}}], \"selection\": [\"Rig\"]}";

class JsonReport : public testing::Test {
 protected:
  void SetUp() override { write_file(folder.file("flip.json"), kFlipScene); }
  TemporaryFolder folder;
};

TEST_F(JsonReport, CheckGivesTheRunTheSceneAndEachFlipWithItsFrameAndAngles) {
  ProgramResult result;
  const json report = json_report({"check", "flip.json"}, folder.path(), "check.json", &result);
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.out, "");  // the report went to its file
  EXPECT_EQ(report["format"], "tavorix-report");
  EXPECT_EQ(report["version"], 1);
  EXPECT_EQ(report["command"], "check");
  EXPECT_EQ(report["options"]["scenes"], json::array({"flip.json"}));
  ASSERT_EQ(report["scenes"].size(), 1u);
  const json &scene = report["scenes"][0];
  EXPECT_EQ(scene["format"], "json");
  EXPECT_EQ(scene["fps"], 30.0);
  EXPECT_EQ(scene["exit_code"], 1);
  EXPECT_EQ(scene["totals"]["flips"], 1);
  EXPECT_TRUE(scene["written"]["scene"].is_null());
  ASSERT_EQ(scene["items"].size(), 1u);
  const json &item = scene["items"][0];
  EXPECT_EQ(item["name"], "Rig");
  EXPECT_EQ(item["order"], "H-P-B");
  EXPECT_EQ(item["keys"], json({{"heading", 2}, {"pitch", 2}, {"bank", 2}}));
  ASSERT_EQ(item["flips"].size(), 1u);
  const json &flip = item["flips"][0];
  EXPECT_EQ(flip["frame"], 30);
  EXPECT_EQ(flip["time"], 1.0);
  EXPECT_EQ(flip["kind"], "whole_turns");
  // The values of the scene, exactly.
  EXPECT_EQ(flip["before"]["heading"]["radians"].get<double>(), -3.1);
  EXPECT_NEAR(flip["before"]["heading"]["degrees"].get<double>(), -177.6169164, 1e-6);
  EXPECT_NEAR(flip["after"]["heading"]["radians"].get<double>(), -3.1 + 2 * 3.141592653589793, 1e-9);
  EXPECT_EQ(item["spins_before"].size(), 1u);
  EXPECT_EQ(item["spins_after"].size(), 0u);
}

TEST_F(JsonReport, NumbersReadBackToTheDoublesTheScanWrote) {
  // The scan's JSON scene and its report give the same rewritten values:
  // both are written with the digits that read back to the same double.
  const json report = json_report({"scan", "flip.json", "-o", "fixed.json"}, folder.path(), "scan.json");
  const json fixed = json::parse(read_file(folder.file("fixed.json")));
  const json &key = fixed["items"][0]["channels"]["Rotation.H"];
  const json &heading_keys = key.is_array() ? key : key["keys"];
  const json &flip = report["scenes"][0]["items"][0]["flips"][0];
  EXPECT_EQ(flip["after"]["heading"]["radians"].get<double>(), heading_keys[1][1].get<double>());
  EXPECT_EQ(report["scenes"][0]["written"]["scene"], "fixed.json");
  EXPECT_EQ(report["scenes"][0]["totals"]["key_triples_rewritten"], 1);
  // And the report's text has no digits beyond those.
  const std::string text = read_file(folder.file("scan.json"));
  EXPECT_TRUE(contains(text, "\"radians\": -3.1,")) << text;
}

TEST_F(JsonReport, ErrorsAreObjectsWithTheFileAndLine) {
  // A JSON scene with a syntax error on its line 3.
  write_file(folder.file("broken.json"), "{\n  \"fps\": 30,\n  \"items\": [}\n");
  ProgramResult result;
  json report = json_report({"check", "broken.json"}, folder.path(), "broken-report.json", &result);
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_TRUE(contains(result.err, "tavorix: broken.json:3: ")) << result.err;  // said as before, too
  ASSERT_EQ(report["scenes"].size(), 1u);
  ASSERT_EQ(report["scenes"][0]["errors"].size(), 1u);
  const json &error = report["scenes"][0]["errors"][0];
  EXPECT_EQ(error["file"], "broken.json");
  EXPECT_EQ(error["line"], 3);
  EXPECT_FALSE(contains(error["message"].get<std::string>(), "broken.json")) << error;
  EXPECT_TRUE(report["errors"].empty());

  // A scene that is not there: its path, no line.
  report = json_report({"scan", "missing.lws"}, folder.path(), "missing-report.json", &result);
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_EQ(report["scenes"][0]["errors"][0]["file"], "missing.lws");
  EXPECT_TRUE(report["scenes"][0]["errors"][0]["line"].is_null());

  // A script line that cannot run: the script and its line; nothing written.
  write_file(folder.file("bad.txt"), "SelectByName Rig\nGoToFrame 10\nAddRotation 1 x 0\n");
  report = json_report({"run", "flip.json", "--script", "bad.txt", "-o", "out.json"}, folder.path(),
                       "run-report.json", &result);
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_FALSE(file_exists(folder.file("out.json")));
  const json &script_error = report["scenes"][0]["errors"][0];
  EXPECT_EQ(script_error["file"], "bad.txt");
  EXPECT_EQ(script_error["line"], 3);

  // An error of the run, not of a scene: -o with several scenes.
  report = json_report({"scan", "flip.json", "flip.json", "-o", "x.json"}, folder.path(), "run-error.json",
                       &result);
  EXPECT_EQ(result.exit_code, 2);
  ASSERT_EQ(report["errors"].size(), 1u);
  EXPECT_TRUE(report["errors"][0]["file"].is_null());
  EXPECT_TRUE(report["scenes"].empty());
}

TEST_F(JsonReport, SeveralScenesGiveOneDocumentWithEachSceneAndTheWorstExitCode) {
  write_file(folder.file("clean.json"),
             "{\"fps\": 24, \"items\": [{\"name\": \"Box\", \"kind\": \"object\", \"channels\": "
             "{\"Rotation.H\": [[0, 0], [1, 0.5]]}}]}");
  ProgramResult result;
  const json report =
      json_report({"check", "clean.json", "missing.json", "flip.json"}, folder.path(), "all.json", &result);
  EXPECT_EQ(result.exit_code, 2);
  ASSERT_EQ(report["scenes"].size(), 3u);
  EXPECT_EQ(report["scenes"][0]["exit_code"], 0);
  EXPECT_EQ(report["scenes"][0]["fps"], 24.0);
  EXPECT_EQ(report["scenes"][1]["exit_code"], 2);
  EXPECT_EQ(report["scenes"][1]["errors"].size(), 1u);
  // The scene after the failed one is reported in full.
  EXPECT_EQ(report["scenes"][2]["exit_code"], 1);
  EXPECT_EQ(report["scenes"][2]["items"][0]["flips"].size(), 1u);
}

TEST_F(JsonReport, TheToggleAndScriptCommandsReportTheirChanges) {
  for (const char *toggle : {"inferior", "superior"}) {
    ProgramResult result;
    const json report = json_report({toggle, "flip.json", "--frame", "30"}, folder.path(),
                                    std::string(toggle) + ".json", &result);
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(report["command"], toggle);
    EXPECT_EQ(report["options"]["frame"], 30.0);
    EXPECT_EQ(report["scenes"][0]["totals"]["key_triples_rewritten"], 1) << toggle;
    EXPECT_EQ(report["scenes"][0]["written"]["not_written"], "no -o or --in-place");
  }
  write_file(folder.file("turn.txt"), "AutoKey 0\nSelectByName Rig\nGoToFrame 30\nGeneric_Tavorix:Scan\n");
  ProgramResult result;
  const json report = json_report({"run", "flip.json", "--script", "turn.txt", "-o", "out.json"},
                                  folder.path(), "run.json", &result);
  EXPECT_EQ(result.exit_code, 0) << result.err;
  const json &scene = report["scenes"][0];
  EXPECT_EQ(scene["script"], "turn.txt");
  EXPECT_EQ(scene["commands_run"], 4);
  EXPECT_EQ(scene["totals"]["items_changed"], 1);
  ASSERT_EQ(scene["items"].size(), 1u);
  EXPECT_EQ(scene["items"][0]["rewritten"], 1);
  EXPECT_EQ(scene["written"]["scene"], "out.json");
}

TEST_F(JsonReport, TheStandardOutputBelongsToTheSceneWrittenThere) {
  // -o -: the scene on the standard output, the JSON report in its file.
  ProgramResult result;
  const json report = json_report({"scan", "flip.json", "-o", "-"}, folder.path(), "scan.json", &result);
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_TRUE(json::parse(result.out).contains("items"));
  EXPECT_EQ(report["scenes"][0]["written"]["scene"], "-");

  // Without --report the JSON report has nowhere to go: refused before any work.
  result = tavorix({"scan", "flip.json", "-o", "-", "--report-format", "json"}, folder.path());
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_TRUE(contains(result.err, "--report FILE")) << result.err;

  // Nor may the report replace the scene it reports on.
  const std::string before = read_file(folder.file("flip.json"));
  result = tavorix({"scan", "flip.json", "--in-place", "--report-format", "json", "--report", "flip.json"},
                   folder.path());
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_EQ(read_file(folder.file("flip.json")), before);
  EXPECT_EQ(folder.names(), std::vector<std::string>({"flip.json", "scan.json"}));
}

TEST_F(JsonReport, ATextReportIntoAFileIsTheTextOfTheStandardOutput) {
  for (const char *command : {"check", "scan"}) {
    const ProgramResult plain = tavorix({command, "flip.json"}, folder.path());
    const ProgramResult filed = tavorix({command, "flip.json", "--report", "report.txt"}, folder.path());
    EXPECT_EQ(filed.exit_code, plain.exit_code);
    EXPECT_EQ(filed.out, "");
    EXPECT_EQ(read_file(folder.file("report.txt")), plain.out) << command;
  }
}

TEST(ReportSchema, TellsAValidReportFromABrokenOne) {
  // The check every report of these tests goes through: it must be able to fail.
  if (!can_validate_reports()) GTEST_SKIP() << "no Python 3 with jsonschema here";
  TemporaryFolder folder;
  write_file(folder.file("flip.json"), kFlipScene);
  ASSERT_EQ(tavorix({"check", "flip.json", "--report-format", "json", "--report", "good.json"}, folder.path())
                .exit_code,
            1);
  json report = json::parse(read_file(folder.file("good.json")));
  EXPECT_EQ(schema_faults({folder.file("good.json")}), "");
  report["scenes"][0]["items"][0]["flips"][0]["before"]["heading"].erase("degrees");
  report["version"] = 2;
  write_file(folder.file("broken.json"), report.dump());
  const std::string faults = schema_faults({folder.file("broken.json")});
  EXPECT_TRUE(contains(faults, "/version")) << faults;
  EXPECT_TRUE(contains(faults, "/scenes/0/items/0/flips/0/before/heading")) << faults;
}

TEST(JsonReportOfHeldItems, AHeldItemGivesItsFileAndLine) {
  TemporaryFolder folder;
  // M02 with a rotation order line after Cam's declaration (line 219).
  const std::string text = read_file(real_scene_path("M02.seq_takeoff_02.lws"));
  std::size_t at = 0;
  for (int n = 0; n < 219; ++n) at = text.find('\n', at) + 1;
  write_file(folder.file("cam.lws"), text.substr(0, at) + "RotationOrder 4\r\n" + text.substr(at));
  ProgramResult result;
  const json report = json_report({"scan", "cam.lws"}, folder.path(), "held.json", &result);
  EXPECT_EQ(result.exit_code, 2);
  const json &scene = report["scenes"][0];
  EXPECT_EQ(scene["format"], "lws");
  EXPECT_EQ(scene["exit_code"], 2);
  ASSERT_EQ(scene["held_items"].size(), 1u);
  EXPECT_EQ(scene["held_items"][0]["name"], "Cam");
  EXPECT_EQ(scene["held_items"][0]["file"], "cam.lws");
  EXPECT_EQ(scene["held_items"][0]["line"], 220);
}

}  // namespace
