// What the launcher finds about the PC in the registry. Each lookup opens one
// key, reads one string value, closes the key and returns the text; every
// failure (missing key or value, value too long) gives empty text. Nothing
// is cached: every call reads the registry again.
#pragma once

#include <string>

#include "platform/platform.h"

namespace plinor {

// Values are read into a buffer of this size: at most 127 characters and
// the terminating zero. A longer value is never read.
inline constexpr std::uint32_t kRegistryBufferSize = 128;

// The text a read that succeeded stored in a buffer of kRegistryBufferSize
// bytes: up to its first zero byte, within the size the read stored. Such a
// read stores no more than it was offered, and no read is offered more than
// the buffer; the text is held to the buffer all the same.
std::string StoredText(const unsigned char (&buffer)[kRegistryBufferSize],
                       std::uint32_t size);

// The Plinor installation directory (value "Path" of the key named by string
// 108 under HKEY_LOCAL_MACHINE), exactly as stored.
std::string ReadInstallPath(Platform& platform);

// The command Windows runs to open an http address, exactly as stored.
std::string ReadDefaultBrowserCommand(Platform& platform);

// The path of the Internet Explorer executable, exactly as stored.
std::string ReadInternetExplorerPath(Platform& platform);

// Closes a registry key when it goes out of scope.
class ScopedRegKey {
 public:
  explicit ScopedRegKey(Platform& platform) : platform_(platform) {}
  ~ScopedRegKey() {
    if (open_) platform_.RegCloseKey(key_);
  }
  ScopedRegKey(const ScopedRegKey&) = delete;
  ScopedRegKey& operator=(const ScopedRegKey&) = delete;

  // RegOpenKeyExA with options 0; true when the key is open.
  bool Open(RegHandle root, const char* subKey, std::uint32_t access) {
    open_ = platform_.RegOpenKeyExA(root, subKey, 0, access, &key_) ==
            kErrorSuccess;
    return open_;
  }
  RegHandle get() const { return key_; }

 private:
  Platform& platform_;
  RegHandle key_ = 0;
  bool open_ = false;
};

}  // namespace plinor
