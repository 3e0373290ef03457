// The file-system layer of the tavorix program on Windows. Paths arrive as
// UTF-8 and go to the system's wide-character calls; both '/' and '\' part
// a path.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <string_view>

#include "platform/gathered_writes.h"
#include "platform/platform_files.h"
#include "platform/utf16_text.h"

namespace platform {
namespace {

using platform::narrow;
using platform::wide;

// The system's words for an error code, without the line break they end with.
std::string system_reason(DWORD code = GetLastError()) {
  wchar_t *buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
  std::string text = length > 0 && buffer != nullptr ? narrow(std::wstring(buffer, length)) : std::string();
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() &&
         (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
    text.pop_back();
  }
  return text.empty() ? "error " + std::to_string(code) : text;
}

std::size_t last_separator(const std::string &path) { return path.find_last_of("/\\"); }

bool not_found(DWORD code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME;
}

// Closes a handle on every way out.
struct Handle {
  HANDLE value = INVALID_HANDLE_VALUE;
  explicit Handle(HANDLE h) : value(h) {}
  ~Handle() {
    if (value != INVALID_HANDLE_VALUE) CloseHandle(value);
  }
  Handle(const Handle &) = delete;
  Handle &operator=(const Handle &) = delete;
  bool valid() const { return value != INVALID_HANDLE_VALUE; }
};

// Opens `path` only to ask about it: no access to its content, folders
// included, and, with `follow` false, a link itself rather than its target.
HANDLE open_for_query(const std::string &path, bool follow) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  return CreateFileW(wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, flags, nullptr);
}

bool write_all(HANDLE file, std::string_view text) {
  std::size_t written = 0;
  while (written < text.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - written, 1u << 30));
    DWORD n = 0;
    if (!WriteFile(file, text.data() + written, chunk, &n, nullptr)) return false;
    written += n;
  }
  return true;
}

bool write_all(HANDLE file, const std::vector<std::string_view> &pieces) {
  return write_gathered(pieces, [&](const char *data, std::size_t size) {
    return write_all(file, std::string_view(data, size));
  });
}

// The program's own output is UTF-8 bytes, as on POSIX systems: no "\n"
// becomes "\r\n" on its way out, so scene text and reports read the same on
// every platform, and a console shows the text as UTF-8. Set before main()
// runs, for every stream the program writes.
const bool binary_standard_streams = [] {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
  return true;
}();

}  // namespace

