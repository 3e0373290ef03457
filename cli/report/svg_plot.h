#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/session/rotation_snapshot.h"
#include "cli/session/triple_changes.h"
#include "motion/sampled_motion.h"

namespace cli::report {

// One item of a plot: its rotation keys before and after a fix and, where
// known, its motion as evaluated (the curves between keys, the angular
// speed); without it the keys are joined by straight lines.
struct PlotPanel {
  session::ItemRotation before;
  session::ItemRotation after;
  std::vector<session::TripleChange> changes;  // what the fix changed (compare_rotations)
  std::optional<motion::SampledMotion> seen_before;
  std::optional<motion::SampledMotion> seen_after;
};

// The sampled motion of a command's items, in its order, before and after.
struct PlotMotions {
  std::vector<motion::SampledMotion> before;
  std::vector<motion::SampledMotion> after;
};

// sample_motion of each of `items`.
std::vector<motion::SampledMotion> sample_motions(const std::vector<scene::Item *> &items, double fps,
                                                  scene::HermiteTangents hermite);

// A self-contained SVG file (no scripts, no external fonts or images) with
// one panel per item: heading, pitch and bank in degrees over frames, the
// curves before the fix dashed with the keys as hollow markers, after it
// solid with filled markers; the span up to each key triple the fix rewrote
// is shaded red, keys beyond a whole turn before the fix are ringed in red.
// Under it, where the motion is known, the orientation's angular speed in
// degrees per frame before and after, where a flip shows as a spike. Axis
// labels, grid and a legend included.
//
// For tests and styling, every panel is a <g class="item"> with a
// data-item attribute, every curve a <polyline class="curve before|after
// heading|pitch|bank">, every speed line a <polyline class="speed
// before|after">, every flip band a <rect class="flip">. An item whose
// rotation channels carry channel modifiers gets a <text
// class="modifier-note"> naming them: its curves are the keys' curves.
std::string render_rotation_plot(const std::string &title, const std::vector<PlotPanel> &panels, double fps);

// The items worth plotting: those whose rotation changes over time (two
// keys of one rotation channel differ) before or after the fix, or that the
// fix changed. Possibly none.
// `motions`, when given, holds the same items' motion.
std::vector<PlotPanel> moving_panels(const session::RotationRun &run, const PlotMotions *motions = nullptr);

// Every item of `run`, moving or not.
std::vector<PlotPanel> every_panel(const session::RotationRun &run, const PlotMotions &motions);

}  // namespace cli::report
