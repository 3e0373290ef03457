// The tests' system calls on POSIX systems.
#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <memory>
#include <stdexcept>

#include "support/test_platform.h"

extern char **environ;

namespace testing_support::platform {

int thread_count() {
  const std::filesystem::directory_iterator tasks("/proc/self/task");
  return static_cast<int>(std::distance(begin(tasks), end(tasks)));
}

long minor_page_faults_of_this_thread() {
#if defined(RUSAGE_THREAD)
  rusage usage{};
  if (getrusage(RUSAGE_THREAD, &usage) != 0) return -1;
  return usage.ru_minflt;
#else
  return -1;
#endif
}

long minor_page_faults_of_this_process() {
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return -1;
  return usage.ru_minflt;
}

std::set<std::string> exported_symbols(const std::string &path) {
  const std::string command = "nm -D --defined-only '" + path + "'";
  std::unique_ptr<FILE, int (*)(FILE *)> pipe(popen(command.c_str(), "r"), pclose);
  if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
  std::set<std::string> symbols;
  char line[512];
  while (std::fgets(line, sizeof line, pipe.get()) != nullptr) {
    char address[64], type[8], name[400];
    if (std::sscanf(line, "%63s %7s %399s", address, type, name) == 3) symbols.insert(name);
  }
  return symbols;
}

// The C maths library, as the dynamic linker finds it.
std::string system_library_path() {
  void *library = dlopen("libm.so.6", RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return "";
  Dl_info info{};
  void *cosine = dlsym(library, "cos");
  std::string path = cosine != nullptr && dladdr(cosine, &info) != 0 ? info.dli_fname : "";
  dlclose(library);
  return path;
}

void set_environment_variable(const std::string &name, const std::string &value) {
  const int failed = value.empty() ? ::unsetenv(name.c_str()) : ::setenv(name.c_str(), value.c_str(), 1);
  if (failed != 0) throw std::runtime_error("cannot set the environment variable " + name);
}

int run_program(const std::string &program, const std::vector<std::string> &arguments,
                const std::string &working_folder, const std::string &out_path, const std::string &err_path) {
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
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace testing_support::platform