PathInfo inspect(const std::string &path, std::string *reason) {
  PathInfo result;
  Handle file(open_for_query(path, false));
  if (!file.valid()) {
    const DWORD code = GetLastError();
    if (not_found(code)) return result;
    // Some files refuse even a handle without access (in use by the system):
    // their attributes still tell what they are.
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      if (reason != nullptr) *reason = system_reason(code);
      return result;
    }
    result.kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::folder : PathKind::regular_file;
    return result;
  }
  switch (GetFileType(file.value)) {
    case FILE_TYPE_DISK: break;
    case FILE_TYPE_CHAR:
      result.kind = PathKind::other;
      result.description = "a character device";
      return result;
    case FILE_TYPE_PIPE:
      result.kind = PathKind::other;
      result.description = "a named pipe";
      return result;
    default:
      result.kind = PathKind::other;
      result.description = "not a regular file";
      return result;
  }
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!GetFileInformationByHandleEx(file.value, FileAttributeTagInfo, &tag, sizeof tag)) {
    if (reason != nullptr) *reason = system_reason();
    return result;
  }
  if ((tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
      (tag.ReparseTag == IO_REPARSE_TAG_SYMLINK || tag.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT)) {
    result.kind = PathKind::symbolic_link;
  } else if ((tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    result.kind = PathKind::folder;
  } else {
    result.kind = PathKind::regular_file;
  }
  return result;
}

bool read_link(const std::string &link, std::string &target, std::string &reason) {
  // The file the link leads to in the end, which is where a write through
  // the link lands.
  Handle file(open_for_query(link, true));
  if (!file.valid()) {
    reason = system_reason();
    return false;
  }
  std::wstring buffer(MAX_PATH, L'\0');
  DWORD length = GetFinalPathNameByHandleW(file.value, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
  if (length >= buffer.size()) {
    buffer.resize(length + 1);
    length = GetFinalPathNameByHandleW(file.value, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
  }
  if (length == 0) {
    reason = system_reason();
    return false;
  }
  buffer.resize(length);
  // "\\?\C:\..." is the long form of "C:\...".
  if (buffer.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    buffer = L"\\\\" + buffer.substr(8);
  } else if (buffer.rfind(L"\\\\?\\", 0) == 0) {
    buffer = buffer.substr(4);
  }
  target = narrow(buffer);
  return true;
}

std::string folder_of(const std::string &path) {
  const std::size_t slash = last_separator(path);
  if (slash == std::string::npos) {
    // "C:a.lws" lies in the current folder of drive C:.
    return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : ".";
  }
  if (slash == 0) return path.substr(0, 1);
  if (slash == 2 && path[1] == ':') return path.substr(0, 3);  // "C:\a.lws" -> "C:\"
  return path.substr(0, slash);
}

std::string base_name(const std::string &path) {
  std::size_t slash = last_separator(path);
  if (slash == std::string::npos && path.size() >= 2 && path[1] == ':') slash = 1;
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string creation_refusal(const std::string &folder) {
  const DWORD attributes = GetFileAttributesW(wide(folder).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD code = GetLastError();
    return not_found(code) ? "the folder " + folder + " does not exist"
                           : "the folder " + folder + " cannot be used (" + system_reason(code) + ")";
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return folder + " is not a folder";
  // Whether a file may be made there is the folder's access list's to say,
  // and only making one tells: a probe that removes itself when closed.
  std::random_device seed;
  const std::string probe = folder + "/.tavorix-probe-" + std::to_string(seed());
  HANDLE file = CreateFileW(wide(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (code != ERROR_FILE_EXISTS)
      return "the folder " + folder + " cannot be written (" + system_reason(code) + ")";
    return {};
  }
  CloseHandle(file);
  return {};
}

bool read_file(const std::string &path, std::string &text, std::string &reason) {
  Handle file(CreateFileW(wide(path).c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) {
    reason = system_reason();
    return false;
  }
  // Read into a string of the file's size, so that a large scene is held
  // once and never copied while it grows (a file that grows meanwhile is
  // still read to its end).
  LARGE_INTEGER size{};
  text.clear();
  if (GetFileSizeEx(file.value, &size) && size.QuadPart > 0)
    text.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t filled = 0;
  char probe[1 << 12];
  for (;;) {
    // Once the expected size is read, a small read tells the end from more.
    const bool full = filled == text.size();
    char *into = full ? probe : &text[filled];
    const DWORD wanted = full ? static_cast<DWORD>(sizeof probe)
                              : static_cast<DWORD>(std::min<std::size_t>(text.size() - filled, 1u << 30));
    DWORD n = 0;
    if (!ReadFile(file.value, into, wanted, &n, nullptr)) {
      reason = system_reason();
      return false;
    }
    if (n == 0) break;
    if (full) text.append(probe, n);
    filled += n;
  }
  text.resize(filled);
  return true;
}

std::string write_temporary_beside(const std::string &target, const std::vector<std::string_view> &pieces,
                                   const std::string & /*permissions_of*/, std::string &reason) {
  // Access rights on Windows come from the folder's access list, which a new
  // file inherits; replace() keeps an existing target's own.
  std::random_device seed;
  std::mt19937_64 names(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, "%012llx",
                  static_cast<unsigned long long>(names() & 0xffffffffffffULL));
    const std::string temporary = folder_of(target) + "/." + base_name(target) + ".tmp." + suffix;
    HANDLE created = CreateFileW(wide(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE) {
      const DWORD code = GetLastError();
      if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) continue;
      reason = system_reason(code);
      return {};
    }
    bool ok = write_all(created, pieces) && FlushFileBuffers(created);
    if (!ok) reason = system_reason();
    if (!CloseHandle(created) && ok) {
      ok = false;
      reason = system_reason();
    }
    if (!ok) {
      DeleteFileW(wide(temporary).c_str());
      return {};
    }
    return temporary;
  }
  reason = "no free name for a temporary file";
  return {};
}

bool replace(const std::string &temporary, const std::string &target, std::string &reason) {
  const std::wstring from = wide(temporary), to = wide(target);
  // Over an existing file ReplaceFileW keeps that file's access list and
  // attributes; where it cannot (another volume, a file system without it),
  // MoveFileExW replaces the file in one step all the same.
  if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES &&
      ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
    return true;
  }
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  reason = system_reason();
  return false;
}

void remove_quietly(const std::string &path) { DeleteFileW(wide(path).c_str()); }

bool same_file(const std::string &a, const std::string &b) {
  Handle first(open_for_query(a, true)), second(open_for_query(b, true));
  if (!first.valid() || !second.valid()) return false;
  BY_HANDLE_FILE_INFORMATION one{}, other{};
  if (!GetFileInformationByHandle(first.value, &one) || !GetFileInformationByHandle(second.value, &other)) {
    return false;
  }
  return one.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
         one.nFileIndexHigh == other.nFileIndexHigh && one.nFileIndexLow == other.nFileIndexLow;
}

bool write_standard_output(const std::vector<std::string_view> &pieces, std::string &reason) {
  std::fflush(stdout);
  if (!write_all(GetStdHandle(STD_OUTPUT_HANDLE), pieces)) {
    reason = system_reason();
    return false;
  }
  return true;
}

std::string program_folder() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  return folder_of(narrow(buffer));
}

std::vector<std::string> arguments(int argc, char **argv) {
  int count = 0;
  wchar_t **words = CommandLineToArgvW(GetCommandLineW(), &count);
  if (words == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> result;
  for (int i = 0; i < count; ++i) result.push_back(narrow(words[i]));
  LocalFree(words);
  return result;
}

}  // namespace platform
