#include "text/piece_text.h"

namespace text {

void PieceText::add_kept(std::string_view piece) {
  if (piece.empty()) return;
  pieces_.push_back(piece);
  size_ += piece.size();
}

void PieceText::add_owned(std::string text) {
  if (text.empty()) return;
  // On the heap, so that moving this text (or the string's small-text
  // buffer) never moves the piece's bytes.
  owned_.push_back(std::make_unique<std::string>(std::move(text)));
  add_kept(*owned_.back());
}

bool PieceText::equals(std::string_view text) const {
  if (text.size() != size_) return false;
  std::size_t at = 0;
  for (std::string_view piece : pieces_) {
    if (text.compare(at, piece.size(), piece) != 0) return false;
    at += piece.size();
  }
  return true;
}

std::string PieceText::joined() const {
  std::string whole;
  whole.reserve(size_);
  for (std::string_view piece : pieces_) whole.append(piece);
  return whole;
}

}  // namespace text
