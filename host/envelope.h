#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>

namespace host {

// Shape of the span that ends at a key, as scene files store it.
struct KeyShape {
  int span_type = 0;  // 0 TCB, 1 Hermite, 2 1D Bezier, 3 linear, 4 stepped, 5 2D Bezier
  double params[6] = {0, 0, 0, 0, 0, 0};
};

// One key of an envelope. Its address is the key handle the host hands out:
// it stays valid until the key is destroyed. Keys of one envelope form a
// doubly linked list in time order.
struct Key {
  double time = 0.0;   // seconds
  double value = 0.0;  // radians for angle channels
  KeyShape shape;
  // Scene files: index of the key in the envelope as it was read, or -1 for a
  // key created since. Lets a writer tell changed, new and deleted keys apart.
  std::int64_t source_index = -1;
  Key *prev = nullptr;
  Key *next = nullptr;
};

// An animation curve: keys ordered by time, at most one key per exact time.
// Not internally locked: calls on different envelopes may run on different
// threads at once, calls on one envelope must not.
class Envelope {
 public:
  Envelope() = default;
  Envelope(const Envelope &) = delete;
  Envelope &operator=(const Envelope &) = delete;
  ~Envelope();

  // The key at exactly `time`, or null. O(log n).
  Key *find(double time) const;
  // Creates a key at `time` holding `value`, linked into time order, and
  // returns it. A key already at that exact time is given the value and
  // returned instead. A non-finite time creates nothing and returns null.
  Key *create(double time, double value);
  // Unlinks and frees `key`. Returns false (and does nothing) when `key` does
  // not belong to this envelope.
  bool destroy(Key *key);
  // Whether `key` is one of this envelope's live keys. O(log n).
  bool contains(const Key *key) const;
  // Moves `key` to `time`, keeping the time order; the handle stays valid.
  // Refuses (returns false, changes nothing) when `key` is not one of this
  // envelope's keys, `time` is not finite, or another key already sits at
  // exactly `time`. Moving a key to its own time succeeds.
  bool set_time(Key *key, double time);

  Key *first() const { return first_; }
  Key *last() const { return last_; }
  std::size_t size() const { return keys_.size(); }
  void clear();

  // Value of the curve at `time` (linear between keys, constant outside);
  // what the host shows as the "current value" when no key lies there.
  double value_at(double time) const;

  // End behaviours as scene files store them (0 reset, 1 constant, ...).
  int pre_behavior = 1;
  int post_behavior = 1;

 private:
  using KeyMap = std::map<double, std::unique_ptr<Key>>;
  // Fills the prev/next links of the key at `where` and of its neighbours.
  void link(KeyMap::iterator where);
  // Takes `key` out of the linked list (not out of keys_).
  void unlink(Key *key);

  KeyMap keys_;
  Key *first_ = nullptr;
  Key *last_ = nullptr;
};

}  // namespace host
