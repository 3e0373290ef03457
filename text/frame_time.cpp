#include "text/frame_time.h"

#include <cmath>

namespace text {

double snap_to_frame(double seconds, double fps) {
  if (!std::isfinite(seconds) || !(fps > 0.0) || !std::isfinite(fps)) return seconds;
  const double frames = seconds * fps;
  const double whole = std::nearbyint(frames);
  if (std::fabs(frames - whole) >= kFrameSnapTolerance) return seconds;
  return frame_time(whole, fps);
}

}  // namespace text
