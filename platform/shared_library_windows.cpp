// The module loader's system calls on Windows: LoadLibraryExW and friends,
// with UTF-8 paths turned into the system's UTF-16 ones.
#include <windows.h>

#include <string>

#include "platform/shared_library.h"
#include "platform/utf16_text.h"

namespace platform {
namespace {

// The system's message for an error code, in UTF-8, without the line break
// it ends with, and with the code itself.
std::string system_message(DWORD code) {
  wchar_t *buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
  std::string text;
  if (length > 0 && buffer != nullptr) text = narrow(std::wstring(buffer, length));
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  if (text.empty()) text = "no reason given";
  return text + " (error " + std::to_string(code) + ")";
}

}  // namespace

std::string module_file_refusal(const std::string &path) {
  const DWORD attributes = GetFileAttributesW(wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME) {
      return "file not found";
    }
    return "cannot access the file: " + system_message(code);
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return "is a directory, expected a module file";
  return {};
}

void *open_library(const std::string &path, std::string &reason) {
  // The libraries the module itself imports are looked for beside it first,
  // as the host does for its plug-ins; no dialog box for a bad file.
  const UINT previous_mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  std::wstring full(MAX_PATH, L'\0');
  const std::wstring given = wide(path);
  DWORD length = GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length >= full.size()) {
    full.resize(length);
    length = GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  full.resize(length);
  HMODULE library = LoadLibraryExW(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  const DWORD code = GetLastError();
  SetErrorMode(previous_mode);
  if (library == nullptr) reason = system_message(code);
  return reinterpret_cast<void *>(library);
}

void *find_symbol(void *library, const char *name) {
  return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void close_library(void *library) { FreeLibrary(static_cast<HMODULE>(library)); }

}  // namespace platform
