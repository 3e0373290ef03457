#include "cli/report/json_report.h"

#include <cmath>
#include <string>

#include "cli/report/angle_text.h"
#include "cli/report/order_text.h"
#include "cli/report/rotation_notes.h"

namespace cli::report {
namespace {

// Frames are whole for keys snapped to frames; a frame that falls between
// frames stays the fraction it is.
Json frame_number(double seconds, double fps) {
  const double frame = seconds * fps;
  const double whole = std::round(frame);
  if (std::fabs(frame - whole) < 1e-9 && std::fabs(whole) < 9.0e15) return static_cast<long long>(whole);
  return frame;
}

Json triple_json(const std::array<std::optional<double>, 3> &values) {
  Json triple = Json::object();
  for (int channel = 0; channel < 3; ++channel) {
    triple[session::kRotationChannelWords[channel]] =
        values[channel] ? angle_json(*values[channel]) : Json(nullptr);
  }
  return triple;
}

const char *kind_word(session::TripleChange::Kind kind) {
  switch (kind) {
    case session::TripleChange::Kind::whole_turns: return "whole_turns";
    case session::TripleChange::Kind::other_triple: return "other_triple";
    case session::TripleChange::Kind::gimbal_fold: return "gimbal_fold";
    case session::TripleChange::Kind::added: return "added";
  }
  return "";
}

Json flip_json(const session::TripleChange &change, double fps) {
  Json flip = time_json(change.time, fps);
  flip["kind"] = kind_word(change.kind());
  flip["before"] = triple_json(change.before);
  flip["after"] = triple_json(change.after);
  return flip;
}

Json spins_json(const std::vector<std::vector<motion::Spin>> &spins, std::size_t item, double fps) {
  Json list = Json::array();
  if (item >= spins.size()) return list;
  for (const motion::Spin &spin : spins[item]) {
    list.push_back(Json{{"from", time_json(spin.from, fps)},
                        {"to", time_json(spin.to, fps)},
                        {"travel", angle_json(spin.travel)},
                        {"shortest", angle_json(spin.shortest)}});
  }
  return list;
}

Json item_json(const session::ItemRotation &before, const session::ItemRotation &after,
               const std::vector<session::TripleChange> &changes, double fps) {
  Json item;
  item["name"] = before.name;
  item["kind"] = scene::item_kind_name(before.kind);
  item["order"] = order_text(before.order);
  Json keys = Json::object();
  Json modifiers = Json::object();
  for (int channel = 0; channel < 3; ++channel) {
    keys[session::kRotationChannelWords[channel]] = before.channels[channel].size();
    modifiers[session::kRotationChannelWords[channel]] = before.modifiers[channel];
  }
  item["keys"] = keys;
  item["key_triples"] = session::count_key_triples(after);
  item["rewritten"] = changes.size();
  Json flips = Json::array();
  for (const session::TripleChange &change : changes) flips.push_back(flip_json(change, fps));
  item["flips"] = flips;
  // What stays once the run is done.
  const RotationNotes notes = note_rotation(after);
  Json turns = Json::array();
  for (const RotationStep &step : notes.large_steps) {
    turns.push_back(Json{{"channel", session::kRotationChannelWords[step.channel]},
                         {"from", time_json(step.from.time, fps)},
                         {"to", time_json(step.to.time, fps)},
                         {"turn", angle_json(step.size())}});
  }
  item["large_turns"] = turns;
  Json beyond = Json::array();
  for (const KeyBeyondTurn &key : notes.beyond_turn) {
    Json entry = time_json(key.key.time, fps);
    entry["channel"] = session::kRotationChannelWords[key.channel];
    entry["value"] = angle_json(key.key.value);
    beyond.push_back(entry);
  }
  item["beyond_whole_turn"] = beyond;
  item["largest_step"] = Json{{"before", angle_json(note_rotation(before).largest_step)},
                              {"after", angle_json(notes.largest_step)}};
  item["pitch_keys_skipped"] = Json{{"count", before.channels[1].size() - session::count_key_triples(before)},
                                    {"reason", "no heading and bank keys at their time"}};
  item["modifiers"] = modifiers;
  return item;
}

}  // namespace

Json angle_json(double radians) {
  return Json{{"radians", radians}, {"degrees", radians_to_degrees(radians)}};
}

Json time_json(double seconds, double fps) {
  return Json{{"frame", frame_number(seconds, fps)}, {"time", seconds}};
}

Json items_json(const session::RotationRun &run, double fps, const motion::RunSpins *spins,
                const std::vector<std::size_t> *reflected) {
  Json items = Json::array();
  for (std::size_t i = 0; i < run.before.size() && i < run.after.size() && i < run.changes.size(); ++i) {
    Json item = item_json(run.before[i], run.after[i], run.changes[i], fps);
    if (spins != nullptr) {
      item["spins_before"] = spins_json(spins->before, i, fps);
      item["spins_after"] = spins_json(spins->after, i, fps);
    }
    if (reflected != nullptr) item["middle_slopes_negated"] = i < reflected->size() ? (*reflected)[i] : 0;
    items.push_back(item);
  }
  return items;
}

Json key_missing_json(const session::KeyMissingReport &report, double fps) {
  Json json;
  json["added"] = report.added;
  json["not_added"] = report.not_added;
  json["items"] = report.items;
  Json largest = Json{{"change", angle_json(report.largest_change)}};
  if (report.channel >= 0) {
    largest["item"] = report.item;
    largest["channel"] = scene::kRotationChannelWords[report.channel];
    largest["at"] = time_json(report.time, fps);
  }
  json["largest_change"] = largest;
  return json;
}

Json held_items_json(const std::vector<files::HeldItem> &held) {
  Json list = Json::array();
  for (const files::HeldItem &item : held) {
    // The message without the "FILE:LINE: " it starts with.
    const std::string place = item.file + ":" + std::to_string(item.line) + ": ";
    const std::string message =
        item.message.rfind(place, 0) == 0 ? item.message.substr(place.size()) : item.message;
    list.push_back(Json{{"name", item.item != nullptr ? item.item->name : std::string()},
                        {"file", item.file},
                        {"line", item.line},
                        {"message", message}});
  }
  return list;
}

}  // namespace cli::report
