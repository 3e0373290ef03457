#pragma once

// Turns a fuzzer's bytes into the values the targets need. Every reader
// answers something (0, or an empty text) once the bytes run out, so any
// input is a complete case.

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace fuzz_input {

class Bytes {
 public:
  Bytes(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}

  bool empty() const { return position_ >= size_; }
  std::size_t remaining() const { return size_ - position_; }

  std::uint8_t byte() { return empty() ? 0 : data_[position_++]; }

  std::uint16_t u16() {
    const std::uint16_t high = byte();
    return static_cast<std::uint16_t>((high << 8) | byte());
  }

  // Up to `count` bytes as they come.
  std::string text(std::size_t count) {
    if (count > remaining()) count = remaining();
    std::string out(reinterpret_cast<const char *>(data_ + position_), count);
    position_ += count;
    return out;
  }

  // A double. A tag byte chooses how the following bytes make it: raw bit
  // patterns reach every NaN, infinity, subnormal and huge value; the other
  // forms make likely the angles where the rotation code branches (quarter
  // and half turns, the gimbal limits, tolerances, the ends of the 32-bit
  // turn count), exactly or a few ulps off, small angles a few turns out, and
  // small steps.
  double number() {
    const std::uint8_t tag = byte();
    switch (tag % 6) {
      case 0: {
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i) bits = (bits << 8) | byte();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
      }
      case 1: return special(byte());
      case 2: return static_cast<std::int16_t>(u16()) / 4096.0;  // [-8, 8) radians
      case 3: {
        double value = special(byte());
        const int steps = static_cast<std::int8_t>(byte());
        const double towards =
            steps < 0 ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
        for (int i = 0; i < std::abs(steps); ++i) value = std::nextafter(value, towards);
        return value;
      }
      case 4: return special(byte()) + static_cast<std::int8_t>(byte()) / 64.0;
      default: return static_cast<std::int8_t>(byte()) / 2048.0;  // a small step, |v| < 0.0625
    }
  }

  static double special(std::uint8_t index) {
    constexpr double kPi = 3.141592653589793;
    static const double kValues[] = {
        0.0,
        -0.0,
        kPi / 2,
        -kPi / 2,
        kPi,
        -kPi,
        2 * kPi,
        -2 * kPi,
        3 * kPi / 2,
        -3 * kPi / 2,
        1e-14,
        -1e-14,
        1e-6,
        -1e-6,
        0.0005,
        -0.0005,
        std::asin(0.9995),
        -std::asin(0.9995),
        std::asin(0.99999999999999),
        -std::asin(0.99999999999999),
        1e6,
        -1e6,
        1e9,
        -1e9,
        2147483646.0 * 2 * kPi,
        -2147483646.0 * 2 * kPi,
        1.35e10,
        1e15,
        -1e15,
        1e300,
        -1e300,
        DBL_MAX,
        -DBL_MAX,
        DBL_MIN,
        std::numeric_limits<double>::denorm_min(),
        std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(),
        1.0,
        -1.0,
    };
    return kValues[index % (sizeof kValues / sizeof kValues[0])];
  }

 private:
  const std::uint8_t *data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

}  // namespace fuzz_input
