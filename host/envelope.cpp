#include "host/envelope.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace host {

Envelope::~Envelope() = default;

Key *Envelope::allocate_key() {
  if (free_keys_ != nullptr) {
    Key *key = free_keys_;
    free_keys_ = key->next;
    *key = Key{};
    return key;
  }
  if (last_block_used_ == last_block_size_) {
    const std::size_t size =
        blocks_.empty() ? kFirstBlockKeys : std::min(2 * last_block_size_, kMaxBlockKeys);
    // Reserved first, so that the push below cannot fail.
    if (blocks_.size() == blocks_.capacity())
      blocks_.reserve(std::max<std::size_t>(8, 2 * blocks_.capacity()));
    blocks_.push_back(std::make_unique<Key[]>(size));
    last_block_size_ = size;
    last_block_used_ = 0;
  }
  return &blocks_.back()[last_block_used_++];
}

void Envelope::release_key(Key *key) {
  key->prev = nullptr;
  key->next = free_keys_;
  free_keys_ = key;
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
  // No key has a time that is not finite (and NaN would match any key in the
  // index's ordering).
  if (!std::isfinite(time)) return nullptr;
  auto it = index_.find(time);
  if (it == index_.end()) return nullptr;
  finger_ = it->second;
  finger_time_ = it->second->time;
  return it->second;
}

Key *Envelope::create(double time, double value) {
  if (!std::isfinite(time)) return nullptr;
  // Keys are mostly made in time order: then the new one goes at the end.
  const bool at_end = last_ == nullptr || time > last_->time;
  auto where = at_end ? index_.end() : index_.lower_bound(time);
  if (where != index_.end() && where->first == time) {
    where->second->value = value;
    finger_ = where->second;
    finger_time_ = where->second->time;
    return where->second;
  }
  Key *key = allocate_key();
  try {
    where = index_.emplace_hint(where, time, key);
  } catch (...) {
    release_key(key);
    throw;
  }
  key->time = time;
  key->value = value;
  link(where);
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
  index_.erase(key->time);
  origins_.erase(key);
  release_key(key);
  return true;
}

bool Envelope::contains(const Key *key) const {
  if (key == nullptr) return false;
  auto it = index_.find(key->time);
  return it != index_.end() && it->second == key;
}

bool Envelope::set_time(Key *key, double time) {
  if (!std::isfinite(time) || !contains(key)) return false;
  if (time == key->time) return true;
  if (index_.count(time) != 0) return false;
  // Re-keying the index node keeps the Key object (and so the handle) in place.
  auto node = index_.extract(key->time);
  unlink(key);
  node.key() = time;
  key->time = time;
  if (finger_ == key) finger_time_ = time;
  auto inserted = index_.insert(std::move(node));
  link(inserted.position);
  return true;
}

void Envelope::clear() {
  index_.clear();
  origins_.clear();
  blocks_.clear();
  last_block_size_ = 0;
  last_block_used_ = 0;
  free_keys_ = nullptr;
  first_ = nullptr;
  last_ = nullptr;
  finger_ = nullptr;
}

const KeyOrigin *Envelope::origin(const Key *key) const {
  auto it = origins_.find(key);
  return it == origins_.end() ? nullptr : &it->second;
}

void Envelope::set_origin(const Key *key, const KeyOrigin &origin) { origins_[key] = origin; }

double Envelope::value_at(double time) const {
  if (index_.empty()) return 0.0;
  if (time <= first_->time) return first_->value;
  if (time >= last_->time) return last_->value;
  auto after = index_.upper_bound(time);  // first key strictly later; exists since time < last
  const Key &right = *after->second;
  const Key &left = *std::prev(after)->second;
  if (left.time == time) return left.value;
  double fraction = (time - left.time) / (right.time - left.time);
  return left.value + fraction * (right.value - left.value);
}

void Envelope::link(KeyIndex::iterator where) {
  Key *key = where->second;
  key->prev = where == index_.begin() ? nullptr : std::prev(where)->second;
  auto after = std::next(where);
  key->next = after == index_.end() ? nullptr : after->second;
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

}  // namespace host
