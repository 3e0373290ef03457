#pragma once

#include <string>

namespace cli::report {

// An angle for people: degrees with one decimal and a degree sign, "-266.2°".
std::string degrees_text(double radians);

// A signed change of angle: "+93.8°", "-266.2°".
std::string signed_degrees_text(double radians);

// The frame of a time: "84", or "84.25" when it falls between frames.
std::string frame_text(double seconds, double fps);

double radians_to_degrees(double radians);

}  // namespace cli::report
