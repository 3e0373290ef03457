#include "scene/envelope.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <limits>
#include <utility>

namespace scene {

Envelope::~Envelope() = default;

void Envelope::add_block(std::size_t size) {
  // Reserved first, so that the pushes below cannot fail.
  if (blocks_.size() == blocks_.capacity()) blocks_.reserve(std::max<std::size_t>(8, 2 * blocks_.capacity()));
  if (blocks_by_address_.size() == blocks_by_address_.capacity())
    blocks_by_address_.reserve(std::max<std::size_t>(8, 2 * blocks_by_address_.capacity()));
  origins_.reserve(static_cast<std::size_t>(slot_count_) + size);
  span_types_.reserve(static_cast<std::size_t>(slot_count_) + size);
  param_slots_.reserve(static_cast<std::size_t>(slot_count_) + size);
  shape_edited_.reserve(static_cast<std::size_t>(slot_count_) + size);
  Block block;
  block.keys = std::make_unique<Key[]>(size);
  block.size = size;
  block.first_slot = slot_count_;
  const Key *start = block.keys.get();
  blocks_.push_back(std::move(block));
  const auto where = std::lower_bound(blocks_by_address_.begin(), blocks_by_address_.end(), start,
                                      [this](std::uint32_t index, const Key *address) {
                                        return std::less<const Key *>()(blocks_[index].keys.get(), address);
                                      });
  blocks_by_address_.insert(where, static_cast<std::uint32_t>(blocks_.size() - 1));
  origins_.resize(origins_.size() + size, -1);
  span_types_.resize(span_types_.size() + size, 0);
  param_slots_.resize(param_slots_.size() + size, -1);
  shape_edited_.resize(shape_edited_.size() + size, false);
  slot_count_ += static_cast<std::int64_t>(size);
  last_block_used_ = 0;
}

void Envelope::reserve(std::size_t count) {
  const std::size_t room = blocks_.empty() ? 0 : blocks_.back().size - last_block_used_;
  if (count > index_.size() + room) add_block(count - index_.size() - room);
  index_.reserve(count);
}

std::int64_t Envelope::slot_of(const Key *key) const {
  const std::less<const Key *> before;
  auto after = std::upper_bound(
      blocks_by_address_.begin(), blocks_by_address_.end(), key,
      [&](const Key *address, std::uint32_t index) { return before(address, blocks_[index].keys.get()); });
  if (after == blocks_by_address_.begin()) return -1;
  const Block &block = blocks_[*std::prev(after)];
  const Key *start = block.keys.get();
  if (!before(key, start + block.size)) return -1;
  return block.first_slot + (key - start);
}

Key *Envelope::allocate_key() {
  Key *key = nullptr;
  if (free_keys_ != nullptr) {
    key = free_keys_;
    free_keys_ = key->next;
    *key = Key{};
  } else {
    if (blocks_.empty() || last_block_used_ == blocks_.back().size) {
      add_block(blocks_.empty() ? kFirstBlockKeys : std::min(2 * blocks_.back().size, kMaxBlockKeys));
    }
    key = &blocks_.back().keys[last_block_used_++];
  }
  const auto slot = static_cast<std::size_t>(slot_of(key));
  origins_[slot] = -1;
  span_types_[slot] = 0;
  param_slots_[slot] = -1;
  shape_edited_[slot] = false;
  return key;
}

void Envelope::release_key(Key *key) {
  key->prev = nullptr;
  key->next = free_keys_;
  free_keys_ = key;
}

Envelope::KeyIndex::const_iterator Envelope::lower_bound(double time) const {
  return std::lower_bound(index_.begin(), index_.end(), time,
                          [](const Key *key, double t) { return key->time < t; });
}

Key *Envelope::find(double time) const {
  Key *hint = finger_;
  if (hint != nullptr) {
    if (finger_time_ == time) return hint;
    Key *after = hint->next;
    if (after != nullptr && after->time == time) {
      finger_ = after;
      finger_time_ = after->time;
      return after;
    }
  }
  // No key has a time that is not finite (and NaN would upset the ordering).
  if (!std::isfinite(time)) return nullptr;
  auto it = lower_bound(time);
  if (it == index_.end() || (*it)->time != time) return nullptr;
  finger_ = *it;
  finger_time_ = time;
  return *it;
}

Key *Envelope::create(double time, double value) {
  if (!std::isfinite(time)) return nullptr;
  // Keys are mostly made in time order: then the new one goes at the end.
  const bool at_end = last_ == nullptr || time > last_->time;
  auto where = at_end ? index_.cend() : lower_bound(time);
  if (where != index_.end() && (*where)->time == time) {
    (*where)->value = value;
    finger_ = *where;
    finger_time_ = time;
    return *where;
  }
  // Room in the index first: once the key is taken nothing may fail.
  if (index_.size() == index_.capacity()) {
    const std::ptrdiff_t at = where - index_.cbegin();
    index_.reserve(std::max<std::size_t>(4, 2 * index_.size()));
    where = index_.cbegin() + at;
  }
  Key *key = allocate_key();
  key->time = time;
  key->value = value;
  where = index_.insert(where, key);
  link(where);
  // Room for the shape's parameters was made with the slot; a shape with
  // parameters needs one entry more in params_, which may fail: the key is
  // taken back then.
  const Key *like = key->next != nullptr ? key->next : key->prev;
  if (like != nullptr) {
    const auto from = static_cast<std::size_t>(slot_of(like));
    const auto to = static_cast<std::size_t>(slot_of(key));
    span_types_[to] = span_types_[from];
    if (param_slots_[from] >= 0) {
      try {
        params_.push_back(params_[static_cast<std::size_t>(param_slots_[from])]);
      } catch (...) {
        destroy(key);
        throw;
      }
      param_slots_[to] = static_cast<std::int32_t>(params_.size() - 1);
    }
  }
  finger_ = key;
  finger_time_ = time;
  return key;
}

Key *Envelope::append(double time, double value, std::int64_t origin, const KeyShape &shape) {
  if (!std::isfinite(time) || (last_ != nullptr && !(time > last_->time)) || free_keys_ != nullptr) {
    Key *key = create(time, value);
    if (key != nullptr) {
      set_origin(key, origin);
      set_shape(key, shape);
      shape_edited_[static_cast<std::size_t>(slot_of(key))] = false;
    }
    return key;
  }
  // Everything that may fail first: room in the index, a slot, the
  // parameters' entry.
  if (index_.size() == index_.capacity()) index_.reserve(std::max<std::size_t>(4, 2 * index_.size()));
  if (blocks_.empty() || last_block_used_ == blocks_.back().size) {
    add_block(blocks_.empty() ? kFirstBlockKeys : std::min(2 * blocks_.back().size, kMaxBlockKeys));
  }
  std::int32_t param_slot = -1;
  if (std::any_of(std::begin(shape.params), std::end(shape.params), [](double p) { return p != 0.0; })) {
    std::array<double, 6> params;
    std::copy(std::begin(shape.params), std::end(shape.params), params.begin());
    params_.push_back(params);
    param_slot = static_cast<std::int32_t>(params_.size() - 1);
  }
  Block &block = blocks_.back();
  Key *key = &block.keys[last_block_used_];
  const auto slot = static_cast<std::size_t>(block.first_slot) + last_block_used_;
  ++last_block_used_;
  *key = Key{time, value, last_, nullptr};
  index_.push_back(key);
  if (last_ != nullptr) {
    last_->next = key;
  } else {
    first_ = key;
  }
  last_ = key;
  const bool fits = origin >= 0 && origin <= std::numeric_limits<std::int32_t>::max();
  origins_[slot] = fits ? static_cast<std::int32_t>(origin) : -1;
  span_types_[slot] =
      static_cast<std::uint8_t>(shape.span_type < 0 || shape.span_type > 255 ? 0 : shape.span_type);
  param_slots_[slot] = param_slot;
  shape_edited_[slot] = false;
  finger_ = key;
  finger_time_ = time;
  return key;
}

bool Envelope::destroy(Key *key) {
  if (!contains(key)) return false;
  if (finger_ == key) {
    Key *neighbour = key->prev != nullptr ? key->prev : key->next;
    finger_ = neighbour;
    if (neighbour != nullptr) finger_time_ = neighbour->time;
  }
  unlink(key);
  index_.erase(lower_bound(key->time));
  origins_[static_cast<std::size_t>(slot_of(key))] = -1;
  release_key(key);
  return true;
}

bool Envelope::contains(const Key *key) const {
  if (key == nullptr) return false;
  // The finger is a live key, and so is the key after it: a walk along the
  // keys asks about each in turn.
  if (finger_ != nullptr && (key == finger_ || key == finger_->next)) {
    if (key != finger_) {
      finger_ = const_cast<Key *>(key);
      finger_time_ = key->time;
    }
    return true;
  }
  // Only a slot of this envelope may be followed: a foreign or stale
  // handle's memory is not read.
  if (slot_of(key) < 0) return false;
  auto it = lower_bound(key->time);
  if (it == index_.end() || *it != key) return false;
  finger_ = *it;
  finger_time_ = key->time;
  return true;
}

bool Envelope::set_time(Key *key, double time) {
  if (!std::isfinite(time) || !contains(key)) return false;
  if (time == key->time) return true;
  if (find(time) != nullptr) return false;
  // The Key object (and so the handle) stays in place; its index entry moves.
  unlink(key);
  index_.erase(lower_bound(key->time));
  key->time = time;
  if (finger_ == key) finger_time_ = time;
  link(index_.insert(lower_bound(time), key));
  return true;
}

void Envelope::clear() {
  index_.clear();
  origins_.clear();
  span_types_.clear();
  param_slots_.clear();
  params_.clear();
  shape_edited_.clear();
  blocks_.clear();
  blocks_by_address_.clear();
  last_block_used_ = 0;
  slot_count_ = 0;
  free_keys_ = nullptr;
  first_ = nullptr;
  last_ = nullptr;
  finger_ = nullptr;
}

std::int64_t Envelope::origin(const Key *key) const {
  if (!contains(key)) return -1;
  return origins_[static_cast<std::size_t>(slot_of(key))];
}

void Envelope::set_origin(const Key *key, std::int64_t index) {
  if (!contains(key)) return;
  const bool fits = index >= 0 && index <= std::numeric_limits<std::int32_t>::max();
  origins_[static_cast<std::size_t>(slot_of(key))] = fits ? static_cast<std::int32_t>(index) : -1;
}

KeyShape Envelope::shape(const Key *key) const {
  KeyShape result;
  if (!contains(key)) return result;
  const auto slot = static_cast<std::size_t>(slot_of(key));
  result.span_type = span_types_[slot];
  if (param_slots_[slot] >= 0) {
    const std::array<double, 6> &params = params_[static_cast<std::size_t>(param_slots_[slot])];
    std::copy(params.begin(), params.end(), result.params);
  }
  return result;
}

void Envelope::set_shape(const Key *key, const KeyShape &shape) {
  if (!contains(key)) return;
  const auto slot = static_cast<std::size_t>(slot_of(key));
  const bool any =
      std::any_of(std::begin(shape.params), std::end(shape.params), [](double p) { return p != 0.0; });
  std::int32_t &at = param_slots_[slot];
  if (any && at < 0) {
    params_.emplace_back();
    at = static_cast<std::int32_t>(params_.size() - 1);
  }
  if (at >= 0)
    std::copy(std::begin(shape.params), std::end(shape.params),
              params_[static_cast<std::size_t>(at)].begin());
  span_types_[slot] =
      static_cast<std::uint8_t>(shape.span_type < 0 || shape.span_type > 255 ? 0 : shape.span_type);
  shape_edited_[slot] = true;
}

bool Envelope::shape_edited(const Key *key) const {
  return contains(key) && shape_edited_[static_cast<std::size_t>(slot_of(key))];
}

void Envelope::forget_shape_edits() { std::fill(shape_edited_.begin(), shape_edited_.end(), false); }

void Envelope::link(KeyIndex::const_iterator where) {
  Key *key = *where;
  key->prev = where == index_.begin() ? nullptr : *std::prev(where);
  auto after = std::next(where);
  key->next = after == index_.end() ? nullptr : *after;
  if (key->prev != nullptr) {
    key->prev->next = key;
  } else {
    first_ = key;
  }
  if (key->next != nullptr) {
    key->next->prev = key;
  } else {
    last_ = key;
  }
}

void Envelope::unlink(Key *key) {
  if (key->prev != nullptr) {
    key->prev->next = key->next;
  } else {
    first_ = key->next;
  }
  if (key->next != nullptr) {
    key->next->prev = key->prev;
  } else {
    last_ = key->prev;
  }
  key->prev = nullptr;
  key->next = nullptr;
}

}  // namespace scene
