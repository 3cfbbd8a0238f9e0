// Win32Platform implements Platform with the real advapi32, kernel32 and
// user32 calls. They pass on the arguments the launch logic gives and add
// the ones the interface fixes: the message boxes' owner, caption and icon,
// the files' access and sharing, the processes' start-up information.
#pragma once

#include <windows.h>

#include "platform/platform.h"

namespace plinor {

// The file name of `path` without its extension. The last backslash or
// forward slash is found by the code page's rules: in a double-byte code
// page the byte 0x5C can also be the second byte of a character.
std::string FileTitle(const std::string& path, const CodePage& codePage);

class Win32Platform : public Platform {
 public:
  explicit Win32Platform(HINSTANCE instance) : instance_(instance) {}

  // The window that owns the application message box; none by default.
  void SetMainWindow(HWND window) { mainWindow_ = window; }
  // The application title: the executable's file name without extension.
  std::string ApplicationTitle() const;

  bool IsDBCSLeadByte(unsigned char byte) const override;
  std::int32_t RegOpenKeyExA(RegHandle root, const char* subKey,
                             std::uint32_t options, std::uint32_t samDesired,
                             RegHandle* result) override;
  std::int32_t RegQueryValueExA(RegHandle key, const char* valueName,
                                std::uint32_t* type, unsigned char* data,
                                std::uint32_t* size) override;
  std::int32_t RegCloseKey(RegHandle key) override;
  int CreateProcessA(const char* applicationName, char* commandLine,
                     bool inheritHandles, std::uint32_t creationFlags) override;
  void Sleep(std::uint32_t milliseconds) override;
  [[noreturn]] void Exit(int status) override;
  int MessageBoxA(const char* text, const char* caption,
                  std::uint32_t type) override;
  int AppMessageBox(const char* text, std::uint32_t type) override;
  std::string LoadStringA(unsigned id) override;
  FileHandle CreateFileA(const char* path,
                         FileDisposition disposition) override;
  bool ReadFile(FileHandle file, void* buffer, std::uint32_t size,
                std::uint32_t* read) override;
  bool WriteFile(FileHandle file, const void* data, std::uint32_t size,
                 std::uint32_t* written) override;
  bool SetFilePointerToEnd(FileHandle file) override;
  bool CloseHandle(FileHandle file) override;
  std::uint32_t GetLastError() override;
  std::string ErrorText(std::uint32_t error) override;

 private:
  HINSTANCE instance_;
  HWND mainWindow_ = nullptr;
};

}  // namespace plinor
