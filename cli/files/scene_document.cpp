#include "cli/files/scene_document.h"

#include <cctype>

#include "cli/files/file_io.h"
#include "cli/files/held_items.h"
#include "cli/options/cli_failure.h"
#include "scene_files/json_scene_file.h"
#include "scene_files/scene_file_error.h"

namespace cli::files {
namespace {

bool ends_with(const std::string &text, const std::string &suffix) {
  if (text.size() < suffix.size()) return false;
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    const char c = text[text.size() - suffix.size() + i];
    if (std::tolower(static_cast<unsigned char>(c)) != suffix[i]) return false;
  }
  return true;
}

std::optional<SceneDocument::Format> format_by_extension(const std::string &path) {
  if (ends_with(path, ".lws")) return SceneDocument::Format::Lws;
  if (ends_with(path, ".json")) return SceneDocument::Format::Json;
  return std::nullopt;
}

SceneDocument::Format format_by_content(const std::string &path, const std::string &text) {
  const std::size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  const std::size_t first = text.find_first_not_of(" \t\r\n", start);
  if (text.compare(0, 4, "LWSC") == 0 || text.compare(0, 7, "\xEF\xBB\xBFLWSC") == 0)
    return SceneDocument::Format::Lws;
  if (first != std::string::npos && text[first] == '{') return SceneDocument::Format::Json;
  throw options::bad_input(path +
                           ":1: expected a scene: a LightWave scene (.lws, beginning with 'LWSC') or a JSON "
                           "scene (.json, see docs/scene-format.md)");
}

}  // namespace

SceneDocument SceneDocument::load(const std::string &path, scene::Scene &scene) {
  SceneDocument document;
  document.path_ = path;
  std::string text = read_whole_file(path);
  const auto by_extension = format_by_extension(path);
  document.format_ = by_extension ? *by_extension : format_by_content(path, text);
  try {
    if (document.format_ == Format::Lws) {
      document.lws_ = scene_files::LwsSceneFile::read(std::move(text), path, scene);
      document.notes_ = document.lws_->notes();
    } else {
      scene_files::read_json_scene(text, path, scene);
      document.original_text_ = std::move(text);
    }
  } catch (const scene_files::SceneFileError &error) {
    throw options::CliFailure(options::kExitBadInput, error.file(), error.line(), error.message());
  }
  return document;
}

text::PieceText SceneDocument::render(const scene::Scene &scene, Format format,
                                      std::vector<std::string> &warnings) const {
  try {
    if (format == Format::Json) {
      refuse_json_with_held_items(*this);
      return text::PieceText(scene_files::write_json_scene(scene, path_));
    }
    if (!lws_) {
      throw options::bad_input(
          path_ + ": a .lws scene can only be written from a .lws scene; write this one as .json");
    }
    return lws_->write_pieces(scene, &warnings);
  } catch (const scene_files::SceneFileError &error) {
    throw options::CliFailure(options::kExitBadInput, error.file(), error.line(), error.message());
  }
}

void SceneDocument::print_notes(std::ostream &out) const {
  for (const std::string &note : notes_) out << "tavorix: note: " << note << '\n';
}

SceneDocument::Format SceneDocument::format_for_output(const std::string &path, Format fallback) {
  const auto by_extension = format_by_extension(path);
  return by_extension ? *by_extension : fallback;
}

}  // namespace cli::files
