#pragma once

#include <string>

#include "scene/scene.h"

namespace scene_files {

// Scenes in the project's own JSON format (docs/scene-format.md):
//
//   {
//     "version": 1,
//     "fps": 30,
//     "frame": 12,                       (or "time": 0.4, in seconds)
//     "items": [
//       {"name": "Rig", "kind": "null", "id": "10000000",
//        "channels": {"Rotation.H": [[0, 0.0], [1.5, 3.1]],
//                     "Rotation.P": {"keys": [[0, 0.2]], "behaviors": [1, 1],
//                                    "modifiers": [".EnvExprLink"]}}},
//       {"name": "Camera", "kind": "camera", "parent": "Rig"}
//     ],
//     "selection": ["Rig"]
//   }
//
// Key times are seconds, rotation values radians; key times are snapped to
// whole frames as frame_time.h describes.

// Adds the scene in `text` (the content of `file_name`, used in messages) to
// `scene`, which should hold no items yet. Throws SceneFileError: for a JSON
// syntax error with the line, for anything else with the JSON path of the
// offending value (e.g. "items[2].channels.Rotation.X: unknown channel").
void read_json_scene(const std::string &text, const std::string &file_name, scene::Scene &scene);

// The scene as JSON text in the same format: every item with its channels
// that have keys, the selection and the current time. Reading the text back
// gives the same scene. Throws SceneFileError when a key is not a finite
// number, which JSON cannot hold.
std::string write_json_scene(const scene::Scene &scene, const std::string &file_name);

}  // namespace scene_files
