#pragma once

#include "scene/scene.h"

namespace cli::commands {

// The scene "tavorix demo" fixes: rotation keys as a bake or an export
// leaves them, every 4 frames over 4 seconds at 30 fps.
//
// - "Turntable" (null) turns 330 degrees, its heading stored wrapped into
//   -180..180 (a whole-turn jump where it passes 180) and one key a whole
//   turn too far (415 degrees for 55).
// - "Camera" pans and tilts; three of its keys hold the other Euler triple of
//   the same orientation, (h + 180, 180 - p, b + 180).
// - "Flyer" loops over the top: its pitch rises to 110 degrees and back,
//   baked with the pitch kept within -90..90, so heading and bank flip by
//   half a turn where it passes 90 degrees (one key sits at 89 degrees).
// - "Lamp" (light) has one static key per channel and must stay as it is.
//
// Every heading, pitch and bank key of an item shares its time, as the scan
// needs. The items are added to `scene` (which should be empty) and selected.
void build_demo_scene(scene::Scene &scene);

}  // namespace cli::commands
