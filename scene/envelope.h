#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace scene {

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

// An animation curve: keys ordered by time, at most one key per exact time.
// Not internally locked: calls on different envelopes may run on different
// threads at once, calls on one envelope must not (find included: it moves
// the finger below).
//
// Layout, for the module's scans and for scenes of millions of keys: the
// keys live in blocks owned by the envelope, so a walk along the links reads
// one envelope's keys from contiguous memory; a time index (the keys in time
// order, a pointer each) gives O(log n) lookups. Keys are mostly made in time
// order (scene files list them so), which appends to the index; a key made
// or destroyed elsewhere moves the index entries after it (a few made and
// taken away again per command). find first tries the key it found or
// created last and the one after it, so walking times in order costs O(1) a
// step.
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
  // Makes a key at `time` holding `value`, with the file index `origin` and
  // the shape `shape`, as create(), set_origin() and set_shape() would, the
  // shape not counted as an edit: for a reader filling an envelope in time
  // order (after reserve()), without their lookups. A time that is not after
  // every key's takes the way of those calls.
  Key *append(double time, double value, std::int64_t origin, const KeyShape &shape);
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
  // Room for `count` keys in all, so that reading a file's keys allocates
  // their storage once.
  void reserve(std::size_t count);

  // The shape of the span that ends at `key`, as scene files store it; the
  // default (TCB, all parameters 0) for a key never given one or not of
  // this envelope. A key made between two others takes the shape of the
  // span it splits (the next key's), a key made last that of the key before.
  KeyShape shape(const Key *key) const;
  void set_shape(const Key *key, const KeyShape &shape);
  // Whether set_shape was called for `key` since forget_shape_edits() (a
  // writer compares only those with the file).
  bool shape_edited(const Key *key) const;
  void forget_shape_edits();

  // The key at position `i` in time order, 0 <= i < size(). O(1).
  Key *key_at(std::size_t i) const { return index_[i]; }

  // Where `key` came from in a scene file: its index among the keys of the
  // envelope as the file listed them, or -1 for a key made since the file
  // was read (or one not of this envelope). Destroying a key forgets it.
  std::int64_t origin(const Key *key) const;
  void set_origin(const Key *key, std::int64_t index);

  // End behaviours as scene files store them (0 reset, 1 constant, ...).
  int pre_behavior = 1;
  int post_behavior = 1;

 private:
  // The keys in time order.
  using KeyIndex = std::vector<Key *>;
  // The first entry whose key is not earlier than `time`.
  KeyIndex::const_iterator lower_bound(double time) const;
  // Fills the prev/next links of the key at `where` and of its neighbours.
  void link(KeyIndex::const_iterator where);
  // Takes `key` out of the linked list (not out of index_).
  void unlink(Key *key);
  // A slot for a new key, default-initialised and with no origin: from the
  // free list, else the last block, else a new block (which may throw
  // std::bad_alloc).
  Key *allocate_key();
  // Gives a slot back to the free list.
  void release_key(Key *key);
  // The number of `key`'s slot among all the blocks' slots, or -1 when it
  // lies in none of them.
  std::int64_t slot_of(const Key *key) const;
  void add_block(std::size_t size);

  // Key storage. Blocks never move or shrink until clear() or destruction;
  // they double in size up to kMaxBlockKeys (or take what reserve() asked
  // for). Free slots are chained through Key::next.
  static constexpr std::size_t kFirstBlockKeys = 2;
  static constexpr std::size_t kMaxBlockKeys = 1024;
  struct Block {
    std::unique_ptr<Key[]> keys;
    std::size_t size = 0;
    std::int64_t first_slot = 0;
  };
  std::vector<Block> blocks_;  // in the order they were made
  // Indices into blocks_, ordered by the blocks' addresses, for slot_of.
  std::vector<std::uint32_t> blocks_by_address_;
  std::size_t last_block_used_ = 0;
  std::int64_t slot_count_ = 0;
  Key *free_keys_ = nullptr;

  KeyIndex index_;
  // By slot: the key's index in the scene file it was read from, -1 for none.
  std::vector<std::int32_t> origins_;
  // By slot: the span type, and where the six parameters lie in params_ (-1:
  // all 0, which most keys of most scenes are: they take no room).
  std::vector<std::uint8_t> span_types_;
  std::vector<std::int32_t> param_slots_;
  std::vector<std::array<double, 6>> params_;
  std::vector<bool> shape_edited_;  // by slot
  Key *first_ = nullptr;
  Key *last_ = nullptr;
  // The key find() answered or create() made last (null when unknown), where
  // the next find starts looking, and its time, so that asking for that key
  // again reads nothing but the envelope.
  mutable Key *finger_ = nullptr;
  mutable double finger_time_ = 0.0;
};

}  // namespace scene
