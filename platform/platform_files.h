#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the tavorix program needs of the file system, in one small layer per
// platform (platform_files_posix.cpp; the Windows build has its own file).
// Paths are UTF-8 text. Nothing here decides policy (which kinds of file may
// be written, how errors read): file_io.cpp does, on top of this.
namespace platform {

// What a path names, without following a symbolic link at its end.
enum class PathKind {
  missing,
  regular_file,
  folder,
  symbolic_link,
  other,  // a device, a FIFO, a socket: nothing tavorix writes over
};

struct PathInfo {
  PathKind kind = PathKind::missing;
  // For `other`, what it is in words ("a character device", "a FIFO (named
  // pipe)", ...); empty otherwise.
  std::string description;
};

// What is at `path`. A path whose folder cannot be searched counts as
// missing; `reason` (when given) then says why.
PathInfo inspect(const std::string &path, std::string *reason = nullptr);

// The path the symbolic link `link` points to, a relative target taken from
// the link's folder. False with `reason` set when it cannot be read.
bool read_link(const std::string &link, std::string &target, std::string &reason);

// The folder part of a path: "shots/a.lws" -> "shots", "a.lws" -> ".".
std::string folder_of(const std::string &path);

// The last part of a path: "shots/a.lws" -> "a.lws".
std::string base_name(const std::string &path);

// Why a new file cannot be created in `folder`, or empty when it can (the
// folder exists, is a folder and may be written).
std::string creation_refusal(const std::string &folder);

// Reads the whole of `path`. False with `reason` set on failure.
bool read_file(const std::string &path, std::string &text, std::string &reason);

// A new file of a name of its own in the folder of `target`, holding the
// text `pieces` make one after another, flushed to disk, with the permissions of `permissions_of` when that
// is an existing file and the usual ones for a new file otherwise. Returns its path, or empty with `reason`
// set (the file is removed again).
std::string write_temporary_beside(const std::string &target, const std::vector<std::string_view> &pieces,
                                   const std::string &permissions_of, std::string &reason);

// Puts `temporary` in the place of `target` in one step: whoever opens
// `target` finds its old content or the new one, never a part. `target` is
// missing or a regular file. False with `reason` set on failure.
bool replace(const std::string &temporary, const std::string &target, std::string &reason);

// Removes a file, ignoring failure.
void remove_quietly(const std::string &path);

// Whether two paths name the same existing file (links followed).
bool same_file(const std::string &a, const std::string &b);

// Writes the text `pieces` make to the standard output as it is (no newline
// translation). False with `reason` set on failure.
bool write_standard_output(const std::vector<std::string_view> &pieces, std::string &reason);

// The folder of the running program, or empty when it cannot be told.
std::string program_folder();

// The program's command line as UTF-8 words, the program's name first:
// main()'s own arguments where they already are UTF-8 (POSIX systems), the
// system's wide-character command line where main() gets them in the
// system's ANSI code page (Windows).
std::vector<std::string> arguments(int argc, char **argv);

}  // namespace platform
