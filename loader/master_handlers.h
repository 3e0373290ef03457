#pragma once

#include <lwmaster.h>
#include <lwserver.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace host {
class Host;
}  // namespace host

namespace loader {

class LoadedModule;

// A master handler could not be added: its activation refused, or its
// create returned no instance. The message names the server and the reason
// (the activation result, or the error text the instance's create gave).
class MasterHandlerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The master-handler instances a scene holds, and the events the host passes
// them.
//
// Each added handler is activated with LWMASTER_VERSION and its own
// LWMasterHandler record and LWInstanceFuncs table, then an instance is made
// through inst->create. Events go to every instance in the order the handlers
// were added, as LWMasterAccess records whose evaluate runs a command through
// Host::evaluate_command (and so through the command interpreter plugged into
// Host::command_sink, which reports that command to the handlers in turn).
//
// Lifetime: instances are destroyed through inst->destroy when removed or when
// this object goes away. It must therefore go away before the Host it was made
// for and before any module whose handlers it holds is unloaded.
class MasterHandlers {
 public:
  using Id = std::uint64_t;

  explicit MasterHandlers(host::Host &host);
  ~MasterHandlers();
  MasterHandlers(const MasterHandlers &) = delete;
  MasterHandlers &operator=(const MasterHandlers &) = delete;

  // Adds an instance of the "MasterHandler" server `server_name` of `module`
  // and returns its id. Throws ModuleLoadError when the module has no such
  // server, MasterHandlerError when activation or create fails, and
  // std::logic_error when the host is not the current Host (the global
  // function would answer for another one).
  Id add(LoadedModule &module, const std::string &server_name);
  // The same for an activation function of this process.
  Id add(ActivateFunc *activate, void *server_data, const std::string &server_name);

  // Destroys the instance. When its event callback is running (a command it
  // evaluates removes it), the destruction waits until that call returns.
  // Unknown ids are ignored.
  void remove(Id id);

  bool contains(Id id) const;
  std::size_t size() const;
  // Ids of the live handlers, in the order they were added.
  std::vector<Id> ids() const;

  // For inspection. Throw std::out_of_range for an unknown id.
  const std::string &server_name(Id id) const;
  const LWMasterHandler &record(Id id) const;
  LWInstance instance(Id id) const;
  // The instance's descln text; empty when it offers none.
  std::string description(Id id) const;

  // Events, to every handler.
  void command(const std::string &text);  // LWEVNT_COMMAND, the text as eventData
  void time_changed();                    // LWEVNT_TIME
  void selection_changed();               // LWEVNT_SELECT
  // Any event code with its data as given (null text, unknown codes).
  void send(int event_code, void *event_data);

 private:
  struct Entry;

  static int evaluate(void *data, const char *command);
  Entry *find(Id id) const;
  Entry &get(Id id) const;
  void erase(Id id);

  host::Host &host_;
  std::vector<std::unique_ptr<Entry>> entries_;
  Id next_id_ = 1;
};

}  // namespace loader
