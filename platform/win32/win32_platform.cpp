// Implements Platform (platform/platform.h) with the Win32 API.
#include "platform/win32/win32_platform.h"

#include <cstdlib>
#include <vector>

namespace plinor {

namespace {

// Pauses of this many milliseconds or more show the wait cursor.
constexpr std::uint32_t kWaitCursorPause = 1000;

HKEY ToKey(RegHandle handle) { return reinterpret_cast<HKEY>(handle); }
HANDLE ToHandle(FileHandle handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

bool Win32Platform::IsDBCSLeadByte(unsigned char byte) const {
  return ::IsDBCSLeadByte(byte) != FALSE;
}

std::int32_t Win32Platform::RegOpenKeyExA(RegHandle root, const char* subKey,
                                          std::uint32_t options,
                                          std::uint32_t samDesired,
                                          RegHandle* result) {
  HKEY key = nullptr;
  LONG status = ::RegOpenKeyExA(ToKey(root), subKey, options, samDesired, &key);
  if (status == ERROR_SUCCESS) *result = reinterpret_cast<RegHandle>(key);
  return status;
}

std::int32_t Win32Platform::RegQueryValueExA(RegHandle key,
                                             const char* valueName,
                                             std::uint32_t* type,
                                             unsigned char* data,
                                             std::uint32_t* size) {
  DWORD valueType = 0;
  DWORD valueSize = size ? *size : 0;
  LONG status = ::RegQueryValueExA(ToKey(key), valueName, nullptr,
                                   type ? &valueType : nullptr, data,
                                   size ? &valueSize : nullptr);
  if (type) *type = valueType;
  if (size) *size = valueSize;
  return status;
}

std::int32_t Win32Platform::RegCloseKey(RegHandle key) {
  return ::RegCloseKey(ToKey(key));
}

int Win32Platform::CreateProcessA(const char* applicationName,
                                  char* commandLine, bool inheritHandles,
                                  std::uint32_t creationFlags) {
  // Cleared to zero but for its size: 68 bytes in the 32-bit program.
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  BOOL started = ::CreateProcessA(applicationName, commandLine, nullptr,
                                  nullptr, inheritHandles ? TRUE : FALSE,
                                  creationFlags, nullptr, nullptr, &startup,
                                  &process);
  if (started) {
    // Nobody waits for the browser: its handles are of no use.
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  return started;
}

#if defined(_M_IX86) || defined(__i386__)
static_assert(sizeof(STARTUPINFOA) == 68);
#endif

void Win32Platform::Sleep(std::uint32_t milliseconds) {
  // The Firefox pause blocks the window's thread for seconds: the wait
  // cursor tells the user the launcher is busy until the browser has been
  // started. The 15 ms retries of a held history file would only flicker it.
  if (milliseconds < kWaitCursorPause) return ::Sleep(milliseconds);
  HCURSOR previous = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
  ::Sleep(milliseconds);
  ::SetCursor(previous);
}

void Win32Platform::Exit(int status) { std::exit(status); }

int Win32Platform::MessageBoxA(const char* text, const char* caption,
                               std::uint32_t type) {
  return ::MessageBoxA(nullptr, text, caption, type);
}

std::string FileTitle(const std::string& path, const CodePage& codePage) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(path[i]);
    if (codePage.IsDBCSLeadByte(byte) && i + 1 < path.size())
      ++i;  // its trail byte is part of the character, never a separator
    else if (byte == '\\' || byte == '/')
      start = i + 1;
  }
  std::string title = path.substr(start);
  std::size_t dot = title.rfind('.');
  if (dot != std::string::npos) title.erase(dot);
  return title;
}

std::string Win32Platform::ApplicationTitle() const {
  char path[MAX_PATH] = {};
  DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return FileTitle(std::string(path, length < MAX_PATH ? length : MAX_PATH), *this);
}

int Win32Platform::AppMessageBox(const char* text, std::uint32_t type) {
  if ((type & MB_ICONMASK) == 0) type |= MB_ICONEXCLAMATION;
  const std::string title = ApplicationTitle();
  return ::MessageBoxA(mainWindow_, text, title.c_str(), type);
}

std::string Win32Platform::LoadStringA(unsigned id) {
  // Strings are stored as UTF-16; a buffer that is too small cuts the text,
  // so grow until it fits.
  for (int size = 256; size <= 65536; size *= 4) {
    std::vector<char> buffer(size);
    int length = ::LoadStringA(instance_, id, buffer.data(), size);
    if (length < size - 1) return std::string(buffer.data(), length);
  }
  return std::string();
}

FileHandle Win32Platform::CreateFileA(const char* path,
                                      FileDisposition disposition) {
  HANDLE file = ::CreateFileA(
      path, GENERIC_READ | GENERIC_WRITE, 0 /* no sharing */, nullptr,
      disposition == FileDisposition::OpenAlways ? OPEN_ALWAYS : OPEN_EXISTING,
      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  return reinterpret_cast<FileHandle>(file);
}

bool Win32Platform::ReadFile(FileHandle file, void* buffer, std::uint32_t size,
                             std::uint32_t* read) {
  DWORD count = 0;
  BOOL ok = ::ReadFile(ToHandle(file), buffer, size, &count, nullptr);
  *read = count;
  return ok != FALSE;
}

bool Win32Platform::WriteFile(FileHandle file, const void* data,
                              std::uint32_t size, std::uint32_t* written) {
  DWORD count = 0;
  BOOL ok = ::WriteFile(ToHandle(file), data, size, &count, nullptr);
  *written = count;
  if (ok && count != size) {
    ::SetLastError(ERROR_WRITE_FAULT);
    return false;
  }
  return ok != FALSE;
}

bool Win32Platform::SetFilePointerToEnd(FileHandle file) {
  LARGE_INTEGER zero{};
  return ::SetFilePointerEx(ToHandle(file), zero, nullptr, FILE_END) != FALSE;
}

bool Win32Platform::CloseHandle(FileHandle file) {
  return ::CloseHandle(ToHandle(file)) != FALSE;
}

std::uint32_t Win32Platform::GetLastError() { return ::GetLastError(); }

std::string Win32Platform::ErrorText(std::uint32_t error) {
  char* text = nullptr;
  DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = length ? std::string(text, length) : std::string();
  if (text) ::LocalFree(text);
  while (!result.empty() && (result.back() == '\r' || result.back() == '\n' ||
                             result.back() == ' '))
    result.pop_back();
  if (result.empty()) result = "Error " + std::to_string(error) + ".";
  return result;
}

}  // namespace plinor
