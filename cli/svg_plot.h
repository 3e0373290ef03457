#pragma once

#include <string>
#include <vector>

#include "cli/rotation_snapshot.h"

namespace cli {

// One item of a plot: its rotation keys before and after a fix.
struct PlotPanel {
  ItemRotation before;
  ItemRotation after;
};

// A self-contained SVG file (no scripts, no external fonts or images) with
// one panel per item: heading, pitch and bank in degrees over frames, the
// keys before the fix as dashed lines with hollow markers, after it as solid
// lines with filled markers; the span up to each key triple the fix rewrote
// is shaded red, keys beyond a whole turn before the fix are ringed in red.
// Axis labels, grid and a legend included.
//
// For tests and styling, every panel is a <g class="item"> with a
// data-item attribute, every curve a <polyline class="curve before|after
// heading|pitch|bank">, every flip band a <rect class="flip">.
std::string render_rotation_plot(const std::string &title, const std::vector<PlotPanel> &panels, double fps);

// The items worth plotting: those whose rotation changes over time (two
// keys of one rotation channel differ) before or after the fix, or that the
// fix changed. Possibly none.
std::vector<PlotPanel> moving_panels(const std::vector<ItemRotation> &before,
                                     const std::vector<ItemRotation> &after);

}  // namespace cli
