#pragma once

#include <set>
#include <string>
#include <vector>

// What the tests need of the operating system, in one small file per
// platform (test_platform_posix.cpp, test_platform_windows.cpp). Paths are
// UTF-8.
namespace testing_support::platform {

// Threads of this process, as the system lists them.
int thread_count();

// Minor page faults of the calling thread, or of the whole process, so far;
// -1 where the system does not count them so (Windows counts all faults of a
// process together, soft and hard).
long minor_page_faults_of_this_thread();
long minor_page_faults_of_this_process();

// The names the shared library or module file at `path` exports, read from
// the file (its dynamic symbol table, or its export directory).
std::set<std::string> exported_symbols(const std::string &path);

// A shared library of the system's own, one that has no module descriptor.
std::string system_library_path();

// Sets the environment variable `name` of this process, which the programs
// it starts inherit; an empty `value` removes it.
void set_environment_variable(const std::string &name, const std::string &value);

// Runs `program` with `arguments` in `working_folder`, its standard input
// empty, its standard output and error written to the files `out_path` and
// `err_path` (so that neither is a terminal), and returns its exit code
// (128 + the signal for one that a signal ended). Throws std::runtime_error
// when it cannot be started.
int run_program(const std::string &program, const std::vector<std::string> &arguments,
                const std::string &working_folder, const std::string &out_path, const std::string &err_path);

}  // namespace testing_support::platform
