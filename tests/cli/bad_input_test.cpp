// Bad input and bad usage: exit code 2 (3 for the module), a message naming
// the file and line, and no file touched or left behind.

#include <gtest/gtest.h>

#include "program_runner.h"
#include "support/build_paths.h"

namespace {

using namespace cli_testing;

class BadInput : public testing::Test {
 protected:
  BadInput() {
    m02 = read_file(real_scene_path("M02.seq_takeoff_02.lws"));
    write_file(folder.file("good.lws"), m02);
  }

  // Writes `text` as NAME, runs tavorix with `arguments` and checks that it
  // failed with `code`, left NAME as it was and created no file.
  ProgramResult expect_failure(const std::string &name, const std::string &text,
                               const std::vector<std::string> &arguments, int code = 2) {
    if (!name.empty()) write_file(folder.file(name), text);
    const std::vector<std::string> files_before = folder.names();
    const ProgramResult result = tavorix(arguments, folder.path());
    EXPECT_EQ(result.exit_code, code) << result.out << result.err;
    if (!name.empty()) {
      EXPECT_EQ(read_file(folder.file(name)), text);
    }
    EXPECT_EQ(folder.names(), files_before) << "a file was written or left behind";
    EXPECT_EQ(result.err.rfind("tavorix: ", 0), 0u) << result.err;
    return result;
  }

