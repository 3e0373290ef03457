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
//
// A failure about a place in a file (a scene line that cannot be read, a
// script line that cannot run) also keeps the file, the line (1-based) and
// the message alone, so that a JSON report can give them apart; what() then
// reads "FILE:LINE: message".
class CliFailure : public std::runtime_error {
 public:
  CliFailure(ExitCode code, const std::string &message)
      : std::runtime_error(message), code_(code), message_(message) {}
  CliFailure(ExitCode code, const std::string &file, int line, const std::string &message)
      : std::runtime_error(line > 0 ? file + ":" + std::to_string(line) + ": " + message
                                    : file + ": " + message),
        code_(code),
        file_(file),
        line_(line),
        message_(message) {}
  ExitCode code() const { return code_; }
  // The file the failure is about, empty when it is about none.
  const std::string &file() const { return file_; }
  int line() const { return line_; }  // 0 when no line applies
  // what() without the file and line.
  const std::string &message() const { return message_; }

 private:
  ExitCode code_;
  std::string file_;
  int line_ = 0;
  std::string message_;
};

inline CliFailure bad_input(const std::string &message) { return CliFailure(kExitBadInput, message); }
inline CliFailure module_failed(const std::string &message) { return CliFailure(kExitModuleFailed, message); }

}  // namespace cli::options
