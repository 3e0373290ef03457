#pragma once

#include <string>
#include <vector>

// Where the tavorix program finds the module tavorix.p. --module PATH comes
// first; without it, in order:
//   1. the file the environment variable TAVORIX_MODULE names. When it is
//      set it is the only place tried, so that a wrong value fails instead of
//      quietly loading another module;
//   2. tavorix.p beside the program (a build folder, an unpacked archive);
//   3. the installed plug-in folder, found from the program's own folder
//      (bin/tavorix -> lib/<multiarch triplet>/tavorix/tavorix.p), so that
//      an unpacked package works as the installed one does. Builds for
//      systems without such a folder (Windows) have no third place.
namespace cli::options {

inline constexpr const char *kModuleVariable = "TAVORIX_MODULE";

struct ModulePlace {
  std::string where;     // how the place comes about, in words
  std::string path;      // the file looked for; empty for an unset variable
  bool present = false;  // a regular file is there (through links)
  bool from_variable = false;
};

struct ModuleSearch {
  std::vector<ModulePlace> places;  // in the order they are tried
  int chosen = -1;                  // the place whose file is loaded; -1: none
};

// Looks at every place (nothing is loaded).
ModuleSearch search_for_module();

// The module file a command loads: `option` (--module) when given, the
// search's choice otherwise; `hint` is what to say when it cannot be loaded.
// Throws CliFailure (module failed) when no place has the module.
struct ModuleChoice {
  std::string path;
  std::string hint;
};
ModuleChoice choose_module(const std::string &option);

// The places in order, what each holds and which file is loaded, as
// `tavorix --version` shows them.
std::string describe_module_search(const ModuleSearch &search);

}  // namespace cli::options
