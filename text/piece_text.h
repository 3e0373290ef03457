#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace text {

// A text as pieces one after another, most of them stretches of a larger
// text kept elsewhere: a scene file written back is its text as read with
// some lines rewritten, so it is written from the text it was read from and
// the new lines, never copied whole.
//
// Ownership: a kept piece must outlive the PieceText (the file as read
// does); an owned text moves in with add_owned and lives as long as it. A
// PieceText may be moved (its pieces stay valid), not copied.
class PieceText {
 public:
  PieceText() = default;
  explicit PieceText(std::string whole) { add_owned(std::move(whole)); }
  PieceText(PieceText &&) = default;
  PieceText &operator=(PieceText &&) = default;
  PieceText(const PieceText &) = delete;
  PieceText &operator=(const PieceText &) = delete;

  // `piece`, held elsewhere for as long as this text is used.
  void add_kept(std::string_view piece);
  // `text`, held from now on by this one.
  void add_owned(std::string text);
  // Keeps `text` as long as this text, for pieces added by add_kept that
  // lie in it.
  void hold(std::unique_ptr<std::string> text) { owned_.push_back(std::move(text)); }

  // Room for `count` pieces.
  void reserve(std::size_t count) { pieces_.reserve(count); }
  const std::vector<std::string_view> &pieces() const { return pieces_; }
  std::size_t size() const { return size_; }
  bool equals(std::string_view text) const;
  // The whole text in one string.
  std::string joined() const;

 private:
  std::vector<std::string_view> pieces_;
  std::vector<std::unique_ptr<std::string>> owned_;
  std::size_t size_ = 0;
};

}  // namespace text
