#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "program_runner.h"
#include "support/build_paths.h"

namespace cli_testing {

// Whether the schema can be checked here: a Python 3 with jsonschema (not
// under Wine, where the tests of a Windows build run).
inline bool can_validate_reports() {
  static const bool can = [] {
    if (std::string(TAVORIX_PYTHON3).empty()) return false;
    TemporaryFolder folder;
    return run_program(TAVORIX_PYTHON3, {"-c", "import jsonschema"}, folder.path()).exit_code == 0;
  }();
  return can;
}

// Checks the report files against docs/report.schema.json; an empty text
// when all of them are valid, else what is wrong.
inline std::string schema_faults(const std::vector<std::string> &reports) {
  std::vector<std::string> arguments = {
      std::string(testing_support::build_paths::source_dir()) + "/tests/cli/validate_report.py",
      std::string(testing_support::build_paths::source_dir()) + "/docs/report.schema.json"};
  arguments.insert(arguments.end(), reports.begin(), reports.end());
  TemporaryFolder folder;
  const ProgramResult result = run_program(TAVORIX_PYTHON3, arguments, folder.path());
  if (result.exit_code == 0) return std::string();
  return "exit code " + std::to_string(result.exit_code) + ":\n" + result.out + result.err;
}

// Runs tavorix with `arguments` plus a JSON report into `report_path`, and
// returns the report read back; every report a test makes is checked
// against the schema here, when the schema can be checked.
inline nlohmann::json json_report(const std::vector<std::string> &arguments, const std::string &folder,
                                  const std::string &report_path, ProgramResult *result = nullptr) {
  std::vector<std::string> with_report = arguments;
  with_report.insert(with_report.end(), {"--report-format", "json", "--report", report_path});
  const ProgramResult ran = tavorix(with_report, folder);
  if (result != nullptr) *result = ran;
  const std::string path = report_path[0] == '/' ? report_path : folder + "/" + report_path;
  if (!file_exists(path)) {
    ADD_FAILURE() << "no report written; exit code " << ran.exit_code << "\n" << ran.err;
    return nlohmann::json();
  }
  if (can_validate_reports()) {
    const std::string faults = schema_faults({path});
    EXPECT_EQ(faults, "") << "the report of tavorix " << testing::PrintToString(arguments);
  }
  const nlohmann::json report = nlohmann::json::parse(read_file(path));
  EXPECT_EQ(report.value("exit_code", -1), ran.exit_code) << ran.err;
  return report;
}

}  // namespace cli_testing