  TemporaryFolder folder;
  std::string m02;
};

TEST_F(BadInput, AMalformedSceneNamesFileLineAndWhatWasExpected) {
  std::string broken = m02;
  broken.replace(broken.find("  Key 3.5709419 0 3"), 19, "  Key 3.5709419 zero 3");
  const ProgramResult result = expect_failure("broken.lws", broken, {"scan", "broken.lws", "-o", "out.lws"});
  EXPECT_TRUE(contains(result.err, "broken.lws:253: expected a number for the key's time, found 'zero'"))
      << result.err;

  for (const std::vector<std::string> &command :
       {std::vector<std::string>{"check", "broken.lws"},
        {"inferior", "broken.lws", "--all", "--frame", "3", "--in-place"},
        {"plot", "broken.lws"}}) {
    const ProgramResult again = expect_failure("broken.lws", broken, command);
    EXPECT_TRUE(contains(again.err, "broken.lws:253:")) << command[0] << ": " << again.err;
  }
}

TEST_F(BadInput, OldSceneVersionsAreRefusedWithTheReason) {
  std::string version2 = m02;
  version2.replace(version2.find("\r\n3\r\n"), 5, "\r\n2\r\n");
  const ProgramResult result = expect_failure("old.lws", version2, {"scan", "old.lws", "--in-place"});
  EXPECT_TRUE(contains(result.err, "old.lws:2: scene format version 2 is not supported")) << result.err;
  EXPECT_TRUE(contains(result.err, "degrees")) << result.err;
}

TEST_F(BadInput, AJsonSceneErrorNamesThePath) {
  const std::string text =
      "{\"items\": [{\"name\": \"A\", \"kind\": \"null\", \"channels\": {\"Rotation.X\": []}}]}";
  const ProgramResult result = expect_failure("bad.json", text, {"scan", "bad.json", "-o", "out.json"});
  EXPECT_TRUE(contains(result.err, "bad.json: items[0].channels.Rotation.X: unknown channel")) << result.err;
  const ProgramResult syntax =
      expect_failure("syntax.json", "{\n  \"items\": [\n}\n", {"check", "syntax.json"});
  EXPECT_TRUE(contains(syntax.err, "syntax.json:3: ")) << syntax.err;
}

TEST_F(BadInput, UnknownItemsMissingFilesAndOverwritingTheInputAreRefused) {
  const ProgramResult unknown =
      expect_failure("", "", {"scan", "good.lws", "--select", "Kam", "-o", "out.lws"});
  EXPECT_TRUE(contains(unknown.err, "good.lws: no item is named 'Kam'; its items are 'mesh_astroport.lwo'"))
      << unknown.err;
  const ProgramResult missing = expect_failure("", "", {"check", "missing.lws"});
  EXPECT_TRUE(contains(missing.err, "missing.lws: cannot be read")) << missing.err;
  const ProgramResult same = expect_failure("", "", {"scan", "good.lws", "-o", "./good.lws"});
  EXPECT_TRUE(contains(same.err, "use --in-place")) << same.err;
  const ProgramResult nothing_selected = expect_failure("", "", {"inferior", "good.lws", "--frame", "1"});
  EXPECT_TRUE(contains(nothing_selected.err, "no item is selected")) << nothing_selected.err;
  const ProgramResult json_to_lws =
      expect_failure("scene.json", "{\"items\": [{\"name\": \"A\", \"kind\": \"null\"}]}",
                     {"scan", "scene.json", "-o", "out.lws"});
  EXPECT_TRUE(contains(json_to_lws.err, "a .lws scene can only be written from a .lws scene"))
      << json_to_lws.err;
  EXPECT_EQ(read_file(folder.file("good.lws")), m02);
}

TEST_F(BadInput, UsageErrorsExitWithTwo) {
  for (const std::vector<std::string> &arguments :
       {std::vector<std::string>{},
        {"fix", "good.lws"},
        {"scan"},
        {"scan", "good.lws", "--bogus"},
        {"inferior", "good.lws", "--all"},
        {"inferior", "good.lws", "--all", "--time", "1", "--frame", "30"},
        {"scan", "good.lws", "-o", "a.lws", "--in-place"},
        {"scan", "good.lws", "--all", "--select", "Cam"}}) {
    const ProgramResult result = tavorix(arguments, folder.path());
    EXPECT_EQ(result.exit_code, 2) << (arguments.empty() ? "" : arguments[0]) << ": " << result.err;
    EXPECT_FALSE(result.err.empty());
  }
  EXPECT_EQ(read_file(folder.file("good.lws")), m02);
}

TEST_F(BadInput, AModuleThatCannotBeLoadedExitsWithThree) {
  const ProgramResult result =
      expect_failure("", "", {"scan", "good.lws", "--module", "no-such-module.p", "-o", "out.lws"}, 3);
  EXPECT_TRUE(contains(result.err, "no-such-module.p")) << result.err;
  EXPECT_TRUE(contains(result.err, "--module")) << result.err;
}

// A module built with another layout of the host's tables: the run stops at
// the first member it must never call, names it, exits 3 and writes nothing.
TEST_F(BadInput, AModuleCallingAMemberItMustNeverCallExitsWithThree) {
  write_file(folder.file("echo.txt"), "Generic_Fixture:Echo\n");
  const ProgramResult result = expect_failure(
      "", "",
      {"run", "good.lws", "--script", "echo.txt", "--module",
       testing_support::build_paths::host_fixture("calls_placeholder"), "-o", "out.lws", "--quiet"},
      3);
  EXPECT_TRUE(contains(result.err, "LWEnvelopeFuncs.destroy")) << result.err;
  EXPECT_TRUE(contains(result.err, "nothing was written")) << result.err;
}

TEST_F(BadInput, AScriptErrorNamesTheScriptLine) {
  write_file(folder.file("turn.txt"), "SelectByName Cam\n# comment\nAddRotation 10 ten 0\n");
  const ProgramResult result =
      expect_failure("", "", {"run", "good.lws", "--script", "turn.txt", "--in-place"});
  EXPECT_TRUE(contains(result.err, "turn.txt:3: AddRotation 10 ten 0: ")) << result.err;
  EXPECT_TRUE(contains(result.err, "nothing was written")) << result.err;
}

TEST_F(BadInput, HelpOfEverySubcommandExplainsItsOptionsWithAnExample) {
  for (const char *subcommand : {"demo", "scan", "inferior", "superior", "run", "check", "plot"}) {
    const ProgramResult help = tavorix({subcommand, "--help"}, folder.path());
    EXPECT_EQ(help.exit_code, 0) << subcommand;
    EXPECT_TRUE(contains(help.out, "Examples:\n  tavorix ")) << subcommand << ":\n" << help.out;
    EXPECT_TRUE(contains(help.out, "Options:")) << subcommand;
  }
}

}  // namespace
