#pragma once

#include <memory>
#include <string>

#include "host/host.h"
#include "loader/module_loader.h"

namespace cli::session {

// Loads the module file `path` (--module) or, when it is empty, the one the
// search finds (cli/options/module_search.h). Throws CliFailure (module
// failed) naming the file and why, with a hint at --module.
std::unique_ptr<loader::LoadedModule> load_module(const std::string &path);

// Runs the LayoutGeneric server `server` on `host`. Throws CliFailure (module
// failed) when the server answers anything but "ok", posts an error (it
// could not finish: the error's lines are the message) or calls a member of
// the host's tables that no module may call.
void run_module_command(loader::LoadedModule &module, host::Host &host, const std::string &server);

// How the host shows what the module says: the progress bar on a terminal
// and the module's messages on stderr, neither with `quiet`.
void set_host_output(host::Host &host, bool quiet);

}  // namespace cli::session
