#include "cli/report/svg_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <set>
#include <utility>

#include "cli/report/angle_text.h"
#include "cli/report/modified_channels.h"
#include "cli/report/rotation_notes.h"
#include "cli/session/triple_changes.h"
#include "text/printable_text.h"

namespace cli::report {
namespace {

// Page geometry, in SVG user units (pixels).
constexpr double kWidth = 960;
constexpr double kHeaderHeight = 96;
constexpr double kPanelHeight = 340;
constexpr double kPlotLeft = 78;
constexpr double kPlotRight = kWidth - 24;
constexpr double kPlotTopInPanel = 34;
constexpr double kPlotBottomInPanel = 200;
// The angular speed's strip, under the frame axis.
constexpr double kSpeedTopInPanel = 250;
constexpr double kSpeedBottomInPanel = 316;
constexpr int kMostXTicks = 12;
constexpr int kMostYTicks = 8;
constexpr std::size_t kLongestTitle = 80;  // characters that fit the width at the title's size

constexpr const char *kChannelColours[3] = {"#1f77b4", "#2ca02c", "#9467bd"};  // heading, pitch, bank
constexpr const char *kFlipColour = "#d62728";
constexpr const char *kFont = "DejaVu Sans, Helvetica, Arial, sans-serif";

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// A tick value: a whole number, never "-0".
std::string whole(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", std::fabs(value) < 0.5 ? 0.0 : value);
  return text;
}

// `title`, cut to kLongestTitle characters (not bytes) with an ellipsis.
std::string fitted(const std::string &title) {
  std::size_t characters = 0;
  for (std::size_t at = 0; at < title.size(); ++at) {
    if ((static_cast<unsigned char>(title[at]) & 0xC0) == 0x80) continue;
    if (++characters > kLongestTitle - 1) return title.substr(0, at) + "\u2026";
  }
  return title;
}

std::string escaped(const std::string &text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// The smallest of `steps` that puts at most `most` ticks on [low, high].
double tick_step(double low, double high, const std::vector<double> &steps, int most) {
  for (double step : steps) {
    if (std::floor(high / step) - std::ceil(low / step) + 1 <= most) return step;
  }
  double step = steps.back();
  while (std::floor(high / step) - std::ceil(low / step) + 1 > most) step *= 2;
  return step;
}

// Maps frames and degrees of one panel to page coordinates.
struct PanelAxes {
  double first_frame, last_frame, low_degrees, high_degrees;
  double top, bottom;  // page y of the plot area

  double x(double frame) const {
    return kPlotLeft + (frame - first_frame) / (last_frame - first_frame) * (kPlotRight - kPlotLeft);
  }
  double y(double degrees) const {
    return bottom - (degrees - low_degrees) / (high_degrees - low_degrees) * (bottom - top);
  }
};

PanelAxes axes_for(const PlotPanel &panel, double fps, double panel_top) {
  double first = std::numeric_limits<double>::infinity(), last = -first;
  double low = first, high = -first;
  for (const session::ItemRotation *rotation : {&panel.before, &panel.after}) {
    for (const auto &keys : rotation->channels) {
      for (const session::RotationKey &key : keys) {
        first = std::min(first, key.time * fps);
        last = std::max(last, key.time * fps);
        low = std::min(low, radians_to_degrees(key.value));
        high = std::max(high, radians_to_degrees(key.value));
      }
    }
  }
  // Curves may overshoot their keys.
  for (const auto *seen : {&panel.seen_before, &panel.seen_after}) {
    if (!*seen) continue;
    for (const auto &values : (*seen)->values) {
      for (const double value : values) {
        low = std::min(low, radians_to_degrees(value));
        high = std::max(high, radians_to_degrees(value));
      }
    }
  }
  if (!std::isfinite(first)) first = 0, last = 1, low = -90, high = 90;
  if (last - first < 1) first -= 1, last += 1;
  if (high - low < 10) {
    const double middle = (high + low) / 2;
    low = middle - 5, high = middle + 5;
  }
  const double pad = (high - low) * 0.06;
  return PanelAxes{
      first, last, low - pad, high + pad, panel_top + kPlotTopInPanel, panel_top + kPlotBottomInPanel};
}

class SvgWriter {
 public:
  void line(const std::string &element) { out_ += "  " + element + "\n"; }
  void raw(const std::string &text) { out_ += text; }
  std::string text() const { return out_; }

  void label(double x, double y, const std::string &text, const std::string &attributes = "") {
    line("<text x=\"" + number(x) + "\" y=\"" + number(y) + "\"" +
         (attributes.empty() ? "" : " " + attributes) + ">" + escaped(text) + "</text>");
  }

 private:
  std::string out_;
};

void draw_legend(SvgWriter &svg, double y) {
  double x = kPlotLeft;
  for (int channel = 0; channel < 3; ++channel) {
    svg.line("<rect x=\"" + number(x) + "\" y=\"" + number(y - 9) + "\" width=\"14\" height=\"10\" fill=\"" +
             kChannelColours[channel] + "\"/>");
    svg.label(x + 20, y, session::kRotationChannelWords[channel], "class=\"legend\"");
    x += 96;
  }
  x += 20;
  svg.line("<line x1=\"" + number(x) + "\" y1=\"" + number(y - 4) + "\" x2=\"" + number(x + 34) + "\" y2=\"" +
           number(y - 4) + "\" stroke=\"#555\" stroke-width=\"1.6\" stroke-dasharray=\"5 4\"/>");
  svg.line("<circle cx=\"" + number(x + 17) + "\" cy=\"" + number(y - 4) +
           "\" r=\"3.5\" fill=\"#fff\" stroke=\"#555\" stroke-width=\"1.4\"/>");
  svg.label(x + 42, y, "before", "class=\"legend\"");
  x += 112;
  svg.line("<line x1=\"" + number(x) + "\" y1=\"" + number(y - 4) + "\" x2=\"" + number(x + 34) + "\" y2=\"" +
           number(y - 4) + "\" stroke=\"#555\" stroke-width=\"2.2\"/>");
  svg.line("<circle cx=\"" + number(x + 17) + "\" cy=\"" + number(y - 4) + "\" r=\"3\" fill=\"#555\"/>");
  svg.label(x + 42, y, "after (keys marked)", "class=\"legend\"");
  x += 186;
  svg.line("<rect x=\"" + number(x) + "\" y=\"" + number(y - 11) + "\" width=\"24\" height=\"14\" fill=\"" +
           kFlipColour + "\" fill-opacity=\"0.18\" stroke=\"" + kFlipColour + "\" stroke-opacity=\"0.5\"/>");
  svg.label(x + 32, y, "span up to a rewritten key triple", "class=\"legend\"");
}

void draw_grid(SvgWriter &svg, const PanelAxes &axes) {
  svg.line("<rect x=\"" + number(kPlotLeft) + "\" y=\"" + number(axes.top) + "\" width=\"" +
           number(kPlotRight - kPlotLeft) + "\" height=\"" + number(axes.bottom - axes.top) +
           "\" fill=\"#fbfbfb\" stroke=\"#bbb\"/>");
  const double x_step = tick_step(axes.first_frame, axes.last_frame,
                                  {1, 2, 5, 10, 20, 25, 50, 100, 200, 250, 500, 1000}, kMostXTicks);
  for (double frame = std::ceil(axes.first_frame / x_step) * x_step; frame <= axes.last_frame + 1e-9;
       frame += x_step) {
    const double x = axes.x(frame);
    svg.line("<line x1=\"" + number(x) + "\" y1=\"" + number(axes.top) + "\" x2=\"" + number(x) + "\" y2=\"" +
             number(axes.bottom) + "\" stroke=\"#e4e4e4\"/>");
    svg.label(x, axes.bottom + 16, whole(frame), "text-anchor=\"middle\" class=\"tick\"");
  }
  const double y_step = tick_step(axes.low_degrees, axes.high_degrees,
                                  {1, 2, 5, 10, 15, 30, 45, 90, 180, 360, 720}, kMostYTicks);
  for (double degrees = std::ceil(axes.low_degrees / y_step) * y_step; degrees <= axes.high_degrees + 1e-9;
       degrees += y_step) {
    const double y = axes.y(degrees);
    const bool zero = std::fabs(degrees) < 1e-9;
    svg.line("<line x1=\"" + number(kPlotLeft) + "\" y1=\"" + number(y) + "\" x2=\"" + number(kPlotRight) +
             "\" y2=\"" + number(y) + "\" stroke=\"" + (zero ? "#999" : "#e4e4e4") + "\"/>");
    svg.label(kPlotLeft - 6, y + 4, whole(degrees) + "\u00b0", "text-anchor=\"end\" class=\"tick\"");
  }
  svg.label((kPlotLeft + kPlotRight) / 2, axes.bottom + 36, "frame", "text-anchor=\"middle\" class=\"axis\"");
  const double middle = (axes.top + axes.bottom) / 2;
  svg.label(22, middle, "degrees",
            "text-anchor=\"middle\" class=\"axis\" transform=\"rotate(-90 22 " + number(middle) + ")\"");
}

// Shades, for each key triple the fix rewrote, the span from the key
// before it to it: where the item turned the long way before the fix.
// Keys beyond a whole turn before the fix get a ring.
void draw_changes(SvgWriter &svg, const PanelAxes &axes, const PlotPanel &panel, double fps) {
  std::set<double> key_times;
  for (const auto &keys : panel.before.channels) {
    for (const session::RotationKey &key : keys) key_times.insert(key.time);
  }
  std::set<std::pair<double, double>> bands;
  for (const session::TripleChange &change : panel.changes) {
    const auto previous = key_times.lower_bound(change.time);
    bands.emplace(previous == key_times.begin() ? change.time : *std::prev(previous), change.time);
  }
  for (const auto &[from, to] : bands) {
    const double x1 = axes.x(from * fps), x2 = axes.x(to * fps);
    svg.line("<rect class=\"flip\" x=\"" + number(x1) + "\" y=\"" + number(axes.top) + "\" width=\"" +
             number(std::max(x2 - x1, 2.0)) + "\" height=\"" + number(axes.bottom - axes.top) + "\" fill=\"" +
             kFlipColour + "\" fill-opacity=\"0.14\"/>");
  }
  for (const KeyBeyondTurn &key : note_rotation(panel.before).beyond_turn) {
    svg.line("<circle class=\"beyond-turn\" cx=\"" + number(axes.x(key.key.time * fps)) + "\" cy=\"" +
             number(axes.y(radians_to_degrees(key.key.value))) + "\" r=\"7.5\" fill=\"none\" stroke=\"" +
             kFlipColour + "\" stroke-width=\"2\"/>");
  }
}

void draw_curves(SvgWriter &svg, const PanelAxes &axes, const session::ItemRotation &rotation,
                 const std::optional<motion::SampledMotion> &seen, bool before, double fps) {
  for (int channel = 0; channel < 3; ++channel) {
    const auto &keys = rotation.channels[channel];
    if (keys.empty()) continue;
    std::string points;
    const auto add_point = [&](double time, double value) {
      points += (points.empty() ? "" : " ") + number(axes.x(time * fps)) + "," +
                number(axes.y(radians_to_degrees(value)));
    };
    if (seen && !seen->values[channel].empty()) {
      for (std::size_t i = 0; i < seen->times.size(); ++i)
        add_point(seen->times[i], seen->values[channel][i]);
    } else {
      for (const session::RotationKey &key : keys) add_point(key.time, key.value);
    }
    const std::string colour = kChannelColours[channel];
    svg.line("<polyline class=\"curve " + std::string(before ? "before " : "after ") +
             session::kRotationChannelWords[channel] + "\" points=\"" + points +
             "\" fill=\"none\" stroke=\"" + colour +
             (before ? "\" stroke-width=\"1.6\" stroke-opacity=\"0.6\" stroke-dasharray=\"5 4\"/>"
                     : "\" stroke-width=\"2.2\"/>"));
    for (const session::RotationKey &key : keys) {
      const std::string centre = "cx=\"" + number(axes.x(key.time * fps)) + "\" cy=\"" +
                                 number(axes.y(radians_to_degrees(key.value))) + "\"";
      if (before) {
        svg.line("<circle class=\"key before\" " + centre + " r=\"3.5\" fill=\"#fff\" stroke=\"" + colour +
                 "\" stroke-opacity=\"0.7\" stroke-width=\"1.4\"/>");
      } else {
        svg.line("<circle class=\"key after\" " + centre + " r=\"2.6\" fill=\"" + colour + "\"/>");
      }
    }
  }
}

// The angular speed before (dashed) and after (solid) in its own strip,
// from 0 to the fastest of either.
void draw_speed(SvgWriter &svg, const PanelAxes &axes, const PlotPanel &panel, double fps, double panel_top) {
  if (!panel.seen_before && !panel.seen_after) return;
  double fastest = 0.0;
  for (const auto *seen : {&panel.seen_before, &panel.seen_after}) {
    if (*seen) {
      for (const double speed : (*seen)->speeds) fastest = std::max(fastest, speed);
    }
  }
  const double top = panel_top + kSpeedTopInPanel, bottom = panel_top + kSpeedBottomInPanel;
  const double high = fastest > 0.0 ? fastest * 1.08 : 1.0;
  const auto y = [&](double speed) { return bottom - speed / high * (bottom - top); };
  svg.line("<rect x=\"" + number(kPlotLeft) + "\" y=\"" + number(top) + "\" width=\"" +
           number(kPlotRight - kPlotLeft) + "\" height=\"" + number(bottom - top) +
           "\" fill=\"#fbfbfb\" stroke=\"#bbb\"/>");
  svg.label(kPlotLeft - 6, bottom + 4, "0", "text-anchor=\"end\" class=\"tick\"");
  svg.label(kPlotLeft - 6, y(fastest) + 4, number(fastest), "text-anchor=\"end\" class=\"tick\"");
  svg.label(kPlotLeft, top - 6, "angular speed, degrees per frame", "class=\"axis\"");
  for (const bool before : {true, false}) {
    const auto &seen = before ? panel.seen_before : panel.seen_after;
    if (!seen || seen->speeds.empty()) continue;
    std::string points;
    for (std::size_t i = 0; i < seen->speeds.size(); ++i) {
      points += (points.empty() ? "" : " ") + number(axes.x(seen->speed_times[i] * fps)) + "," +
                number(y(seen->speeds[i]));
    }
    svg.line("<polyline class=\"speed " + std::string(before ? "before" : "after") + "\" points=\"" + points +
             "\" fill=\"none\" stroke=\"#444\"" +
             (before ? " stroke-width=\"1.4\" stroke-opacity=\"0.6\" stroke-dasharray=\"5 4\"/>"
                     : " stroke-width=\"1.8\"/>"));
  }
}

std::string panel_caption(const PlotPanel &panel) {
  const std::size_t rewritten = panel.changes.size();
  const std::size_t triples = session::count_key_triples(panel.after);
  return text::printable(panel.before.name) + " (" + scene::item_kind_name(panel.before.kind) +
         "): " + std::to_string(rewritten) + " of " + std::to_string(triples) +
         (triples == 1 ? " key triple" : " key triples") + " rewritten";
}

}  // namespace

std::string render_rotation_plot(const std::string &title, const std::vector<PlotPanel> &panels, double fps) {
  const double height =
      kHeaderHeight + kPanelHeight * static_cast<double>(std::max<std::size_t>(panels.size(), 1));
  SvgWriter svg;
  svg.raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
  svg.raw("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(kWidth) + "\" height=\"" +
          number(height) + "\" viewBox=\"0 0 " + number(kWidth) + " " + number(height) + "\" font-family=\"" +
          kFont + "\">\n");
  svg.line("<title>" + escaped(title) + "</title>");
  svg.line(
      "<style>text{fill:#222}.title{font-size:18px;font-weight:bold}.legend{font-size:13px}"
      ".caption{font-size:14px;font-weight:bold}.tick{font-size:11px;fill:#555}.axis{font-size:12px;fill:#"
      "333}"
      "</style>");
  svg.line("<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>");
  svg.label(kPlotLeft, 32, fitted(title), "class=\"title\"");
  draw_legend(svg, 66);
  if (panels.empty())
    svg.label(kPlotLeft, kHeaderHeight + 40, "No item whose rotation changes over time.",
              "class=\"caption\"");

  for (std::size_t index = 0; index < panels.size(); ++index) {
    const PlotPanel &panel = panels[index];
    const double top = kHeaderHeight + kPanelHeight * static_cast<double>(index);
    const PanelAxes axes = axes_for(panel, fps, top);
    svg.raw("  <g class=\"item\" data-item=\"" + escaped(text::printable(panel.before.name)) + "\">\n");
    svg.label(kPlotLeft, top + 22, panel_caption(panel), "class=\"caption\"");
    draw_grid(svg, axes);
    draw_changes(svg, axes, panel, fps);
    draw_curves(svg, axes, panel.before, panel.seen_before, true, fps);
    draw_curves(svg, axes, panel.after, panel.seen_after, false, fps);
    draw_speed(svg, axes, panel, fps, top);
    if (const std::string modified = modified_channels_text(panel.before); !modified.empty()) {
      svg.label(kPlotLeft, top + kSpeedBottomInPanel + 18,
                "channel modifiers: " + modified + "; these curves show the keys, not the modified motion",
                "class=\"modifier-note\" style=\"fill:" + std::string(kFlipColour) + ";font-size:12px\"");
    }
    svg.raw("  </g>\n");
  }
  svg.raw("</svg>\n");
  return svg.text();
}

namespace {

// Whether some rotation channel holds two keys of different values.
bool rotation_changes(const session::ItemRotation &rotation) {
  for (const auto &keys : rotation.channels) {
    for (std::size_t i = 1; i < keys.size(); ++i) {
      if (std::fabs(keys[i].value - keys[0].value) > kAngleSlack) return true;
    }
  }
  return false;
}

}  // namespace

std::vector<PlotPanel> moving_panels(const session::RotationRun &run, const PlotMotions *motions) {
  const std::vector<session::ItemRotation> &before = run.before;
  const std::vector<session::ItemRotation> &after = run.after;
  std::vector<PlotPanel> moving;
  for (std::size_t i = 0; i < run.changes.size(); ++i) {
    if (rotation_changes(before[i]) || rotation_changes(after[i]) || !run.changes[i].empty()) {
      PlotPanel panel{before[i], after[i], run.changes[i], std::nullopt, std::nullopt};
      if (motions != nullptr && i < motions->before.size() && i < motions->after.size()) {
        panel.seen_before = motions->before[i];
        panel.seen_after = motions->after[i];
      }
      moving.push_back(std::move(panel));
    }
  }
  return moving;
}

std::vector<PlotPanel> every_panel(const session::RotationRun &run, const PlotMotions &motions) {
  std::vector<PlotPanel> panels;
  for (std::size_t i = 0; i < run.changes.size(); ++i)
    panels.push_back(
        PlotPanel{run.before[i], run.after[i], run.changes[i], motions.before[i], motions.after[i]});
  return panels;
}

std::vector<motion::SampledMotion> sample_motions(const std::vector<scene::Item *> &items, double fps,
                                                  scene::HermiteTangents hermite) {
  std::vector<motion::SampledMotion> sampled;
  sampled.reserve(items.size());
  for (const scene::Item *item : items) sampled.push_back(motion::sample_motion(*item, fps, hermite));
  return sampled;
}

}  // namespace cli::report
