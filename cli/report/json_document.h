#pragma once

#include <exception>
#include <string>
#include <vector>

#include "cli/files/scene_document.h"
#include "cli/files/scene_output.h"
#include "cli/report/json_report.h"

namespace cli::report {

// The one JSON document of a run (docs/report-format.md):
//
//   {"format": "tavorix-report", "version": 1, "program": {...},
//    "command": "scan", "options": {...},
//    "scenes": [{"path": ..., "items": [...], "errors": [...], "exit_code": 0}, ...],
//    "errors": [...], "exit_code": 0}
//
// An error is {"file": ..., "line": ..., "message": ...}, file and line null
// where no place applies: a script reads them without parsing a message.
// An error that ends a scene is that scene's; one that ends the run before
// or beside any scene is the run's.
class JsonDocument {
 public:
  JsonDocument(const std::string &command, Json options);

  // A new scene, with its path; the command fills in the rest. The reference
  // stays valid until the next scene is added.
  Json &add_scene(const std::string &path);

  // Records the error being handled (call inside a catch block) on `scene`,
  // or on the run when null. The same exception reaching the run after its
  // scene recorded it is not recorded twice.
  void add_error(const std::exception &error, Json *scene);

  // The document with the run's exit code, as text ending in a new line.
  std::string text(int exit_code);

 private:
  Json document_;
  std::exception_ptr last_recorded_;  // holds it, so that no other error takes its place
};

// The file's path, its format ("lws" or "json") and that format's version,
// and its frames per second.
void describe_scene_file(Json &scene, const files::SceneDocument &document, double fps);

// What was written: {"scene": path or null, "backup": ..., "plot": ...,
// "not_written": why the scene was not, or null}; "-" is the standard output.
Json written_json(const files::WrittenFiles &written);

// {"file": ..., "line": ..., "message": ...} of a CliFailure, or of another
// exception (a module that failed: no place).
Json error_json(const std::exception &error);

}  // namespace cli::report
