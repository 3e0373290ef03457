#pragma once

#include <stdexcept>
#include <string>

namespace cli::options {

// The program's exit codes.
enum ExitCode : int {
  kExitOk = 0,
  kExitFlipsFound = 1,   // check: the scene has jumps or out-of-turn keys
  kExitBadInput = 2,     // a file or an argument could not be used
  kExitModuleFailed = 3  // the module could not be loaded, or a server answered other than "ok"
};

// Ends the run with `code` after printing what() (prefixed "tavorix: ") on
// stderr. Thrown before anything is written, so that a failed run leaves
// every file as it was.
class CliFailure : public std::runtime_error {
 public:
  CliFailure(ExitCode code, const std::string &message) : std::runtime_error(message), code_(code) {}
  ExitCode code() const { return code_; }

 private:
  ExitCode code_;
};

inline CliFailure bad_input(const std::string &message) { return CliFailure(kExitBadInput, message); }
inline CliFailure module_failed(const std::string &message) { return CliFailure(kExitModuleFailed, message); }

}  // namespace cli::options
