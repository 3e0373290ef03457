#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "support/build_paths.h"
#include "support/test_platform.h"

namespace cli_testing {

// A fresh folder under the system's temporary folder, removed with what it
// holds when the object goes.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    std::random_device seed;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const std::filesystem::path candidate = base / ("tavorix-cli-" + std::to_string(seed()));
      if (std::filesystem::create_directory(candidate)) path_ = candidate.string();
    }
    if (path_.empty()) throw std::runtime_error("cannot make a temporary folder in " + base.string());
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TemporaryFolder(const TemporaryFolder &) = delete;
  TemporaryFolder &operator=(const TemporaryFolder &) = delete;

  const std::string &path() const { return path_; }
  std::string file(const std::string &name) const { return path_ + "/" + name; }

  // Names in the folder, sorted.
  std::vector<std::string> names() const {
    std::vector<std::string> found;
    for (const auto &entry : std::filesystem::directory_iterator(path_)) {
      found.push_back(entry.path().filename().string());
    }
    std::sort(found.begin(), found.end());
    return found;
  }

 private:
  std::string path_;
};

inline std::string read_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void write_file(const std::string &path, const std::string &text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + path);
}

inline bool file_exists(const std::string &path) { return std::filesystem::exists(path); }

struct ProgramResult {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// Runs `program` with `arguments` in the folder `working_folder`, standard
// input empty and both outputs captured through files (so neither is a
// terminal).
inline ProgramResult run_program(const std::string &program, const std::vector<std::string> &arguments,
                                 const std::string &working_folder) {
  TemporaryFolder capture;
  const std::string out_path = capture.file("out"), err_path = capture.file("err");
  ProgramResult result;
  result.exit_code =
      testing_support::platform::run_program(program, arguments, working_folder, out_path, err_path);
  result.out = read_file(out_path);
  result.err = read_file(err_path);
  return result;
}

// The built tavorix program, run in `working_folder`.
inline ProgramResult tavorix(const std::vector<std::string> &arguments, const std::string &working_folder) {
  return run_program(testing_support::build_paths::cli_program(), arguments, working_folder);
}

inline std::string real_scene_path(const std::string &name) {
  return std::string(testing_support::build_paths::source_dir()) + "/tests/data/scenes/" + name;
}

inline bool contains(const std::string &text, const std::string &part) {
  return text.find(part) != std::string::npos;
}

}  // namespace cli_testing
