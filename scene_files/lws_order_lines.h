#pragma once

#include <string>
#include <vector>

#include "scene_files/lws_scene_file.h"
#include "text/text_lines.h"

namespace scene_files {

// LightWave 2020 and later keep a rotation order per item (H-P-B, P-H-B, ...)
// and save it with the scene; which words and values a .lws file holds for it
// is not known here, and no such file was found to learn it from. Read as
// H-P-B, an item of another order would have its keys rewritten into triples
// of other orientations. So a line of an item's block that the reader does
// not otherwise know and whose keyword names an order ("RotationOrder 4",
// "PivotRotationOrder 1": the letters "order" in any case, in the first word
// or in a block's name after its "{") holds the item: its keys are never
// rewritten, and the writer leaves its lines as they are. Such a line before
// the first item, where settings of the whole scene stand, holds every item.
// Plug-in bodies are their plug-ins' data, not the item's, and hold nothing;
// nor do the keywords the reader knows to name other orders
// ("SubdivisionOrder").

// Whether the line of `tokens` names a rotation order as above.
bool names_rotation_order(const std::vector<text::LineToken> &tokens);

// "shot.lws:57: 'Cam' is kept as it was: 'RotationOrder 4' names a rotation
// order, which tavorix cannot read from a .lws file; none of its keys is
// rewritten". `item` must be held (order_line >= 0).
std::string held_item_message(const LwsSceneFile &file, const LwsSceneFile::ItemSource &item);

}  // namespace scene_files
