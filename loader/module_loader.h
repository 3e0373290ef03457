#pragma once

#include <lwgeneric.h>
#include <lwmodule.h>
#include <lwserver.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/host.h"

namespace loader {

// A module file could not be loaded, or a server asked for is not in it.
// The message names the file and what was expected and found.
class ModuleLoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A plug-in module file loaded into this process, started and ready to
// activate its servers. Destroying it calls the module's shutdown and
// unloads the file.
class LoadedModule {
 public:
  struct ServerInfo {
    std::string class_name;
    std::string name;
    ActivateFunc *activate = nullptr;
  };

  // Opens `path` (platform/shared_library.h: every reference resolved at once,
  // its symbols kept to itself), checks its descriptor
  // `_mod_descrip` (synchronisation word, interface version, machine type,
  // server table), calls its startup once and reads its server table up to
  // the all-null record. Throws ModuleLoadError on any failure, having
  // undone whatever it had done.
  static std::unique_ptr<LoadedModule> load(const std::string &path);

  ~LoadedModule();
  LoadedModule(const LoadedModule &) = delete;
  LoadedModule &operator=(const LoadedModule &) = delete;

  const std::string &path() const { return path_; }
  // The servers in the order of the module's table.
  const std::vector<ServerInfo> &servers() const { return servers_; }
  // The server of that class and name, or null.
  const ServerInfo *find(const std::string &class_name, const std::string &name) const;
  // What the module's startup returned; handed to every activation.
  void *server_data() const { return server_data_; }

  // Calls the server's activation with the startup's server data and returns
  // its result code (AFUNC_OK, ...). Throws ModuleLoadError when the module
  // has no such server.
  int activate(const std::string &class_name, const std::string &name, int version, GlobalFunc *global,
               void *local);

 private:
  LoadedModule() = default;

  std::string path_;
  void *library_ = nullptr;  // platform::open_library's handle
  const ModuleDescriptor *descriptor_ = nullptr;
  void *server_data_ = nullptr;
  std::vector<ServerInfo> servers_;
};

// Activates the "LayoutGeneric" server `server_name` with version
// LWLAYOUTGENERIC_VERSION, the global function of `host` and a
// LWLayoutGeneric record whose evaluate hands each command to
// Host::evaluate_command. Returns the activation's result code. `host` must
// be the current Host (std::logic_error otherwise), since the global
// function answers for that one; a missing server is a ModuleLoadError.
int run_generic(LoadedModule &module, host::Host &host, const std::string &server_name);

// What one run of a "LayoutGeneric" server came to, as a user of the host
// sees it. The host's result codes have no value for "could not finish": a
// server that cannot finish tells the user through "Info Messages 2" (error)
// and answers AFUNC_OK, so a run that posted an error has failed too.
struct GenericRun {
  int result = AFUNC_OK;
  // The first error the server posted during the run.
  std::optional<host::HostMessage> error;
  // Placeholder members of the host's tables the server called.
  std::vector<std::string> placeholder_calls;

  // AFUNC_OK, no error posted and no placeholder called.
  bool succeeded() const;
  // Why it did not succeed, in words: the error's lines, the placeholder
  // members, or the result code. Empty when it succeeded.
  std::string failure() const;
};

// run_generic, with what the server posted and called during the run.
GenericRun run_generic_server(LoadedModule &module, host::Host &host, const std::string &server_name);

// Words for an activation result code: "ok", "bad version",
// "missing host service", "unusable local data", "not for this
// application" (with or without telling the user), or "unknown result N".
std::string describe_result(int code);

// The machine word a module's descriptor must carry to be loaded here.
unsigned int expected_machine_word();

}  // namespace loader
