#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

extern char **environ;

namespace cli_testing {

// A fresh folder under the system's temporary folder, removed with what it
// holds when the object goes.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    const char *base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/tavorix-cli-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = name.data();
  }
  ~TemporaryFolder() { remove_tree(path_); }
  TemporaryFolder(const TemporaryFolder &) = delete;
  TemporaryFolder &operator=(const TemporaryFolder &) = delete;

  const std::string &path() const { return path_; }
  std::string file(const std::string &name) const { return path_ + "/" + name; }

  // Names in the folder, sorted.
  std::vector<std::string> names() const {
    std::vector<std::string> found;
    if (DIR *dir = opendir(path_.c_str())) {
      while (dirent *entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") found.push_back(name);
      }
      closedir(dir);
    }
    std::sort(found.begin(), found.end());
    return found;
  }

 private:
  static void remove_tree(const std::string &path) {
    if (DIR *dir = opendir(path.c_str())) {
      while (dirent *entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string child = path + "/" + name;
        struct stat info;
        if (lstat(child.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
          remove_tree(child);
        } else {
          unlink(child.c_str());
        }
      }
      closedir(dir);
    }
    rmdir(path.c_str());
  }

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

inline bool file_exists(const std::string &path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

struct ProgramResult {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// Runs `program` with `arguments` in the folder `working_folder`, standard
// input from /dev/null and both outputs captured through files (so neither is
// a terminal).
inline ProgramResult run_program(const std::string &program, const std::vector<std::string> &arguments,
                                 const std::string &working_folder) {
  TemporaryFolder capture;
  const std::string out_path = capture.file("out"), err_path = capture.file("err");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

  posix_spawn_file_actions_addchdir_np(&actions, working_folder.c_str());
  std::vector<std::string> words = {program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char *> argv;
  for (std::string &word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start " + program);

  int status = 0;
  waitpid(pid, &status, 0);
  ProgramResult result;
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = read_file(out_path);
  result.err = read_file(err_path);
  return result;
}

// The built tavorix program, run in `working_folder`.
inline ProgramResult tavorix(const std::vector<std::string> &arguments, const std::string &working_folder) {
  return run_program(TAVORIX_CLI_PATH, arguments, working_folder);
}

inline std::string real_scene_path(const std::string &name) {
  return std::string(TAVORIX_SOURCE_DIR) + "/tests/data/scenes/" + name;
}

inline bool contains(const std::string &text, const std::string &part) {
  return text.find(part) != std::string::npos;
}

}  // namespace cli_testing
