// Where tavorix finds the module without --module, and what --version says of
// it: --module before the variable TAVORIX_MODULE, the variable before the
// file beside the program, that file before the installed plug-in folder
// (bin/../TAVORIX_INSTALLED_MODULE_DIR), the last reached from the program's
// own folder so that an unpacked package works as an installed one.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "program_runner.h"
#include "support/build_paths.h"
#include "support/test_platform.h"

namespace {

using namespace cli_testing;
namespace fs = std::filesystem;

constexpr const char *kVariable = "TAVORIX_MODULE";

// Both separators read alike, so that paths compare on Windows too.
std::string slashed(std::string text) {
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

class ModuleSearch : public testing::Test {
 protected:
  ModuleSearch() {
    if (const char *value = std::getenv(kVariable)) saved_variable = value;
    testing_support::platform::set_environment_variable(kVariable, "");
    root = slashed(fs::canonical(folder.path()).string());
    fs::create_directories(root + "/usr/bin");
    program = root + "/usr/bin/" + fs::path(testing_support::build_paths::cli_program()).filename().string();
    fs::copy_file(testing_support::build_paths::cli_program(), program);
    write_file(folder.file("m02.lws"), read_file(real_scene_path("M02.seq_takeoff_02.lws")));
    write_file(folder.file("not-a-module.p"), "this is not a shared library\n");
  }
  ~ModuleSearch() override { testing_support::platform::set_environment_variable(kVariable, saved_variable); }

  static bool has_installed_folder() { return std::string(TAVORIX_INSTALLED_MODULE_DIR).size() > 0; }
  std::string beside() const { return root + "/usr/bin/tavorix.p"; }
  std::string installed() const { return root + "/usr/" + TAVORIX_INSTALLED_MODULE_DIR + "/tavorix.p"; }
  void install_module() const {
    fs::create_directories(fs::path(installed()).parent_path());
    fs::copy_file(testing_support::build_paths::module_file(), installed());
  }
  void set_variable(const std::string &value) const {
    testing_support::platform::set_environment_variable(kVariable, value);
  }

  // The copied program, run in the test's folder; a check of the M02 scene
  // exits 1 (a flip found) when a module was loaded.
  ProgramResult run(const std::vector<std::string> &arguments) const {
    ProgramResult result = run_program(program, arguments, folder.path());
    result.out = slashed(result.out);
    result.err = slashed(result.err);
    return result;
  }
  ProgramResult check(std::vector<std::string> extra = {}) const {
    std::vector<std::string> arguments = {"check", "m02.lws", "--select", "Cam", "--quiet"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return run(arguments);
  }

  TemporaryFolder folder;
  std::string saved_variable, root, program;
};

TEST_F(ModuleSearch, VersionOfTheBuiltProgramNamesTheModuleBesideIt) {
  const ProgramResult result = tavorix({"--version"}, folder.path());
  ASSERT_EQ(result.exit_code, 0) << result.err;
  const std::string out = slashed(result.out);
  const std::string module = slashed(fs::canonical(testing_support::build_paths::module_file()).string());
  EXPECT_TRUE(contains(out, "1. TAVORIX_MODULE: not set")) << out;
  EXPECT_TRUE(contains(out, "2. beside the program: " + module + " (found, used)")) << out;
  EXPECT_TRUE(contains(out, "\nmodule: " + module + "\n")) << out;
}

TEST_F(ModuleSearch, TheInstalledPlugInFolderIsFoundFromTheProgramsFolder) {
  if (!has_installed_folder()) GTEST_SKIP() << "this build has no installed plug-in folder";
  install_module();
  const ProgramResult version = run({"--version"});
  ASSERT_EQ(version.exit_code, 0) << version.err;
  EXPECT_TRUE(contains(version.out, "2. beside the program: " + beside() + " (not there)")) << version.out;
  EXPECT_TRUE(contains(version.out, "3. installed plug-in folder: " + installed() + " (found, used)"))
      << version.out;
  EXPECT_TRUE(contains(version.out, "\nmodule: " + installed() + "\n")) << version.out;
  const ProgramResult checked = check();
  EXPECT_EQ(checked.exit_code, 1) << checked.err;
}

// Each override is tried with something unusable behind it, so that a run
// that gets past the override shows which file it took.
TEST_F(ModuleSearch, OverridesComeInTheirOrder) {
  if (has_installed_folder()) install_module();
  write_file(beside(), "this is not a shared library\n");

  // Beside the program before the installed folder.
  ProgramResult result = check();
  EXPECT_EQ(result.exit_code, 3);
  EXPECT_TRUE(contains(result.err, beside())) << result.err;
  EXPECT_TRUE(contains(result.err, "--module")) << result.err;

  // The variable before the file beside the program.
  set_variable(testing_support::build_paths::module_file());
  result = check();
  EXPECT_EQ(result.exit_code, 1) << result.err;
  result = run({"--version"});
  EXPECT_TRUE(contains(
      result.out,
      "1. TAVORIX_MODULE: " + slashed(testing_support::build_paths::module_file()) + " (found, used)"))
      << result.out;
  EXPECT_TRUE(
      contains(result.out, "\nmodule: " + slashed(testing_support::build_paths::module_file()) + "\n"))
      << result.out;

  // --module before the variable.
  set_variable(folder.file("not-a-module.p"));
  result = check();
  EXPECT_EQ(result.exit_code, 3);
  EXPECT_TRUE(contains(result.err, "not-a-module.p")) << result.err;
  EXPECT_TRUE(contains(result.err, kVariable)) << result.err;
  result = check({"--module", testing_support::build_paths::module_file()});
  EXPECT_EQ(result.exit_code, 1) << result.err;
}

// A variable naming no file fails the run rather than letting another module
// be loaded in its place.
TEST_F(ModuleSearch, AVariableNamingNoFileIsNotPassedOver) {
  fs::copy_file(testing_support::build_paths::module_file(), beside());
  set_variable(folder.file("missing.p"));
  const ProgramResult result = check();
  EXPECT_EQ(result.exit_code, 3);
  EXPECT_TRUE(contains(result.err, "missing.p")) << result.err;
  EXPECT_TRUE(contains(result.err, kVariable)) << result.err;
  const ProgramResult version = run({"--version"});
  EXPECT_TRUE(contains(version.out, "missing.p (not there, used)")) << version.out;
  EXPECT_TRUE(contains(version.out, ", named by TAVORIX_MODULE, is not there")) << version.out;
}

TEST_F(ModuleSearch, NoModuleAnywhereNamesEveryPlaceLookedAt) {
  const ProgramResult result = check();
  EXPECT_EQ(result.exit_code, 3);
  EXPECT_TRUE(contains(result.err, "no module file tavorix.p found")) << result.err;
  EXPECT_TRUE(contains(result.err, beside())) << result.err;
  if (has_installed_folder()) {
    EXPECT_TRUE(contains(result.err, installed())) << result.err;
  }
  EXPECT_TRUE(contains(result.err, "--module")) << result.err;
  EXPECT_TRUE(contains(result.err, kVariable)) << result.err;
  const ProgramResult version = run({"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_TRUE(contains(version.out, "\nmodule: none found")) << version.out;
}

}  // namespace
