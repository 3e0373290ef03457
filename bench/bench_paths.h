#pragma once

// The module files the benchmarks load, as this build made them and as the
// program sees them (a Windows program run under Wine finds this machine's
// file system on drive Z:). Written into one source file generated in the
// build folder (bench_paths.cpp.in, bench/CMakeLists.txt), so that only that
// file depends on where the build folder is: every other benchmark source
// compiles to the same object from any checkout, which a compiler cache can
// reuse.
namespace bench_support::paths {

// tavorix.p.
const char *module_file();

// The copies of the module whose scan runs through today's scalar kernels,
// and through a transform that writes the values back as read.
const char *scalar_kernels_module_file();
const char *copy_kernels_module_file();

// The tavorix program, with tavorix.p beside it.
const char *program_file();

}  // namespace bench_support::paths
