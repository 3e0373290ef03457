#pragma once

#include <stdexcept>
#include <string>

namespace scene_files {

// A scene file that cannot be read (or a scene that cannot be written in the
// asked format). what() reads "FILE:LINE: message" when the line is known,
// "FILE: message" otherwise, so that it can be shown to the user as it is.
class SceneFileError : public std::runtime_error {
 public:
  SceneFileError(const std::string &file, int line, const std::string &message)
      : std::runtime_error(compose(file, line, message)), file_(file), line_(line), message_(message) {}

  const std::string &file() const { return file_; }
  int line() const { return line_; }  // 1-based; 0 when no line applies
  const std::string &message() const { return message_; }

 private:
  static std::string compose(const std::string &file, int line, const std::string &message) {
    return line > 0 ? file + ":" + std::to_string(line) + ": " + message : file + ": " + message;
  }

  std::string file_;
  int line_;
  std::string message_;
};

}  // namespace scene_files
