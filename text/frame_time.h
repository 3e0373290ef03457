#pragma once

namespace text {

// How key times read from a file meet times set by frame.
//
// Scene files store key times in seconds, usually rounded (LightWave writes
// frame 1 at 30 fps as 0.033333335). A current time set by frame is computed
// as frame / fps. So that "--frame 1" or "GoToFrame 1" finds the key of frame
// 1, a key time read from a file that lies within kFrameSnapTolerance frames
// of a whole frame is held in memory as exactly that frame's time,
// frame_time(round(t * fps), fps). The file's own time text is kept as it was
// written; only a key whose time the module moves gets new text.
//
// 1e-3 frames is far above the rounding of a float or of 8 significant digits
// (at most ~1e-6 frames for a scene of 100 000 frames) and far below anything
// an animator sets on purpose between frames.
constexpr double kFrameSnapTolerance = 1e-3;  // in frames

// The time of `frame` in seconds. Every place that turns a frame into a time
// uses this, so equal frames always give bit-identical times.
inline double frame_time(double frame, double fps) { return frame / fps; }

// `seconds`, or the time of the nearest whole frame when that is within
// kFrameSnapTolerance frames. Times that are not finite, and a frame rate that
// is not positive, leave the time as it is.
double snap_to_frame(double seconds, double fps);

}  // namespace text
