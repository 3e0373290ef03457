#pragma once

#include <CLI/CLI.hpp>
#include <functional>

namespace cli::commands {

// A subcommand of the program: its parser (with its options bound) and what
// runs it once the command line has been read. `run` returns the exit code
// or throws CliFailure.
struct Subcommand {
  CLI::App *parser = nullptr;
  std::function<int()> run;
};

Subcommand add_demo_command(CLI::App &program);
Subcommand add_scan_command(CLI::App &program);
Subcommand add_inferior_command(CLI::App &program);
Subcommand add_superior_command(CLI::App &program);
Subcommand add_run_command(CLI::App &program);
Subcommand add_check_command(CLI::App &program);
Subcommand add_plot_command(CLI::App &program);

}  // namespace cli::commands
