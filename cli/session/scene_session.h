#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/files/held_items.h"
#include "cli/files/scene_document.h"
#include "cli/options/item_choice.h"
#include "cli/options/option_values.h"
#include "cli/session/fix_run.h"
#include "host/host.h"
#include "loader/module_loader.h"

namespace cli::session {

// One scene file opened for the module: a stand-in host of its own with the
// scene read into it, the items a command works on and those it holds back.
// Every subcommand that runs the module on a scene file goes this way:
//
//   SceneSession session(path, motion_options, quiet);  // read the file
//   session.choose_items(choice, default_choice);       // and the items
//   FixRun run = session.run_module(module, server, anchor, repeat);
//
// An item of a .lws file whose rotation order cannot be read is held
// (cli/files/held_items.h): it is never among the chosen items, so the
// module never sees it, and the command ends with exit code 2.
class SceneSession {
 public:
  // Reads `scene_path` into a new host whose progress bar and module
  // messages show unless `quiet_host`, with the motion options (Hermite
  // tangents) applied. Throws CliFailure (bad input) with the file, line and
  // what was expected.
  SceneSession(const std::string &scene_path, const options::MotionOptions &motion, bool quiet_host);

  SceneSession(const SceneSession &) = delete;
  SceneSession &operator=(const SceneSession &) = delete;

  // The items of `choice` (or `by_default`), without the held ones. Throws
  // CliFailure (bad input) for a name the scene does not hold.
  void choose_items(const options::ItemChoice &choice, options::DefaultChoice by_default);

  // Runs the "LayoutGeneric" server `server` of `module` on the chosen items
  // (run_fix). Throws CliFailure (module failed) when the server fails.
  FixRun run_module(loader::LoadedModule &module, const std::string &server, bool anchor, Repeat repeat);

  host::Host &host() { return *host_; }
  scene::Scene &scene() { return host_->scene(); }
  double frames_per_second() const { return host_->scene().frames_per_second(); }
  const std::string &path() const { return path_; }
  const files::SceneDocument &document() const { return document_; }
  const std::vector<files::HeldItem> &held() const { return held_; }
  const std::vector<scene::Item *> &items() const { return items_; }
  // kExitOk, or kExitBadInput when items were held.
  int exit_code() const;

 private:
  std::string path_;
  std::unique_ptr<host::Host> host_;  // its tables point into it: it never moves
  files::SceneDocument document_;
  std::vector<files::HeldItem> held_;
  std::vector<scene::Item *> items_;
};

}  // namespace cli::session
