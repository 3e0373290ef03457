#pragma once

// Where this build's files are, as its programs see them (a Windows program
// run under Wine finds this machine's file system on drive Z:). The paths
// are written into one source file generated in the build folder
// (build_paths.cpp.in, tests/CMakeLists.txt) rather than handed to every
// test source as macros: only that file then depends on where the tree and
// its build folder are, and every other test source compiles to the same
// object from any checkout, which a compiler cache can reuse.
namespace testing_support::build_paths {

// The root of the source tree.
const char *source_dir();

// tavorix.p as this build made it.
const char *module_file();

// The tavorix program of this build.
const char *cli_program();

// The stand-in host's fixture module of the given name (good, bad_sync,
// bad_version, ...: tests/CMakeLists.txt). An unknown name ends the program.
const char *host_fixture(const char *name);

}  // namespace testing_support::build_paths
