#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "scene_files/lws_scene_file.h"
#include "text/text_lines.h"

namespace scene_files {

// A block nested inside another block of a .lws file: a line "{ Name" (or
// "{Name"), its lines, which may hold blocks of their own to any depth, and a
// line "}" alone. Its lines are the data of whatever wrote it (a channel
// modifier's server name and settings): the reader finds where the block
// ends and what it is called, and the file keeps every byte of it.
struct LwsNestedBlock {
  int open_line = 0;   // 0-based, as every line index of a LwsSceneFile
  int close_line = 0;  // the line "}" that closes it
  std::string name;    // "ChannelHandler"; empty for a line "{" alone
  // What a reader is told the block is: for a "ChannelHandler" block the
  // server named on its first line (".EnvExprLink", without its quotes),
  // for any other block (or a ChannelHandler naming none) its name, or its
  // opening line when it has no name. Never empty.
  std::string server;
};

// Whether a line whose words are `tokens` opens a block.
bool opens_lws_block(const std::vector<text::LineToken> &tokens);

// Reads the block that opens on line `open` of `file` through its closing
// line. `enclosing_open` is the line that opened the block around it (an
// envelope's "{ Envelope"), named `enclosing_name` in messages.
//
// Blocks close by counting braces. Where the file indents its blocks (the
// nested block's opening line is indented further than the enclosing one,
// as LightWave writes them), a line "}" indented no further than the
// enclosing block's opening line closes that block, not this one: this block
// then lacks its "}", and the file is refused rather than read with the
// enclosing block's lines taken for this one's data.
//
// Throws SceneFileError naming the line of the block that is not closed.
LwsNestedBlock read_lws_nested_block(const LwsSceneFile &file, int open, int enclosing_open,
                                     const std::string &enclosing_name);

}  // namespace scene_files
