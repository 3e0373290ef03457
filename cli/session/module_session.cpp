#include "cli/session/module_session.h"

#include "cli/options/cli_failure.h"
#include "cli/options/module_search.h"

namespace cli::session {

std::unique_ptr<loader::LoadedModule> load_module(const std::string &path) {
  const options::ModuleChoice choice = options::choose_module(path);
  try {
    return loader::LoadedModule::load(choice.path);
  } catch (const loader::ModuleLoadError &error) {
    throw options::module_failed(std::string(error.what()) + " (" + choice.hint + ")");
  }
}

void run_module_command(loader::LoadedModule &module, host::Host &host, const std::string &server) {
  loader::GenericRun run;
  try {
    run = loader::run_generic_server(module, host, server);
  } catch (const loader::ModuleLoadError &error) {
    throw options::module_failed(error.what());
  }
  if (run.succeeded()) return;
  // The module's own words when it told the user why; the host's otherwise.
  if (run.error && run.placeholder_calls.empty())
    throw options::module_failed(run.failure() + " Nothing was written.");
  throw options::module_failed("the module's " + server + " failed: " + run.failure() +
                               "; nothing was written");
}

void set_host_output(host::Host &host, bool quiet) {
  host.set_draw_progress(!quiet);
  host.set_print_messages(!quiet);
  // A run that fails is reported once, by run_module_command, with the
  // module's own words.
  host.set_print_errors(false);
}

}  // namespace cli::session
