#include "cli/report/angle_text.h"

#include <cmath>
#include <cstdio>

#include "scene/rotation_channels.h"

namespace cli::report {

double radians_to_degrees(double radians) { return radians * (180.0 / scene::kHalfTurn); }

std::string degrees_text(double radians) {
  char text[48];
  double degrees = radians_to_degrees(radians);
  if (std::fabs(degrees) < 0.05) degrees = 0.0;  // no "-0.0°"
  std::snprintf(text, sizeof text, "%.1f\u00b0", degrees);
  return text;
}

std::string signed_degrees_text(double radians) {
  const std::string text = degrees_text(radians);
  return text[0] == '-' || text.rfind("0.0", 0) == 0 ? text : "+" + text;
}

std::string frame_text(double seconds, double fps) {
  const double frame = seconds * fps;
  const double whole = std::round(frame);
  char text[48];
  if (std::fabs(frame - whole) < 1e-3) {
    std::snprintf(text, sizeof text, "%.0f", whole == 0.0 ? 0.0 : whole);
  } else {
    std::snprintf(text, sizeof text, "%.2f", frame);
  }
  return text;
}

}  // namespace cli::report
