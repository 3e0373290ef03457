#include "layout_commands/command_interpreter.h"

#include <cmath>
#include <iterator>
#include <string_view>

#include "host/host.h"
#include "layout_commands/layout_command.h"
#include "loader/master_handlers.h"
#include "loader/module_loader.h"
#include "scene/envelope_evaluation.h"
#include "scene/rotation_channels.h"
#include "scene/scene.h"
#include "text/frame_time.h"
#include "text/text_lines.h"

namespace layout_commands {
namespace {

// The same factor the module reads command amounts with, so that a key the
// host writes for "Rotation 10 0 0" and the offset the module reads from
// "AddRotation 10 0 0" are the same double.
constexpr double kRadiansPerDegree = 0.017453292519943295;

// 0, 1, 2 for the heading, pitch and bank channel; -1 for any other.
int rotation_channel_index(const std::string &name) {
  for (int c = 0; c < 3; ++c) {
    if (name == scene::kRotationChannelNames[c]) return c;
  }
  return -1;
}

double component(const RotationValue &value, int channel) {
  return channel == 0 ? value.heading : channel == 1 ? value.pitch : value.bank;
}

bool skipped_line(std::string_view line) {
  const std::string_view text = text::trim_blanks(line);
  return text.empty() || text.front() == '#';
}

// Counts one level of nested commands for the length of a scope.
class NestingLevel {
 public:
  explicit NestingLevel(int &level) : level_(level) { ++level_; }
  ~NestingLevel() { --level_; }
  NestingLevel(const NestingLevel &) = delete;
  NestingLevel &operator=(const NestingLevel &) = delete;

 private:
  int &level_;
};

}  // namespace

CommandInterpreter::CommandInterpreter(host::Host &host, loader::LoadedModule *module,
                                       loader::MasterHandlers *handlers)
    : host_(host), module_(module), handlers_(handlers), previous_sink_(host.command_sink) {
  host_.command_sink = [this](const std::string &command) {
    const CommandResult result = run_command(command);
    if (result.ok) return 1;
    evaluate_errors_.push_back(result.error);
    return 0;
  };
}

CommandInterpreter::~CommandInterpreter() { host_.command_sink = previous_sink_; }

CommandResult CommandInterpreter::run_script(const std::string &script) {
  CommandResult result;
  const std::vector<text::TextLine> lines = text::split_lines(script);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string text = script.substr(lines[i].offset, lines[i].length);
    if (skipped_line(text)) continue;
    std::string error;
    if (!execute(text, error, result.module_failed)) {
      result.ok = false;
      result.line = i + 1;
      result.command = text;
      result.error = "line " + std::to_string(i + 1) + ": " + text + ": " + error;
      return result;
    }
    ++result.commands_run;
  }
  return result;
}

CommandResult CommandInterpreter::run_script(std::istream &script) {
  const std::string text{std::istreambuf_iterator<char>(script), std::istreambuf_iterator<char>()};
  return run_script(text);
}

CommandResult CommandInterpreter::run_command(const std::string &text) {
  CommandResult result;
  std::string error;
  if (execute(text, error, result.module_failed)) {
    result.commands_run = 1;
  } else {
    result.ok = false;
    result.command = text;
    result.error = text + ": " + error;
  }
  return result;
}

RotationValue CommandInterpreter::current_rotation(const scene::Item &item) const {
  auto found = overrides_.find(&item);
  if (found != overrides_.end()) return found->second;
  const double time = host_.scene().current_time();
  double values[3] = {0.0, 0.0, 0.0};
  for (int c = 0; c < 3; ++c) {
    const scene::Envelope *envelope = item.envelope(scene::kRotationChannelNames[c]);
    if (envelope != nullptr) values[c] = evaluate_envelope(*envelope, time, host_.hermite_tangents());
  }
  return RotationValue{values[0], values[1], values[2]};
}

bool CommandInterpreter::has_rotation_override(const scene::Item &item) const {
  return overrides_.count(&item) != 0;
}

bool CommandInterpreter::execute(const std::string &text, std::string &error, bool &module_failed) {
  module_failed = false;
  if (nesting_ >= kMaxNesting) {
    error = "refused: commands nested more than " + std::to_string(kMaxNesting) + " deep";
    return false;
  }
  NestingLevel level(nesting_);
  try {
    const LayoutCommand command = parse_layout_command(text, host_.scene());
    if (command.kind == CommandKind::Generic) {
      // A server that cannot run (not loaded, not in the module) is the
      // command's failure; one that ran and failed is the module's.
      module_failed = module_ != nullptr && module_->find(LWLAYOUTGENERIC_CLASS, command.server) != nullptr;
      const bool ran = run_generic_command(text, command.server, error);
      if (ran) module_failed = false;
      return ran;
    }
    const std::size_t messages_before = host_.messages().size();
    apply(command);
    report(text);
    // A master handler that could not follow the command said so through
    // the message service.
    const std::vector<host::HostMessage> messages = host_.messages();
    for (std::size_t i = messages_before; i < messages.size(); ++i) {
      if (messages[i].kind != "error") continue;
      error = messages[i].line1 + (messages[i].line2.empty() ? "" : " " + messages[i].line2);
      module_failed = true;
      return false;
    }
    return true;
  } catch (const std::exception &failure) {
    error = failure.what();
  }
  return false;
}

