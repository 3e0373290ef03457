#include "loader/module_loader.h"

#include <cstdio>

#include "host/host.h"
#include "host/placeholder_members.h"
#include "module/machine_word.h"
#include "platform/shared_library.h"

namespace loader {
namespace {

constexpr const char *kDescriptorSymbol = "_mod_descrip";
// A table without its all-null end record would be read past its end; stop
// well before that could run away.
constexpr std::size_t kMaxServerRecords = 4096;

std::string hex(unsigned int value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

// Unloads a library unless released.
struct LibraryGuard {
  void *library = nullptr;
  ~LibraryGuard() {
    if (library != nullptr) platform::close_library(library);
  }
};

int generic_evaluate(void *data, const char *command) {
  host::Host *target = static_cast<host::Host *>(data);
  return target == nullptr ? 0 : target->evaluate_command(command);
}

}  // namespace

std::unique_ptr<LoadedModule> LoadedModule::load(const std::string &path) {
  const std::string where = "module '" + path + "'";
  const std::string refusal = platform::module_file_refusal(path);
  if (!refusal.empty()) throw ModuleLoadError(where + ": " + refusal);

  std::string reason;
  LibraryGuard guard{platform::open_library(path, reason)};
  if (guard.library == nullptr) throw ModuleLoadError(where + ": not a loadable shared library: " + reason);

  const auto *descriptor =
      static_cast<const ModuleDescriptor *>(platform::find_symbol(guard.library, kDescriptorSymbol));
  if (descriptor == nullptr) {
    throw ModuleLoadError(where + ": no module descriptor (symbol " + kDescriptorSymbol + " not found)");
  }
  if (descriptor->sysSync != MOD_SYSSYNC) {
    throw ModuleLoadError(where + ": wrong synchronisation word in the descriptor: expected " +
                          hex(MOD_SYSSYNC) + ", found " + hex(descriptor->sysSync));
  }
  if (descriptor->sysVersion != MOD_SYSVER) {
    throw ModuleLoadError(where + ": unsupported module interface version: expected " +
                          std::to_string(MOD_SYSVER) + ", found " + std::to_string(descriptor->sysVersion));
  }
  if (descriptor->sysMachine != expected_machine_word()) {
    throw ModuleLoadError(where + ": wrong machine type in the descriptor: expected " +
                          hex(expected_machine_word()) + ", found " + hex(descriptor->sysMachine));
  }
  if (descriptor->startup == nullptr)
    throw ModuleLoadError(where + ": the descriptor has no startup function");
  if (descriptor->serverDefs == nullptr)
    throw ModuleLoadError(where + ": the descriptor has no server table");

  std::unique_ptr<LoadedModule> module(new LoadedModule());
  module->path_ = path;
  void *server_data = descriptor->startup();
  if (server_data == nullptr) throw ModuleLoadError(where + ": startup returned null");
  // From here the destructor calls shutdown and unloads.
  module->server_data_ = server_data;
  module->descriptor_ = descriptor;
  module->library_ = guard.library;
  guard.library = nullptr;

  const ServerRecord *records = descriptor->serverDefs;
  for (std::size_t i = 0;; ++i) {
    if (i == kMaxServerRecords) {
      throw ModuleLoadError(where + ": the server table has no all-null end record within " +
                            std::to_string(kMaxServerRecords) + " records");
    }
    const ServerRecord &record = records[i];
    if (record.className == nullptr) break;
    if (record.name == nullptr || record.activate == nullptr) {
      throw ModuleLoadError(where + ": server record " + std::to_string(i) + " of class '" +
                            record.className + "' has no " +
                            (record.name == nullptr ? "name" : "activation function"));
    }
    module->servers_.push_back(ServerInfo{record.className, record.name, record.activate});
  }
  return module;
}

LoadedModule::~LoadedModule() {
  if (descriptor_ != nullptr && descriptor_->shutdown != nullptr) descriptor_->shutdown(server_data_);
  if (library_ != nullptr) platform::close_library(library_);
}

const LoadedModule::ServerInfo *LoadedModule::find(const std::string &class_name,
                                                   const std::string &name) const {
  for (const ServerInfo &server : servers_) {
    if (server.class_name == class_name && server.name == name) return &server;
  }
  return nullptr;
}

int LoadedModule::activate(const std::string &class_name, const std::string &name, int version,
                           GlobalFunc *global, void *local) {
  const ServerInfo *server = find(class_name, name);
  if (server == nullptr) {
    std::string known;
    for (const ServerInfo &candidate : servers_) {
      known += (known.empty() ? "" : ", ") + candidate.class_name + " '" + candidate.name + "'";
    }
    throw ModuleLoadError("module '" + path_ + "': no server " + class_name + " '" + name +
                          "'; it has: " + (known.empty() ? "none" : known));
  }
  return server->activate(version, global, local, server_data_);
}

int run_generic(LoadedModule &module, host::Host &host, const std::string &server_name) {
  if (host::Host::current() != &host) {
    throw std::logic_error(
        "run_generic: the host given is not the current host, so the module would "
        "reach another host's services");
  }
  LWLayoutGeneric local{};
  // Scenes are the host's to load and save, and commands by code its own
  // business: the module runs its commands as text.
  HOST_PLACEHOLDER(LWLayoutGeneric, local, saveScene);
  HOST_PLACEHOLDER(LWLayoutGeneric, local, loadScene);
  local.data = &host;
  HOST_PLACEHOLDER(LWLayoutGeneric, local, lookup);
  HOST_PLACEHOLDER(LWLayoutGeneric, local, execute);
  local.evaluate = generic_evaluate;
  return module.activate(LWLAYOUTGENERIC_CLASS, server_name, LWLAYOUTGENERIC_VERSION, host.global_function(),
                         &local);
}

bool GenericRun::succeeded() const { return result == AFUNC_OK && !error && placeholder_calls.empty(); }

std::string GenericRun::failure() const {
  if (!placeholder_calls.empty()) {
    std::string members;
    for (const std::string &member : placeholder_calls) members += (members.empty() ? "" : ", ") + member;
    return "it called " + members + ", which a module must never call (built with another layout of the " +
           "host's tables?)";
  }
  if (error) return error->line1 + (error->line2.empty() ? "" : " " + error->line2);
  if (result != AFUNC_OK)
    return "it answered \"" + describe_result(result) + "\" (" + std::to_string(result) + ")";
  return {};
}

GenericRun run_generic_server(LoadedModule &module, host::Host &host, const std::string &server_name) {
  const std::size_t messages_before = host.messages().size();
  const std::size_t placeholders_before = host.placeholder_calls().size();
  GenericRun run;
  run.result = run_generic(module, host, server_name);
  const std::vector<host::HostMessage> messages = host.messages();
  for (std::size_t i = messages_before; i < messages.size(); ++i) {
    if (messages[i].kind == "error") {
      run.error = messages[i];
      break;
    }
  }
  const std::vector<std::string> placeholders = host.placeholder_calls();
  run.placeholder_calls.assign(placeholders.begin() + static_cast<std::ptrdiff_t>(placeholders_before),
                               placeholders.end());
  return run;
}

unsigned int expected_machine_word() { return KeyFrame::kModuleMachine; }

std::string describe_result(int code) {
  switch (code) {
    case AFUNC_OK: return "ok";
    case AFUNC_BADVERSION: return "bad version";
    case AFUNC_BADGLOBAL: return "missing host service";
    case AFUNC_BADLOCAL: return "unusable local data";
    case AFUNC_BADAPP: return "not for this application";
    case AFUNC_BADAPP_SILENT: return "not for this application (silently)";
    default: return "unknown result " + std::to_string(code);
  }
}

}  // namespace loader
