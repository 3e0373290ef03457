#include "cli/module_session.h"

#include <unistd.h>

#include <vector>

#include "cli/cli_failure.h"

namespace cli {

std::string default_module_path() {
  std::vector<char> buffer(4096);
  const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (length <= 0) return "tavorix.p";
  const std::string program(buffer.data(), static_cast<std::size_t>(length));
  const std::size_t slash = program.rfind('/');
  return slash == std::string::npos ? "tavorix.p" : program.substr(0, slash + 1) + "tavorix.p";
}

std::unique_ptr<host::LoadedModule> load_module(const std::string &path) {
  try {
    return host::LoadedModule::load(path);
  } catch (const host::ModuleLoadError &error) {
    throw module_failed(std::string(error.what()) + " (choose the module file with --module PATH)");
  }
}

void run_generic_server(host::LoadedModule &module, host::Host &host, const std::string &server) {
  int result = 0;
  try {
    result = host::run_generic(module, host, server);
  } catch (const host::ModuleLoadError &error) {
    throw module_failed(error.what());
  }
  if (result != AFUNC_OK) {
    throw module_failed("the module's " + server + " answered \"" + host::describe_result(result) + "\" (" +
                        std::to_string(result) + "); nothing was written");
  }
}

void set_host_output(host::Host &host, bool quiet) {
  host.set_draw_progress(!quiet);
  host.set_print_messages(!quiet);
}

}  // namespace cli
