#pragma once

#include <immintrin.h>

#include <cstdint>

#include "scene/envelope.h"
#include "scene/scene.h"

namespace bench_support {

// Flushes every key of every channel of `scene` out of the processor's
// caches, so the next command finds the scene in memory only, as it does
// after the host has done other work since the scene was loaded or last
// touched. Without it a benchmark that repeats a command on a scene that
// fits in cache measures the scene still cached from the previous repeat,
// and small scenes look faster per key than large ones.
inline void flush_key_from_cache(const scene::Key *key) {
  // A key spans at most two cache lines.
  const auto first = reinterpret_cast<std::uintptr_t>(key) & ~std::uintptr_t{63};
  const auto last = (reinterpret_cast<std::uintptr_t>(key) + sizeof(scene::Key) - 1) & ~std::uintptr_t{63};
  for (std::uintptr_t line = first; line <= last; line += 64)
    _mm_clflush(reinterpret_cast<const void *>(line));
}

inline void flush_scene_from_cache(const scene::Scene &scene) {
  for (const auto &item : scene.items()) {
    for (const auto &channel : item->channels) {
      for (const scene::Key *key = channel->envelope.first(); key != nullptr; key = key->next) {
        flush_key_from_cache(key);
      }
    }
  }
  _mm_mfence();
}

// The same for the keys at `time` only: those a real-time step writes.
inline void flush_keys_at_from_cache(const scene::Scene &scene, double time) {
  for (const auto &item : scene.items()) {
    for (const auto &channel : item->channels) {
      if (const scene::Key *key = channel->envelope.find(time)) flush_key_from_cache(key);
    }
  }
  _mm_mfence();
}

}  // namespace bench_support
