#include "loader/master_handlers.h"

#include <algorithm>

#include "host/host.h"
#include "host/placeholder_members.h"
#include "loader/module_loader.h"

namespace loader {

struct MasterHandlers::Entry {
  Id id = 0;
  std::string server;
  LWInstanceFuncs funcs{};
  LWMasterHandler record{};
  LWInstance instance = nullptr;
  int running = 0;       // event calls of this handler in progress
  bool removed = false;  // removed while running; destroyed when the call returns
};

namespace {

void destroy_instance(LWInstanceFuncs &funcs, LWInstance &instance) {
  if (instance != nullptr && funcs.destroy != nullptr) funcs.destroy(instance);
  instance = nullptr;
}

// Counts an event call of one handler for the length of a scope.
class RunningCall {
 public:
  explicit RunningCall(int &running) : running_(running) { ++running_; }
  ~RunningCall() { --running_; }
  RunningCall(const RunningCall &) = delete;
  RunningCall &operator=(const RunningCall &) = delete;

 private:
  int &running_;
};

}  // namespace

MasterHandlers::MasterHandlers(host::Host &host) : host_(host) {}

MasterHandlers::~MasterHandlers() {
  // Newest first, the reverse of the order they were made in.
  while (!entries_.empty()) {
    std::unique_ptr<Entry> entry = std::move(entries_.back());
    entries_.pop_back();
    destroy_instance(entry->funcs, entry->instance);
  }
}

MasterHandlers::Id MasterHandlers::add(LoadedModule &module, const std::string &server_name) {
  const LoadedModule::ServerInfo *server = module.find(LWMASTER_HCLASS, server_name);
  if (server == nullptr) {
    throw ModuleLoadError("module " + module.path() + " has no " LWMASTER_HCLASS " server named '" +
                          server_name + "'");
  }
  return add(server->activate, module.server_data(), server_name);
}

MasterHandlers::Id MasterHandlers::add(ActivateFunc *activate, void *server_data,
                                       const std::string &server_name) {
  if (activate == nullptr) throw std::invalid_argument("MasterHandlers::add: no activation function given");
  if (host::Host::current() != &host_) {
    throw std::logic_error(
        "MasterHandlers::add: the handlers' host is not the current host, so the handler would reach "
        "another host's services");
  }
  auto entry = std::make_unique<Entry>();
  entry->server = server_name;
  entry->record.inst = &entry->funcs;
  entries_.reserve(entries_.size() + 1);  // so that adding the entry below cannot fail

  const std::size_t messages_before = host_.messages().size();
  const std::size_t placeholders_before = host_.placeholder_calls().size();
  const int result = activate(LWMASTER_VERSION, host_.global_function(), &entry->record, server_data);
  if (result != AFUNC_OK) {
    throw MasterHandlerError("master handler '" + server_name + "': activation answered " +
                             describe_result(result));
  }
  // A server that cannot finish says so through the message service and
  // answers AFUNC_OK.
  const std::vector<host::HostMessage> messages = host_.messages();
  for (std::size_t i = messages_before; i < messages.size(); ++i) {
    if (messages[i].kind == "error") {
      throw MasterHandlerError("master handler '" + server_name +
                               "': activation failed: " + messages[i].line1 +
                               (messages[i].line2.empty() ? "" : " " + messages[i].line2));
    }
  }
  const std::vector<std::string> placeholders = host_.placeholder_calls();
  if (placeholders.size() > placeholders_before) {
    throw MasterHandlerError("master handler '" + server_name + "': activation called " +
                             placeholders[placeholders_before] + ", which a module must never call");
  }
  if (entry->funcs.create == nullptr) {
    throw MasterHandlerError("master handler '" + server_name + "': its activation set no create function");
  }
  LWError error = nullptr;
  entry->instance = entry->funcs.create(entry->funcs.priv, nullptr, &error);
  if (entry->instance == nullptr) {
    throw MasterHandlerError("master handler '" + server_name +
                             "': create failed: " + (error != nullptr ? error : "no error text given"));
  }
  entry->id = next_id_++;
  entries_.push_back(std::move(entry));
  return entries_.back()->id;
}

void MasterHandlers::remove(Id id) {
  Entry *entry = find(id);
  if (entry == nullptr || entry->removed) return;
  entry->removed = true;
  if (entry->running == 0) erase(id);
}

bool MasterHandlers::contains(Id id) const {
  const Entry *entry = find(id);
  return entry != nullptr && !entry->removed;
}

std::size_t MasterHandlers::size() const {
  return static_cast<std::size_t>(
      std::count_if(entries_.begin(), entries_.end(), [](const auto &entry) { return !entry->removed; }));
}

std::vector<MasterHandlers::Id> MasterHandlers::ids() const {
  std::vector<Id> live;
  for (const auto &entry : entries_) {
    if (!entry->removed) live.push_back(entry->id);
  }
  return live;
}

const std::string &MasterHandlers::server_name(Id id) const { return get(id).server; }

const LWMasterHandler &MasterHandlers::record(Id id) const { return get(id).record; }

LWInstance MasterHandlers::instance(Id id) const { return get(id).instance; }

std::string MasterHandlers::description(Id id) const {
  Entry &entry = get(id);
  if (entry.funcs.descln == nullptr) return {};
  const char *text = entry.funcs.descln(entry.instance);
  return text != nullptr ? text : "";
}

void MasterHandlers::command(const std::string &text) {
  // The handlers get a buffer of their own; the caller's string is never
  // handed out.
  std::string copy = text;
  send(LWEVNT_COMMAND, copy.data());
}

void MasterHandlers::time_changed() { send(LWEVNT_TIME, nullptr); }

void MasterHandlers::selection_changed() { send(LWEVNT_SELECT, nullptr); }

void MasterHandlers::send(int event_code, void *event_data) {
  // A handler's event may run commands that add or remove handlers: the
  // order is fixed first, and each handler is looked up again before its call.
  for (Id id : ids()) {
    Entry *entry = find(id);
    if (entry == nullptr || entry->removed || entry->record.event == nullptr) continue;
    LWMasterAccess access{};
    access.eventCode = event_code;
    access.eventData = event_data;
    access.data = this;
    // Commands by code are the host's own business: the module runs its
    // commands as text.
    HOST_PLACEHOLDER(LWMasterAccess, access, lookup);
    HOST_PLACEHOLDER(LWMasterAccess, access, execute);
    access.evaluate = &MasterHandlers::evaluate;
    {
      RunningCall running(entry->running);
      entry->record.event(entry->instance, &access);
    }
    if (entry->removed && entry->running == 0) erase(id);
  }
}

int MasterHandlers::evaluate(void *data, const char *command) {
  auto *handlers = static_cast<MasterHandlers *>(data);
  return handlers == nullptr ? 0 : handlers->host_.evaluate_command(command);
}

MasterHandlers::Entry *MasterHandlers::find(Id id) const {
  for (const auto &entry : entries_) {
    if (entry->id == id) return entry.get();
  }
  return nullptr;
}

MasterHandlers::Entry &MasterHandlers::get(Id id) const {
  Entry *entry = find(id);
  if (entry == nullptr || entry->removed) {
    throw std::out_of_range("MasterHandlers: no handler with id " + std::to_string(id));
  }
  return *entry;
}

void MasterHandlers::erase(Id id) {
  auto it =
      std::find_if(entries_.begin(), entries_.end(), [id](const auto &entry) { return entry->id == id; });
  if (it == entries_.end()) return;
  std::unique_ptr<Entry> entry = std::move(*it);
  entries_.erase(it);
  destroy_instance(entry->funcs, entry->instance);
}

}  // namespace loader
