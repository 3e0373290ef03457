#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

namespace host {

// Shape of the span that ends at a key, as scene files store it.
struct KeyShape {
  int span_type = 0;  // 0 TCB, 1 Hermite, 2 1D Bezier, 3 linear, 4 stepped, 5 2D Bezier
  double params[6] = {0, 0, 0, 0, 0, 0};
};

// One key of an envelope. Its address is the key handle the host hands out:
// it stays valid until the key is destroyed. Keys of one envelope form a
// doubly linked list in time order.
//
// Only what a walk along the keys reads: 32 bytes, aligned so that a key
// never straddles two cache lines and two keys share one. What a scene file
// says of a key beyond its time and value is kept apart (KeyOrigin), so the
// module's scans stream half as many lines as with it inline.
struct alignas(32) Key {
  double time = 0.0;   // seconds
  double value = 0.0;  // radians for angle channels
  Key *prev = nullptr;
  Key *next = nullptr;
};
static_assert(sizeof(Key) == 32, "two keys to a cache line");

// A key as a scene file had it: its index in the envelope as it was read, and
// the shape of its span. Lets a writer tell changed, new and deleted keys
// apart and keep the shapes it does not understand.
struct KeyOrigin {
  std::int64_t index = -1;
  KeyShape shape;
};

// An animation curve: keys ordered by time, at most one key per exact time.
// Not internally locked: calls on different envelopes may run on different
// threads at once, calls on one envelope must not (find included: it moves
// the finger below).
//
// Layout, for the module's scans: the keys live in blocks owned by the
// envelope, so a walk along the links reads one envelope's keys from
// contiguous memory; a time index (a balanced tree) gives O(log n) lookups
// and insertions anywhere. find first tries the key it found or created
// last and the one after it, so walking times in order costs O(1) a step.
class Envelope {
 public:
  Envelope() = default;
  Envelope(const Envelope &) = delete;
  Envelope &operator=(const Envelope &) = delete;
  ~Envelope();

  // The key at exactly `time`, or null (always null for a time that is not
  // finite). O(log n); O(1) when it is the key found or created last or the
  // one after that.
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
  std::size_t size() const { return index_.size(); }
  void clear();

  // Where `key` came from in a scene file, or null for a key made since the
  // file was read (or one not of this envelope). Destroying a key forgets it.
  const KeyOrigin *origin(const Key *key) const;
  void set_origin(const Key *key, const KeyOrigin &origin);

  // Value of the curve at `time` (linear between keys, constant outside);
  // what the host shows as the "current value" when no key lies there.
  double value_at(double time) const;

  // End behaviours as scene files store them (0 reset, 1 constant, ...).
  int pre_behavior = 1;
  int post_behavior = 1;

 private:
  using KeyIndex = std::map<double, Key *>;
  // Fills the prev/next links of the key at `where` and of its neighbours.
  void link(KeyIndex::iterator where);
  // Takes `key` out of the linked list (not out of index_).
  void unlink(Key *key);
  // A slot for a new key, default-initialised: from the free list, else the
  // last block, else a new block (which may throw std::bad_alloc).
  Key *allocate_key();
  // Gives a slot back to the free list.
  void release_key(Key *key);

  // Key storage. Blocks never move or shrink until clear() or destruction;
  // they double in size up to kMaxBlockKeys. Free slots are chained through
  // Key::next.
  static constexpr std::size_t kFirstBlockKeys = 2;
  static constexpr std::size_t kMaxBlockKeys = 1024;
  std::vector<std::unique_ptr<Key[]>> blocks_;
  std::size_t last_block_size_ = 0;
  std::size_t last_block_used_ = 0;
  Key *free_keys_ = nullptr;

  KeyIndex index_;
  // Only keys read from a scene file have an entry.
  std::unordered_map<const Key *, KeyOrigin> origins_;
  Key *first_ = nullptr;
  Key *last_ = nullptr;
  // The key find() answered or create() made last (null when unknown), where
  // the next find starts looking, and its time, so that asking for that key
  // again reads nothing but the envelope.
  mutable Key *finger_ = nullptr;
  mutable double finger_time_ = 0.0;
};

}  // namespace host
