#include "layout_commands/layout_command.h"

#include <string_view>
#include <vector>

#include "scene/scene.h"
#include "text/number_text.h"
#include "text/text_lines.h"

namespace layout_commands {
namespace {

constexpr std::string_view kGenericPrefix = "Generic_";

struct NamedKind {
  const char *word;
  CommandKind kind;
};

// Commands that take no argument.
constexpr NamedKind kPlainCommands[] = {
    {"NextFrame", CommandKind::NextFrame},
    {"PreviousFrame", CommandKind::PreviousFrame},
    {"WorldCoordinateSystem", CommandKind::WorldCoordinateSystem},
    {"ParentCoordinateSystem", CommandKind::ParentCoordinateSystem},
    {"LocalCoordinateSystem", CommandKind::LocalCoordinateSystem},
    {"RecordPivotRotation", CommandKind::RecordPivotRotation},
    {"RotatePivotTool", CommandKind::RotatePivotTool},
    {"Reset", CommandKind::Reset},
    {"RefreshNow", CommandKind::RefreshNow},
};

// Commands that take three angles.
constexpr NamedKind kAngleCommands[] = {
    {"Rotation", CommandKind::Rotation},
    {"AddRotation", CommandKind::AddRotation},
    {"PivotRotation", CommandKind::PivotRotation},
};

// Commands that take one item id.
constexpr NamedKind kItemCommands[] = {
    {"SelectItem", CommandKind::SelectItem},
    {"AddToSelection", CommandKind::AddToSelection},
    {"RemoveFromSelection", CommandKind::RemoveFromSelection},
};

void expect_arguments(const std::vector<text::LineToken> &words, std::size_t count, const char *what) {
  if (words.size() - 1 != count) throw CommandError(std::string("expects ") + what);
}

double number_argument(const text::LineToken &word) {
  double value = 0.0;
  if (!text::parse_double_token(word.text, value)) {
    throw CommandError("'" + std::string(word.text) + "' is not a finite number");
  }
  return value;
}

scene::Item *item_by_id(const text::LineToken &word, const scene::Scene &scene) {
  std::string_view digits = word.text;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
    digits.remove_prefix(2);
  std::uint32_t id = 0;
  if (!text::parse_hex_id_token(digits, id)) {
    throw CommandError("'" + std::string(word.text) + "' is not a hex item id");
  }
  scene::Item *item = scene.find_item(id);
  if (item == nullptr) throw CommandError("no item has the id " + std::string(word.text));
  return item;
}

}  // namespace

LayoutCommand parse_layout_command(const std::string &text, const scene::Scene &scene) {
  const std::vector<text::LineToken> words = text::split_tokens(text);
  if (words.empty()) throw CommandError("empty command");
  const std::string_view word = words[0].text;
  LayoutCommand command;

  for (const NamedKind &plain : kPlainCommands) {
    if (word != plain.word) continue;
    expect_arguments(words, 0, "no arguments");
    command.kind = plain.kind;
    return command;
  }
  for (const NamedKind &angles : kAngleCommands) {
    if (word != angles.word) continue;
    expect_arguments(words, 3, "three angles in degrees: heading pitch bank");
    command.kind = angles.kind;
    for (std::size_t i = 0; i < 3; ++i) command.degrees[i] = number_argument(words[i + 1]);
    return command;
  }
  for (const NamedKind &selection : kItemCommands) {
    if (word != selection.word) continue;
    expect_arguments(words, 1, "one hex item id");
    command.kind = selection.kind;
    command.item = item_by_id(words[1], scene);
    return command;
  }
  if (word == "SelectByName") {
    // The name is all that follows the command word, blanks inside included.
    const std::string_view name =
        text::trim_blanks(std::string_view(text).substr(words[0].column + word.size()));
    if (name.empty()) throw CommandError("expects an item name");
    command.kind = CommandKind::SelectByName;
    command.item = scene.find_item(std::string(name));
    if (command.item == nullptr) throw CommandError("no item is named '" + std::string(name) + "'");
    return command;
  }
  if (word == "GoToFrame") {
    expect_arguments(words, 1, "one whole frame number");
    if (!text::parse_integer_token(words[1].text, command.frame)) {
      throw CommandError("'" + std::string(words[1].text) + "' is not a whole frame number");
    }
    command.kind = CommandKind::GoToFrame;
    return command;
  }
  if (word == "CreateKey" || word == "DeleteKey") {
    expect_arguments(words, 1, "one time in seconds");
    command.kind = word == "CreateKey" ? CommandKind::CreateKey : CommandKind::DeleteKey;
    command.time = number_argument(words[1]);
    return command;
  }
  if (word == "AutoKey") {
    expect_arguments(words, 1, "0 or 1");
    if (words[1].text != "0" && words[1].text != "1") throw CommandError("expects 0 or 1");
    command.kind = CommandKind::AutoKey;
    command.on = words[1].text == "1";
    return command;
  }
  if (word.size() > kGenericPrefix.size() && word.substr(0, kGenericPrefix.size()) == kGenericPrefix) {
    expect_arguments(words, 0, "no arguments after the server name");
    command.kind = CommandKind::Generic;
    command.server = std::string(word.substr(kGenericPrefix.size()));
    return command;
  }
  throw CommandError("unknown command");
}

}  // namespace layout_commands
