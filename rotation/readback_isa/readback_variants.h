#pragma once

#include <cstddef>

#include "rotation/angle_triple.h"

// The per-instruction-set versions of read_back_canonical, each in its own
// file compiled for its instruction set; only the file that chooses among
// them (by what the processor runs) calls them.
namespace KeyFrame {

// Two keys a vector, SLEEF's two-lane functions: any x86-64 processor.
void read_back_sse2(const AngleTriple *keys, AngleTriple *canonical, std::size_t count);
void sincos_sse2(const double *x, double *sine, double *cosine, std::size_t count);
void asin_sse2(const double *x, double *out, std::size_t count);
void atan2_sse2(const double *y, const double *x, double *out, std::size_t count);

// Four keys a vector: AVX2 with FMA.
void read_back_avx2(const AngleTriple *keys, AngleTriple *canonical, std::size_t count);
void sincos_avx2(const double *x, double *sine, double *cosine, std::size_t count);
void asin_avx2(const double *x, double *out, std::size_t count);
void atan2_avx2(const double *y, const double *x, double *out, std::size_t count);

// Eight keys a vector: AVX-512F.
void read_back_avx512(const AngleTriple *keys, AngleTriple *canonical, std::size_t count);
void sincos_avx512(const double *x, double *sine, double *cosine, std::size_t count);
void asin_avx512(const double *x, double *out, std::size_t count);
void atan2_avx512(const double *y, const double *x, double *out, std::size_t count);

}  // namespace KeyFrame
