// The launcher's boundary to the operating system.
//
// The launch logic reaches Windows only through this interface. The registry
// calls, ReadFile, CloseHandle and GetLastError keep the Win32 name and
// contract of the call they stand for. The others keep the name and are
// narrowed or widened to what the launcher needs, as said below: WriteFile
// also fails when it wrote less than asked, LoadStringA returns the whole
// string, Sleep shows the wait cursor during a long pause, CreateProcessA and
// CreateFileA fix the arguments the launcher never varies.
// The few Win32 types and constants the logic needs are declared here with
// Win32's own values, so the logic compiles without <windows.h>.
//
// Contracts the callers rely on:
//   - Registry: RegOpenKeyExA returns 0 and a handle when the key exists and
//     may be opened with the given access; any other result means "missing".
//     Every handle it returns must be given back to RegCloseKey.
//     RegQueryValueExA copies at most *size bytes and, when it succeeds,
//     stores the size it copied; when the value does not fit it returns
//     kErrorMoreData and stores the size the value needs. With no data
//     buffer it only stores the size.
//   - Processes: CreateProcessA takes only the four arguments the launcher
//     varies (the rest are fixed, see below) and returns non-zero when the
//     process started. The platform closes the new process's handles at
//     once; nobody waits.
//   - Prompts never fail the caller: a prompt that cannot appear returns 0.
//     MessageBoxA has no owner argument: its box never has one.
//     AppMessageBox is the application's box, not a Win32 call.
//   - Exit is the C runtime's exit: it ends the process and does not return.
//   - Files: CreateFileA opens for reading and writing with no sharing, so
//     no other opener can open the file while it is held, and an open fails
//     while another opener holds it; of the dispositions it knows only the
//     two below. SetFilePointerToEnd moves to the end of the file. A
//     returned handle must be given back to CloseHandle. Failures leave the
//     reason in GetLastError(); ErrorText is the system's text for one.
//   - The platform shows nothing on its own behalf, and callers decide what
//     the user sees, with one exception: a pause long enough to notice (the
//     Firefox pause) shows the wait cursor, since the window cannot answer
//     meanwhile; the history file's brief retries do not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace plinor {

using RegHandle = std::uintptr_t;
using FileHandle = std::uintptr_t;

inline constexpr RegHandle kHkeyClassesRoot = 0x80000000u;
inline constexpr RegHandle kHkeyCurrentUser = 0x80000001u;
inline constexpr RegHandle kHkeyLocalMachine = 0x80000002u;

inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeyRead = 0x20019;

inline constexpr std::int32_t kErrorSuccess = 0;
inline constexpr std::int32_t kErrorFileNotFound = 2;
inline constexpr std::int32_t kErrorAccessDenied = 5;
inline constexpr std::int32_t kErrorSharingViolation = 32;
inline constexpr std::int32_t kErrorMoreData = 234;

inline constexpr std::uint32_t kCreateDefaultErrorMode = 0x04000000;

inline constexpr std::uint32_t kMbOk = 0x00;
inline constexpr std::uint32_t kMbYesNo = 0x04;
inline constexpr std::uint32_t kMbIconInformation = 0x40;
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// How CreateFileA treats a file that does not exist. Neither ever truncates.
enum class FileDisposition {
  OpenAlways,   // an absent file is created empty
  OpenExisting  // an absent file makes the open fail
};

// The code page's multi-byte rule, all the narrow-string helpers need.
class CodePage {
 public:
  virtual ~CodePage() = default;
  // True when the byte begins a double-byte character in the ANSI code page.
  virtual bool IsDBCSLeadByte(unsigned char byte) const = 0;
};

class Platform : public CodePage {
 public:
  // Registry, read only.
  virtual std::int32_t RegOpenKeyExA(RegHandle root, const char* subKey,
                                     std::uint32_t options,
                                     std::uint32_t samDesired,
                                     RegHandle* result) = 0;
  // valueName null or empty: the key's default value. type may be null.
  virtual std::int32_t RegQueryValueExA(RegHandle key, const char* valueName,
                                        std::uint32_t* type,
                                        unsigned char* data,
                                        std::uint32_t* size) = 0;
  virtual std::int32_t RegCloseKey(RegHandle key) = 0;

  // Starts a process with no security attributes, no environment block and
  // no current directory of its own, and a start-up record cleared to zero
  // but for its size. commandLine may be modified by the call, as Win32's.
  virtual int CreateProcessA(const char* applicationName, char* commandLine,
                             bool inheritHandles,
                             std::uint32_t creationFlags) = 0;
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  [[noreturn]] virtual void Exit(int status) = 0;

  // An unowned message box: the launcher dialog stays enabled meanwhile.
  virtual int MessageBoxA(const char* text, const char* caption,
                          std::uint32_t type) = 0;
  // The application message box: owned by the launcher dialog, captioned
  // with the application title; a type naming no icon gets the exclamation
  // icon.
  virtual int AppMessageBox(const char* text, std::uint32_t type) = 0;

  // A string of the program's string table; empty when it has none.
  virtual std::string LoadStringA(unsigned id) = 0;

  // The history file. Text-mode translation is the caller's.
  virtual FileHandle CreateFileA(const char* path,
                                 FileDisposition disposition) = 0;  // 0: failed
  virtual bool ReadFile(FileHandle file, void* buffer, std::uint32_t size,
                        std::uint32_t* read) = 0;
  virtual bool WriteFile(FileHandle file, const void* data, std::uint32_t size,
                         std::uint32_t* written) = 0;
  virtual bool SetFilePointerToEnd(FileHandle file) = 0;
  virtual bool CloseHandle(FileHandle file) = 0;

  // The reason for the last failed call, and the system's text for a reason.
  virtual std::uint32_t GetLastError() = 0;
  virtual std::string ErrorText(std::uint32_t error) = 0;
};

}  // namespace plinor
