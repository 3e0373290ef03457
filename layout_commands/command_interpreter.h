#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <map>
#include <string>
#include <vector>

namespace host {
class Host;
struct MonitorCall;
}  // namespace host
namespace loader {
class LoadedModule;
class MasterHandlers;
}  // namespace loader
namespace scene {
struct Item;
}  // namespace scene

namespace layout_commands {

struct LayoutCommand;

// A rotation in radians: heading, pitch, bank (channels Rotation.H, .P, .B).
struct RotationValue {
  double heading = 0.0;
  double pitch = 0.0;
  double bank = 0.0;
};

// What running a script or a command came to.
struct CommandResult {
  bool ok = true;
  std::size_t commands_run = 0;  // commands of the script (or the one command) that ran
  std::size_t line = 0;          // 1-based line of the failing command; 0 outside a script
  std::string command;           // the failing command's text
  std::string error;             // e.g. "line 3: AddRotation 1 x 0: 'x' is not a finite number"
  // The failure was the module's: a server failed, or a master handler
  // could not follow the command (rather than a command the host refused).
  bool module_failed = false;
};

// Where the interpreter tells its user about what the commands did.
struct InterpreterHooks {
  // Each RefreshNow that runs, also those a module or handler evaluates.
  std::function<void()> on_refresh;
  // Each progress-monitor call a Generic_ server made, in order, once the
  // server has returned.
  std::function<void(const host::MonitorCall &)> on_progress;
};

// Runs Layout commands (docs/layout-commands.md) on a Host's scene.
//
// Scripts hold one command a line; blank lines and lines whose first
// non-blank character is '#' are skipped. A command that cannot run (unknown
// word, malformed or missing argument, unknown item or server) is an error
// naming its line and text, and the script stops there. Every command is
// checked in full before it changes anything, so the scene is then as the
// last good command left it.
//
// Every command that runs is reported to the master handlers as a command
// event carrying its text exactly as written. A command that changes the
// selection or the current time first sends the selection or time event, then
// its command event. Generic_<server> is the exception: it is reported
// before the server runs, so that a handler drops what it holds of the keys
// before the server rewrites them.
//
// While it exists the interpreter is the host's command_sink: commands that a
// module evaluates (a generic server's or a master handler's evaluate) run
// here too and are reported like any other; such commands may nest up to
// kMaxNesting deep, beyond which they are refused, so handlers that answer
// every command with another command cannot recurse without end.
//
// Rotation and AddRotation act on every selected item at the current time.
// With AutoKey on (the default) they write the three rotation keys there,
// creating the ones that are missing. With AutoKey off they change only the
// item's current rotation: an override that lasts until the current time
// changes or a key is made at the current time. The current rotation is the
// override, else the rotation channels' values at the current time.
class CommandInterpreter {
 public:
  static constexpr int kMaxNesting = 16;

  // `module` may be null (Generic_ commands then fail), as may `handlers`
  // (no events are sent). All three must outlive the interpreter.
  CommandInterpreter(host::Host &host, loader::LoadedModule *module, loader::MasterHandlers *handlers);
  ~CommandInterpreter();
  CommandInterpreter(const CommandInterpreter &) = delete;
  CommandInterpreter &operator=(const CommandInterpreter &) = delete;

  CommandResult run_script(const std::string &script);
  CommandResult run_script(std::istream &script);
  // One command text, as a module's evaluate passes it.
  CommandResult run_command(const std::string &text);

  void set_hooks(InterpreterHooks hooks) { hooks_ = std::move(hooks); }

  bool auto_key() const { return auto_key_; }
  std::uint64_t refresh_count() const { return refresh_count_; }
  RotationValue current_rotation(const scene::Item &item) const;
  bool has_rotation_override(const scene::Item &item) const;
  // Commands evaluated on behalf of a module or handler that were refused,
  // as error messages, in order. Their evaluate got 0.
  const std::vector<std::string> &evaluate_errors() const { return evaluate_errors_; }

 private:
  // Runs one command; false with `error` set when it could not run.
  // `module_failed` tells a failure of the module's from one of the command's.
  bool execute(const std::string &text, std::string &error, bool &module_failed);
  bool run_generic_command(const std::string &text, const std::string &server, std::string &error);
  void apply(const LayoutCommand &command);
  void change_selection(const std::function<void()> &change);
  void set_time(double seconds);
  void set_rotation(const LayoutCommand &command);
  void create_keys(double time);
  void delete_keys(double time);
  void report(const std::string &text);

  host::Host &host_;
  loader::LoadedModule *module_;
  loader::MasterHandlers *handlers_;
  InterpreterHooks hooks_;
  std::function<int(const std::string &)> previous_sink_;
  std::map<const scene::Item *, RotationValue> overrides_;
  std::vector<std::string> evaluate_errors_;
  std::uint64_t refresh_count_ = 0;
  int nesting_ = 0;
  bool auto_key_ = true;
};

}  // namespace layout_commands
