#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "scene/scene.h"
#include "scene_files/lws_scene_file.h"
#include "text/piece_text.h"

namespace cli::files {

// A scene file read into a host's Scene, able to write the scene back: a
// .lws file changes only in the keys that changed (LwsSceneFile), a JSON
// file is written whole. The format of a file is told by its extension
// (.lws or .json), else by its first bytes ("LWSC" or "{").
class SceneDocument {
 public:
  enum class Format { Lws, Json };

  // Reads `path` into `scene` (which should be empty). Throws CliFailure
  // (bad input) with the file, line and what was expected.
  static SceneDocument load(const std::string &path, scene::Scene &scene);

  // Text of `scene` in `format`. Writing .lws needs a document read from a
  // .lws file (only changes to such a file can be written); otherwise
  // CliFailure (bad input). Warnings go to `warnings`.
  text::PieceText render(const scene::Scene &scene, Format format, std::vector<std::string> &warnings) const;

  // Format of an output path by its extension; `fallback` for other names.
  static Format format_for_output(const std::string &path, Format fallback);

  const std::string &path() const { return path_; }
  Format format() const { return format_; }
  // The .lws file read, null for a JSON scene.
  const scene_files::LwsSceneFile *lws_file() const { return lws_ ? &*lws_ : nullptr; }
  // The bytes that were read, for a backup.
  const std::string &original_text() const { return lws_ ? lws_->text() : original_text_; }

  // What the reader noted about the file beside errors (a format version
  // not seen before), one line each.
  const std::vector<std::string> &notes() const { return notes_; }
  // Prints each note as "tavorix: note: ...".
  void print_notes(std::ostream &out) const;

 private:
  std::string path_;
  Format format_ = Format::Json;
  std::string original_text_;  // for JSON; a .lws file's text is held by lws_ alone
  std::vector<std::string> notes_;
  std::optional<scene_files::LwsSceneFile> lws_;
};

}  // namespace cli::files
