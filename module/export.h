#pragma once

// Marks the one symbol the module file exports, its descriptor. Everything
// else is hidden (compiled with hidden visibility).
#if defined(_WIN32)
#define TAVORIX_EXPORT __declspec(dllexport)
#else
#define TAVORIX_EXPORT __attribute__((visibility("default")))
#endif
