// tavorix: the module's servers run on scene files through the stand-in host.

#include <CLI/CLI.hpp>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands/subcommands.h"
#include "cli/options/cli_failure.h"
#include "cli/options/version_text.h"
#include "platform/platform_files.h"
#include "platform/process_memory.h"

namespace {

// The first word that is neither an option nor an option's value, when it
// names no subcommand: what a mistyped subcommand looks like.
const char *unknown_subcommand(int argc, char **argv,
                               const std::vector<cli::commands::Subcommand> &subcommands) {
  if (argc < 2 || argv[1][0] == '-') return nullptr;
  for (const cli::commands::Subcommand &subcommand : subcommands) {
    if (subcommand.parser->check_name(argv[1])) return nullptr;
  }
  return argv[1];
}

std::string subcommand_names(const std::vector<cli::commands::Subcommand> &subcommands) {
  std::string names;
  for (const cli::commands::Subcommand &subcommand : subcommands) {
    names += (names.empty() ? "" : ", ") + subcommand.parser->get_name();
  }
  return names;
}

}  // namespace

int main(int argc, char **argv) {
  platform::tune_allocator_for_large_scenes();
  CLI::App program(
      "tavorix: keeps the Euler rotation keys (heading, pitch, bank) of LightWave scenes free of "
      "flips, by running the module tavorix.p outside Layout.",
      "tavorix");
  program.require_subcommand(1);
  program.set_version_flag(
      "--version", cli::options::version_text,
      "Print the version, where the module is looked for and which one is found, and exit");
  program.footer(
      "A key triple is an item's heading, pitch and bank keys at one time; a flip is a key triple that\n"
      "'tavorix scan' rewrites into the equivalent triple that turns the short way.\n\n"
      "Exit codes: 0 ok, 1 flips found (check), 2 bad input or usage, 3 the module failed.\n\n"
      "Examples:\n"
      "  tavorix demo\n"
      "  tavorix check shot.lws\n"
      "  tavorix scan shot.lws -o shot-fixed.lws --plot shot.svg\n\n"
      "Run 'tavorix SUBCOMMAND --help' for the options of each.");

  const std::vector<cli::commands::Subcommand> subcommands = {
      cli::commands::add_demo_command(program),     cli::commands::add_scan_command(program),
      cli::commands::add_inferior_command(program), cli::commands::add_superior_command(program),
      cli::commands::add_run_command(program),      cli::commands::add_check_command(program),
      cli::commands::add_plot_command(program)};

  if (const char *unknown = unknown_subcommand(argc, argv, subcommands)) {
    std::cerr << "tavorix: unknown subcommand '" << unknown << "'; the subcommands are "
              << subcommand_names(subcommands) << " (see tavorix --help)\n";
    return cli::options::kExitBadInput;
  }
  try {
    // UTF-8 on every platform (file names beyond ASCII on Windows).
    const std::vector<std::string> words = platform::arguments(argc, argv);
    std::vector<const char *> word_pointers;
    for (const std::string &word : words) word_pointers.push_back(word.c_str());
    program.parse(static_cast<int>(word_pointers.size()), word_pointers.data());
  } catch (const CLI::Success &done) {
    return program.exit(done);  // --help, --version
  } catch (const CLI::ParseError &error) {
    const CLI::App *failed = &program;
    for (const cli::commands::Subcommand &subcommand : subcommands) {
      if (subcommand.parser->parsed()) failed = subcommand.parser;
    }
    std::cerr << "tavorix: " << (failed == &program ? "" : failed->get_name() + ": ") << error.what()
              << "\nRun 'tavorix " << (failed == &program ? "" : failed->get_name() + " ")
              << "--help' for more information.\n";
    return cli::options::kExitBadInput;
  }

  try {
    for (const cli::commands::Subcommand &subcommand : subcommands) {
      if (subcommand.parser->parsed()) return subcommand.run();
    }
  } catch (const cli::options::CliFailure &failure) {
    std::cout.flush();
    std::cerr << "tavorix: " << failure.what() << '\n';
    return failure.code();
  } catch (const std::exception &error) {
    std::cout.flush();
    std::cerr << "tavorix: failed: " << error.what() << '\n';
    return cli::options::kExitModuleFailed;
  }
  return cli::options::kExitBadInput;
}
