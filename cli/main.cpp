// tavorix: the module's servers run on scene files through the stand-in host.

#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <vector>

#include "cli/cli_failure.h"
#include "cli/platform_files.h"
#include "cli/subcommands.h"
#include "cli/version_text.h"
#include "host/process_memory.h"

int main(int argc, char **argv) {
  host::tune_allocator_for_large_scenes();
  CLI::App program(
      "tavorix: keeps the Euler rotation keys (heading, pitch, bank) of LightWave scenes free of "
      "flips, by running the module tavorix.p outside Layout.",
      "tavorix");
  program.require_subcommand(1);
  program.set_version_flag("--version", cli::version_text());
  program.footer(
      "Exit codes: 0 ok, 1 flips found (check), 2 bad input or usage, 3 the module failed.\n"
      "Examples:\n"
      "  tavorix demo\n"
      "  tavorix check shot.lws\n"
      "  tavorix scan shot.lws -o shot-fixed.lws --plot shot.svg\n"
      "Run 'tavorix SUBCOMMAND --help' for the options of each.");

  const std::vector<cli::Subcommand> subcommands = {
      cli::add_demo_command(program),     cli::add_scan_command(program), cli::add_inferior_command(program),
      cli::add_superior_command(program), cli::add_run_command(program),  cli::add_check_command(program),
      cli::add_plot_command(program)};

  try {
    // UTF-8 on every platform (file names beyond ASCII on Windows).
    const std::vector<std::string> words = cli::platform::arguments(argc, argv);
    std::vector<const char *> word_pointers;
    for (const std::string &word : words) word_pointers.push_back(word.c_str());
    program.parse(static_cast<int>(word_pointers.size()), word_pointers.data());
  } catch (const CLI::ParseError &error) {
    const int code = program.exit(error);
    return code == 0 ? cli::kExitOk : cli::kExitBadInput;
  }

  try {
    for (const cli::Subcommand &subcommand : subcommands) {
      if (subcommand.parser->parsed()) return subcommand.run();
    }
  } catch (const cli::CliFailure &failure) {
    std::cout.flush();
    std::cerr << "tavorix: " << failure.what() << '\n';
    return failure.code();
  } catch (const std::exception &error) {
    std::cout.flush();
    std::cerr << "tavorix: failed: " << error.what() << '\n';
    return cli::kExitModuleFailed;
  }
  return cli::kExitBadInput;
}
