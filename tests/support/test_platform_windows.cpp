// The tests' system calls on Windows.
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/utf16_text.h"
#include "support/test_platform.h"

namespace testing_support::platform {
namespace {

using ::platform::narrow;
using ::platform::wide;

// One argument as CommandLineToArgvW and the C runtime read it back: in
// quotes, a quote escaped with a backslash, backslashes doubled only where
// a quote follows them.
std::wstring quoted(const std::wstring &argument) {
  std::wstring text = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    text.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    text += c;
  }
  text.append(2 * backslashes, L'\\');
  return text + L"\"";
}

HANDLE inheritable_file(const std::string &path, bool write) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(wide(path).c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                     write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A range of the file's bytes, checked against its length.
template <typename T>
const T *at(const std::string &image, std::size_t offset, const std::string &path) {
  if (offset > image.size() || image.size() - offset < sizeof(T)) {
    throw std::runtime_error(path + ": not a PE file (cut short)");
  }
  return reinterpret_cast<const T *>(image.data() + offset);
}

}  // namespace

int thread_count() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  const DWORD self = GetCurrentProcessId();
  int n = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == self) ++n;
    entry.dwSize = sizeof entry;
  }
  CloseHandle(snapshot);
  return n;
}

long minor_page_faults_of_this_thread() { return -1; }
long minor_page_faults_of_this_process() { return -1; }

// The export directory of a PE32+ file: the names in its name table.
std::set<std::string> exported_symbols(const std::string &path) {
  std::ifstream in(wide(path).c_str(), std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  const std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto *dos = at<IMAGE_DOS_HEADER>(image, 0, path);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) throw std::runtime_error(path + ": not a PE file");
  const std::size_t nt_offset = static_cast<std::size_t>(dos->e_lfanew);
  const auto *nt = at<IMAGE_NT_HEADERS64>(image, nt_offset, path);
  if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
    throw std::runtime_error(path + ": not a PE32+ file");
  }
  const IMAGE_DATA_DIRECTORY &exports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  std::set<std::string> names;
  if (exports.VirtualAddress == 0) return names;
  const std::size_t sections_offset =
      nt_offset + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader;
  // Where in the file an address of the loaded image lies.
  auto file_offset = [&](DWORD rva) -> std::size_t {
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
      const auto *section =
          at<IMAGE_SECTION_HEADER>(image, sections_offset + i * sizeof(IMAGE_SECTION_HEADER), path);
      if (rva >= section->VirtualAddress && rva < section->VirtualAddress + section->SizeOfRawData) {
        return section->PointerToRawData + (rva - section->VirtualAddress);
      }
    }
    throw std::runtime_error(path + ": an address outside every section");
  };
  const auto *directory = at<IMAGE_EXPORT_DIRECTORY>(image, file_offset(exports.VirtualAddress), path);
  const std::size_t name_table = file_offset(directory->AddressOfNames);
  for (DWORD i = 0; i < directory->NumberOfNames; ++i) {
    const std::size_t name = file_offset(*at<DWORD>(image, name_table + 4 * i, path));
    const std::size_t end = image.find('\0', name);
    if (end == std::string::npos) throw std::runtime_error(path + ": an export name without its end");
    names.insert(image.substr(name, end - name));
  }
  return names;
}

std::string system_library_path() {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return "";
  return narrow(std::wstring(folder, length)) + "\\version.dll";
}

namespace {

// Whether a failed CreateProcessW may succeed when tried again. Wine, on a
// loaded machine, now and then refuses to start a program it starts a moment
// later (ERROR_INTERNAL_ERROR, 1359, from its server's process start-up);
// a missing or invalid program file fails the same way every time.
bool start_may_succeed_later(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_EXE_FORMAT:
    case ERROR_EXE_MACHINE_TYPE_MISMATCH:
    case ERROR_INVALID_PARAMETER: return false;
    default: return true;
  }
}

}  // namespace

void set_environment_variable(const std::string &name, const std::string &value) {
  const std::wstring wide_value = wide(value);
  if (!SetEnvironmentVariableW(wide(name).c_str(), value.empty() ? nullptr : wide_value.c_str()) &&
      !value.empty()) {
    throw std::runtime_error("cannot set the environment variable " + name);
  }
}

int run_program(const std::string &program, const std::vector<std::string> &arguments,
                const std::string &working_folder, const std::string &out_path, const std::string &err_path) {
  std::wstring command_line = quoted(wide(program));
  for (const std::string &argument : arguments) command_line += L" " + quoted(wide(argument));
  // Pauses before the second, third and fourth try, in milliseconds.
  constexpr DWORD pauses[] = {200, 500, 1000};
  constexpr int tries = 1 + static_cast<int>(std::size(pauses));
  PROCESS_INFORMATION process{};
  for (int attempt = 1;; ++attempt) {
    HANDLE input = inheritable_file("NUL", false);
    HANDLE output = inheritable_file(out_path, true);
    HANDLE error = inheritable_file(err_path, true);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = error;
    const bool files_open =
        input != INVALID_HANDLE_VALUE && output != INVALID_HANDLE_VALUE && error != INVALID_HANDLE_VALUE;
    const BOOL started = files_open && CreateProcessW(wide(program).c_str(), command_line.data(), nullptr,
                                                      nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                                      wide(working_folder).c_str(), &startup, &process);
    const DWORD start_error = GetLastError();
    for (HANDLE h : {input, output, error}) {
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    if (started) break;
    const std::string failure = "cannot start " + program + " (error " + std::to_string(start_error) + ")";
    if (!files_open || attempt == tries || !start_may_succeed_later(start_error)) {
      throw std::runtime_error(failure);
    }
    // The form scripts/wine-run.sh collects into the list that
    // scripts/test-windows.sh prints after the tests.
    std::fprintf(stderr, "child-start retry: %s (try %d of %d); trying again\n", failure.c_str(), attempt,
                 tries);
    std::fflush(stderr);
    Sleep(pauses[attempt - 1]);
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

}  // namespace testing_support::platform