bool CommandInterpreter::run_generic_command(const std::string &text, const std::string &server,
                                             std::string &error) {
  if (module_ == nullptr) {
    error = "no module is loaded";
    return false;
  }
  if (module_->find(LWLAYOUTGENERIC_CLASS, server) == nullptr) {
    error = "the module has no " LWLAYOUTGENERIC_CLASS " server named '" + server + "'";
    return false;
  }
  report(text);
  const std::size_t seen = host_.monitor_calls().size();
  const loader::GenericRun run = run_generic_server(*module_, host_, server);
  if (hooks_.on_progress) {
    const std::vector<host::MonitorCall> calls = host_.monitor_calls();
    for (std::size_t i = seen; i < calls.size(); ++i) hooks_.on_progress(calls[i]);
  }
  if (!run.succeeded()) {
    error = "the server failed: " + run.failure();
    return false;
  }
  return true;
}

void CommandInterpreter::apply(const LayoutCommand &command) {
  scene::Scene &scene = host_.scene();
  switch (command.kind) {
    case CommandKind::SelectItem:
    case CommandKind::SelectByName: change_selection([&] { scene.select_only(command.item); }); break;
    case CommandKind::AddToSelection: change_selection([&] { scene.add_to_selection(command.item); }); break;
    case CommandKind::RemoveFromSelection:
      change_selection([&] { scene.remove_from_selection(command.item); });
      break;
    case CommandKind::GoToFrame:
    case CommandKind::NextFrame:
    case CommandKind::PreviousFrame: {
      const double fps = scene.frames_per_second();
      if (!(fps > 0.0) || !std::isfinite(fps)) throw CommandError("the scene's frame rate is not positive");
      double frame = static_cast<double>(command.frame);
      if (command.kind != CommandKind::GoToFrame) {
        // From a time between frames, the next whole frame on that side.
        const double at = scene.current_time() * fps;
        const double nearest = std::round(at);
        const bool on_frame = std::fabs(at - nearest) <= text::kFrameSnapTolerance;
        frame = command.kind == CommandKind::NextFrame ? (on_frame ? nearest : std::floor(at)) + 1.0
                                                       : (on_frame ? nearest : std::ceil(at)) - 1.0;
      }
      set_time(text::frame_time(frame, fps));
      break;
    }
    case CommandKind::Rotation:
    case CommandKind::AddRotation: set_rotation(command); break;
    case CommandKind::CreateKey: create_keys(command.time); break;
    case CommandKind::DeleteKey: delete_keys(command.time); break;
    case CommandKind::AutoKey: auto_key_ = command.on; break;
    case CommandKind::RefreshNow:
      ++refresh_count_;
      if (hooks_.on_refresh) hooks_.on_refresh();
      break;
    case CommandKind::WorldCoordinateSystem:
    case CommandKind::ParentCoordinateSystem:
    case CommandKind::LocalCoordinateSystem:
    case CommandKind::PivotRotation:
    case CommandKind::RecordPivotRotation:
    case CommandKind::RotatePivotTool:
    case CommandKind::Reset:
      // How the user's drags are read, and the pivot: nothing of the scene
      // the stand-in keeps changes. The handlers still see the command.
      break;
    case CommandKind::Generic: break;  // run by run_generic_command
  }
}

void CommandInterpreter::change_selection(const std::function<void()> &change) {
  const std::vector<scene::Item *> before = host_.scene().selection();
  change();
  if (handlers_ != nullptr && host_.scene().selection() != before) handlers_->selection_changed();
}

void CommandInterpreter::set_time(double seconds) {
  scene::Scene &scene = host_.scene();
  if (seconds == scene.current_time()) return;
  scene.set_current_time(seconds);
  // A change of time discards what was not keyed, as Layout does.
  overrides_.clear();
  if (handlers_ != nullptr) handlers_->time_changed();
}

void CommandInterpreter::set_rotation(const LayoutCommand &command) {
  const RotationValue amount{command.degrees[0] * kRadiansPerDegree, command.degrees[1] * kRadiansPerDegree,
                             command.degrees[2] * kRadiansPerDegree};
  const double time = host_.scene().current_time();
  for (scene::Item *item : host_.scene().selection()) {
    RotationValue value = amount;
    if (command.kind == CommandKind::AddRotation) {
      const RotationValue current = current_rotation(*item);
      value = RotationValue{current.heading + amount.heading, current.pitch + amount.pitch,
                            current.bank + amount.bank};
    }
    if (!auto_key_) {
      overrides_[item] = value;
      continue;
    }
    for (int c = 0; c < 3; ++c) {
      scene::Envelope *envelope = item->envelope(scene::kRotationChannelNames[c]);
      if (envelope != nullptr) envelope->create(time, component(value, c));
    }
    overrides_.erase(item);
  }
}

void CommandInterpreter::create_keys(double time) {
  const bool at_current_time = time == host_.scene().current_time();
  for (scene::Item *item : host_.scene().selection()) {
    auto found = overrides_.find(item);
    const bool overridden = at_current_time && found != overrides_.end();
    for (const auto &channel : item->channels) {
      const int rotation = rotation_channel_index(channel->name);
      const double value = overridden && rotation >= 0
                               ? component(found->second, rotation)
                               : evaluate_envelope(channel->envelope, time, host_.hermite_tangents());
      channel->envelope.create(time, value);
    }
    if (overridden) overrides_.erase(found);
  }
}

void CommandInterpreter::delete_keys(double time) {
  for (scene::Item *item : host_.scene().selection()) {
    for (const auto &channel : item->channels) {
      scene::Key *key = channel->envelope.find(time);
      if (key != nullptr) channel->envelope.destroy(key);
    }
  }
}

void CommandInterpreter::report(const std::string &text) {
  if (handlers_ != nullptr) handlers_->command(text);
}

}  // namespace layout_commands
