#pragma once

#include <optional>
#include <string>

namespace cli::options {

// Values of the options that several subcommands share (common_options.h
// declares them to the command-line parser).

struct ModuleOptions {
  std::string module_path;  // --module PATH
  bool quiet = false;       // --quiet
};

struct OutputOptions {
  std::string output;     // -o OUT
  bool in_place = false;  // --in-place
  std::string plot;       // --plot FILE.svg
};

// How the curves between keys are read, and --key-missing.
struct MotionOptions {
  std::string hermite_tangents = "scaled";  // --hermite-tangents scaled|stored
  bool key_missing = false;                 // --key-missing
};

// --report-format text|json and --report FILE: what the report is written
// as, and where (empty, or "-": the standard output).
struct ReportOptions {
  std::string format = "text";
  std::string file;
  bool json() const { return format == "json"; }
  bool to_standard_output() const { return file.empty() || file == "-"; }
};

struct TimeOptions {
  std::optional<double> time;   // --time T, seconds
  std::optional<double> frame;  // --frame F
};

}  // namespace cli::options
