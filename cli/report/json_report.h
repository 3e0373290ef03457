#pragma once

#include <nlohmann/json.hpp>
#include <vector>

#include "cli/files/held_items.h"
#include "cli/session/fix_run.h"
#include "cli/session/key_missing.h"
#include "cli/session/triple_changes.h"
#include "motion/spins.h"

namespace cli::report {

// The parts of a JSON report (docs/report-format.md) that describe a run's
// items. Objects keep their keys in the order written, so that a report
// reads as the text one does. Numbers are doubles as computed: the JSON
// writer gives each its shortest text that reads back to the same double.
using Json = nlohmann::ordered_json;

// {"radians": r, "degrees": d}.
Json angle_json(double radians);

// {"frame": f, "time": t}: `seconds` and its frame at `fps`.
Json time_json(double seconds, double fps);

// Each item of `run`, by its order: its name, kind, rotation order, keys per
// channel, key triples, and every key triple the run rewrote (each a flip,
// with its angles before and after), what stays once it ran (large turns,
// keys beyond a whole turn), the pitch keys it skipped and, with `spins`,
// the spins before and after. `reflected`, when given, holds per item the
// middle-channel keys whose slopes were negated.
Json items_json(const session::RotationRun &run, double fps, const motion::RunSpins *spins,
                const std::vector<std::size_t> *reflected);

// What --key-missing did.
Json key_missing_json(const session::KeyMissingReport &report, double fps);

// The items kept as they were, each with the file and line that hold them.
Json held_items_json(const std::vector<files::HeldItem> &held);

}  // namespace cli::report
