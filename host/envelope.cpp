#include "host/envelope.h"

#include <cmath>
#include <iterator>
#include <utility>

namespace host {

Envelope::~Envelope() = default;

Key *Envelope::find(double time) const {
  auto it = keys_.find(time);
  return it == keys_.end() ? nullptr : it->second.get();
}

Key *Envelope::create(double time, double value) {
  if (!std::isfinite(time)) return nullptr;
  auto [where, inserted] = keys_.try_emplace(time);
  if (!inserted) {
    where->second->value = value;
    return where->second.get();
  }
  try {
    where->second = std::make_unique<Key>();
  } catch (...) {
    keys_.erase(where);
    throw;
  }
  Key *key = where->second.get();
  key->time = time;
  key->value = value;
  link(where);
  return key;
}

bool Envelope::destroy(Key *key) {
  if (!contains(key)) return false;
  unlink(key);
  keys_.erase(key->time);
  return true;
}

bool Envelope::contains(const Key *key) const {
  if (key == nullptr) return false;
  auto it = keys_.find(key->time);
  return it != keys_.end() && it->second.get() == key;
}

bool Envelope::set_time(Key *key, double time) {
  if (!std::isfinite(time) || !contains(key)) return false;
  if (time == key->time) return true;
  if (keys_.count(time) != 0) return false;
  // Re-keying the map node keeps the Key object (and so the handle) in place.
  auto node = keys_.extract(key->time);
  unlink(key);
  node.key() = time;
  key->time = time;
  auto inserted = keys_.insert(std::move(node));
  link(inserted.position);
  return true;
}

void Envelope::clear() {
  keys_.clear();
  first_ = nullptr;
  last_ = nullptr;
}

double Envelope::value_at(double time) const {
  if (keys_.empty()) return 0.0;
  if (time <= first_->time) return first_->value;
  if (time >= last_->time) return last_->value;
  auto after = keys_.upper_bound(time);  // first key strictly later; exists since time < last
  const Key &right = *after->second;
  const Key &left = *std::prev(after)->second;
  if (left.time == time) return left.value;
  double fraction = (time - left.time) / (right.time - left.time);
  return left.value + fraction * (right.value - left.value);
}

void Envelope::link(KeyMap::iterator where) {
  Key *key = where->second.get();
  key->prev = where == keys_.begin() ? nullptr : std::prev(where)->second.get();
  auto after = std::next(where);
  key->next = after == keys_.end() ? nullptr : after->second.get();
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
