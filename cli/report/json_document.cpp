#include "cli/report/json_document.h"

#include "cli/options/cli_failure.h"
#include "cli/options/version_text.h"

namespace cli::report {

JsonDocument::JsonDocument(const std::string &command, Json options) {
  document_["format"] = "tavorix-report";
  document_["version"] = 1;
  document_["program"] = Json{{"name", "tavorix"}, {"version", options::program_version()}};
  document_["command"] = command;
  document_["options"] = std::move(options);
  document_["scenes"] = Json::array();
  document_["errors"] = Json::array();
}

Json &JsonDocument::add_scene(const std::string &path) {
  Json scene;
  scene["path"] = path;
  scene["errors"] = Json::array();
  document_["scenes"].push_back(std::move(scene));
  return document_["scenes"].back();
}

void JsonDocument::add_error(const std::exception &error, Json *scene) {
  const std::exception_ptr current = std::current_exception();
  if (current != nullptr && current == last_recorded_) return;
  last_recorded_ = current;
  Json &errors = scene != nullptr ? (*scene)["errors"] : document_["errors"];
  errors.push_back(error_json(error));
  if (scene != nullptr) {
    const auto *failure = dynamic_cast<const options::CliFailure *>(&error);
    (*scene)["exit_code"] =
        failure != nullptr ? static_cast<int>(failure->code()) : static_cast<int>(options::kExitModuleFailed);
  }
}

std::string JsonDocument::text(int exit_code) {
  document_["exit_code"] = exit_code;
  return document_.dump(2) + "\n";
}

void describe_scene_file(Json &scene, const files::SceneDocument &document, double fps) {
  const bool lws = document.format() == files::SceneDocument::Format::Lws;
  scene["format"] = lws ? "lws" : "json";
  // The project's JSON scenes have one version so far (docs/scene-format.md).
  scene["format_version"] = lws ? document.lws_file()->version() : 1;
  scene["fps"] = fps;
}

Json written_json(const files::WrittenFiles &written) {
  const auto path = [](const std::string &text) { return text.empty() ? Json(nullptr) : Json(text); };
  return Json{{"scene", path(written.scene)},
              {"backup", path(written.backup)},
              {"plot", path(written.plot)},
              {"not_written", path(written.not_written)}};
}

Json error_json(const std::exception &error) {
  if (const auto *failure = dynamic_cast<const options::CliFailure *>(&error)) {
    return Json{{"file", failure->file().empty() ? Json(nullptr) : Json(failure->file())},
                {"line", failure->line() > 0 ? Json(failure->line()) : Json(nullptr)},
                {"message", failure->message()},
                {"exit_code", static_cast<int>(failure->code())}};
  }
  return Json{{"file", nullptr},
              {"line", nullptr},
              {"message", std::string("failed: ") + error.what()},
              {"exit_code", static_cast<int>(options::kExitModuleFailed)}};
}

}  // namespace cli::report
