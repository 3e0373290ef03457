// Which read-back variants this x86-64 processor runs, chosen once at run
// time: the module is one file for every x86-64 machine, with or without
// AVX2 or AVX-512.
#include "rotation/canonical_readback.h"
#include "rotation/readback_isa/readback_variants.h"

namespace KeyFrame {
namespace {

struct RunnableVariants {
  RunnableVariants() {
    // __builtin_cpu_supports also checks that the operating system saves the
    // wider registers. Run before the first use, whatever the order in which
    // the loader ran its initialisers.
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f"))
      list[count++] = {"avx512f", read_back_avx512, sincos_avx512, asin_avx512, atan2_avx512};
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
      list[count++] = {"avx2", read_back_avx2, sincos_avx2, asin_avx2, atan2_avx2};
    list[count++] = {"sse2", read_back_sse2, sincos_sse2, asin_sse2, atan2_sse2};
  }
  ReadBackVariant list[3];
  std::size_t count = 0;
};

const RunnableVariants &runnable_variants() {
  static const RunnableVariants variants;
  return variants;
}

}  // namespace

const ReadBackVariant *runnable_read_back_variants(std::size_t &count) {
  const RunnableVariants &variants = runnable_variants();
  count = variants.count;
  return variants.list;
}

void read_back_canonical(const AngleTriple *keys, AngleTriple *canonical, std::size_t count) {
  static const auto read_back = runnable_variants().list[0].read_back;
  read_back(keys, canonical, count);
}

}  // namespace KeyFrame
