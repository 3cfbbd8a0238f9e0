#include "core/registry_lookups.h"

#include <algorithm>

#include "core/narrow_string.h"
#include "core/texts.h"

namespace plinor {

namespace {

// The installation path and Internet Explorer's path are read the same way.
// The first read is offered 50 bytes; when the value does not fit, it leaves
// the needed size in the size word, so the second read takes a value of 51 to
// 128 bytes whole. A value that needs more than the buffer is not read.
std::string ReadValueTwice(Platform& platform, const char* subKey,
                           const char* valueName) {
  unsigned char buffer[kRegistryBufferSize] = {};
  std::uint32_t size = 50;
  ScopedRegKey key(platform);
  if (!key.Open(kHkeyLocalMachine, subKey, kKeyRead)) return std::string();

  platform.RegQueryValueExA(key.get(), valueName, nullptr, buffer, &size);
  if (size > kRegistryBufferSize) return std::string();
  // The second read is offered what the first stored or asked for, so it
  // stores the value whenever the value stayed as it was. When it fails, the
  // value changed between the reads, and the buffer holds undefined bytes:
  // only the second read's stored bytes make text.
  if (platform.RegQueryValueExA(key.get(), valueName, nullptr, buffer, &size) != kErrorSuccess)
    return std::string();
  return StoredText(buffer, size);
}

}  // namespace

std::string StoredText(const unsigned char (&buffer)[kRegistryBufferSize],
                       std::uint32_t size) {
  return TextUpToZero(buffer, std::min(size, kRegistryBufferSize));
}

std::string ReadInstallPath(Platform& platform) {
  const std::string subKey = platform.LoadStringA(IDS_INSTALL_KEY);
  return ReadValueTwice(platform, subKey.c_str(), "Path");
}

std::string ReadInternetExplorerPath(Platform& platform) {
  return ReadValueTwice(
      platform,
      "software\\microsoft\\windows\\currentversion\\app paths\\iexplore.exe",
      nullptr);
}

std::string ReadDefaultBrowserCommand(Platform& platform) {
  unsigned char buffer[kRegistryBufferSize] = {};
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  ScopedRegKey key(platform);
  if (!key.Open(kHkeyClassesRoot, "http\\shell\\open\\command", kKeyRead))
    return std::string();
  if (platform.RegQueryValueExA(key.get(), nullptr, &type, nullptr, &size) !=
      kErrorSuccess)
    return std::string();
  if (size > kRegistryBufferSize) return std::string();
  if (platform.RegQueryValueExA(key.get(), nullptr, &type, buffer, &size) !=
      kErrorSuccess)
    return std::string();
  return StoredText(buffer, size);
}

}  // namespace plinor
