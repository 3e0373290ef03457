#include "cli/session/scene_session.h"

#include "cli/options/cli_failure.h"
#include "cli/options/common_options.h"
#include "cli/session/module_session.h"

namespace cli::session {
namespace {

std::unique_ptr<host::Host> make_host(const options::MotionOptions &motion, bool quiet_host) {
  auto host = std::make_unique<host::Host>();
  set_host_output(*host, quiet_host);
  options::apply_motion_options(*host, motion);
  return host;
}

}  // namespace

SceneSession::SceneSession(const std::string &scene_path, const options::MotionOptions &motion,
                           bool quiet_host)
    : path_(scene_path),
      host_(make_host(motion, quiet_host)),
      document_(files::SceneDocument::load(scene_path, host_->scene())),
      held_(files::held_items(document_, host_->scene())) {}

void SceneSession::choose_items(const options::ItemChoice &choice, options::DefaultChoice by_default) {
  items_ = files::without_held(options::choose_items(scene(), choice, by_default, path_), held_);
}

FixRun SceneSession::run_module(loader::LoadedModule &module, const std::string &server, bool anchor,
                                Repeat repeat) {
  return run_fix(*host_, module, server, items_, anchor, repeat);
}

int SceneSession::exit_code() const { return held_.empty() ? options::kExitOk : options::kExitBadInput; }

}  // namespace cli::session
