#pragma once

#include <array>
#include <stdexcept>
#include <string>

namespace scene {
class Scene;
struct Item;
}  // namespace scene

namespace layout_commands {

// The Layout commands the stand-in host runs (docs/layout-commands.md).
enum class CommandKind {
  SelectItem,
  SelectByName,
  AddToSelection,
  RemoveFromSelection,
  GoToFrame,
  NextFrame,
  PreviousFrame,
  Rotation,
  AddRotation,
  CreateKey,
  DeleteKey,
  AutoKey,
  WorldCoordinateSystem,
  ParentCoordinateSystem,
  LocalCoordinateSystem,
  PivotRotation,
  RecordPivotRotation,
  RotatePivotTool,
  Reset,
  Generic,
  RefreshNow,
};

// A command that names something the command cannot run with: an unknown
// command word, a missing, surplus or malformed argument, an item the scene
// does not hold. The message says what is wrong, without the command text.
class CommandError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One command, checked against the scene and ready to run.
struct LayoutCommand {
  CommandKind kind = CommandKind::RefreshNow;
  scene::Item *item = nullptr;             // the selection commands
  std::array<double, 3> degrees{0, 0, 0};  // Rotation, AddRotation, PivotRotation: h, p, b
  long long frame = 0;                     // GoToFrame
  double time = 0.0;                       // CreateKey, DeleteKey: seconds
  bool on = false;                         // AutoKey
  std::string server;                      // Generic: the server name after "Generic_"
};

// Reads one command text: words separated by blanks (spaces or tabs, any
// number), the command word first, case-sensitive. Numbers must be whole
// finite decimal numbers; item ids are hex with or without "0x"; a name is
// everything after the command word, without surrounding blanks. Whether a
// Generic_ server exists is for the caller to check. Throws CommandError.
LayoutCommand parse_layout_command(const std::string &text, const scene::Scene &scene);

}  // namespace layout_commands
