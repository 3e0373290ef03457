#include "cli/options/module_search.h"

#include "cli/options/cli_failure.h"
#include "platform/environment.h"
#include "platform/platform_files.h"

// The build defines it (CMakeLists.txt): the installed plug-in folder relative
// to the folder above the program's, or empty where there is none.
#ifndef TAVORIX_INSTALLED_MODULE_DIR
#error "TAVORIX_INSTALLED_MODULE_DIR comes from the build"
#endif

namespace cli::options {
namespace {

constexpr const char *kModuleName = "tavorix.p";
constexpr const char *kOptionHint = "choose the module file with --module PATH";

// Whether `path` names a regular file, following symbolic links (an
// installation may link the module from elsewhere).
bool names_a_file(std::string path) {
  for (int links = 0; links < 40; ++links) {
    const platform::PathInfo info = platform::inspect(path);
    if (info.kind != platform::PathKind::symbolic_link) return info.kind == platform::PathKind::regular_file;
    std::string target, reason;
    if (!platform::read_link(path, target, reason)) return false;
    path = target;
  }
  return false;  // a loop of links
}

// The installed plug-in folder's module: from <prefix>/bin, where the
// program sits, to <prefix>/TAVORIX_INSTALLED_MODULE_DIR/tavorix.p.
std::string installed_module_path(const std::string &program_folder) {
  std::string prefix = platform::folder_of(program_folder);
  if (prefix == "/") prefix.clear();
  return prefix + "/" + TAVORIX_INSTALLED_MODULE_DIR + "/" + kModuleName;
}

std::string place_state(const ModulePlace &place, bool chosen) {
  if (place.path.empty()) return "not set";
  std::string state = place.path + (place.present ? " (found" : " (not there");
  return state + (chosen ? ", used)" : ")");
}

}  // namespace

ModuleSearch search_for_module() {
  ModuleSearch search;
  ModulePlace variable;
  variable.where = kModuleVariable;
  variable.path = platform::environment_variable(kModuleVariable);
  variable.present = !variable.path.empty() && names_a_file(variable.path);
  variable.from_variable = true;
  search.places.push_back(variable);

  const std::string folder = platform::program_folder();
  ModulePlace beside;
  beside.where = "beside the program";
  beside.path = folder.empty() ? kModuleName : folder + "/" + kModuleName;
  search.places.push_back(beside);
  if (!folder.empty() && std::string(TAVORIX_INSTALLED_MODULE_DIR).size() > 0) {
    ModulePlace installed;
    installed.where = "installed plug-in folder";
    installed.path = installed_module_path(folder);
    search.places.push_back(installed);
  }
  for (std::size_t i = 1; i < search.places.size(); ++i) {
    search.places[i].present = names_a_file(search.places[i].path);
  }

  if (!variable.path.empty()) {
    search.chosen = 0;
    return search;
  }
  for (std::size_t i = 1; i < search.places.size(); ++i) {
    if (search.places[i].present) {
      search.chosen = static_cast<int>(i);
      break;
    }
  }
  return search;
}

ModuleChoice choose_module(const std::string &option) {
  if (!option.empty()) return {option, kOptionHint};
  const ModuleSearch search = search_for_module();
  if (search.chosen < 0) {
    std::string looked;
    for (const ModulePlace &place : search.places) {
      if (!place.from_variable) looked += (looked.empty() ? "" : ", ") + place.path;
    }
    throw module_failed("no module file " + std::string(kModuleName) + " found (looked for " + looked + "; " +
                        kOptionHint + " or the environment variable " + kModuleVariable + ")");
  }
  const ModulePlace &place = search.places[static_cast<std::size_t>(search.chosen)];
  if (place.from_variable) {
    return {place.path, std::string("the environment variable ") + kModuleVariable +
                            " names it; choose the module file with --module PATH or " + kModuleVariable};
  }
  return {place.path, kOptionHint};
}

std::string describe_module_search(const ModuleSearch &search) {
  std::string text = "module search, in order (--module PATH comes before all):";
  for (std::size_t i = 0; i < search.places.size(); ++i) {
    const ModulePlace &place = search.places[i];
    text += "\n  " + std::to_string(i + 1) + ". " + place.where + ": " +
            place_state(place, static_cast<int>(i) == search.chosen);
  }
  if (search.chosen < 0) {
    return text + "\nmodule: none found (choose the module file with --module PATH or " + kModuleVariable +
           ")";
  }
  const ModulePlace &chosen = search.places[static_cast<std::size_t>(search.chosen)];
  if (!chosen.present)
    return text + "\nmodule: " + chosen.path + ", named by " + kModuleVariable + ", is not there";
  return text + "\nmodule: " + chosen.path;
}

}  // namespace cli::options
