#include "core/java_check.h"

#include <cstdlib>

#include "core/narrow_string.h"
#include "core/prompts.h"
#include "core/registry_lookups.h"
#include "core/texts.h"

namespace plinor {

namespace {

constexpr const char* kJavaKey = "Software\\JavaSoft\\Java Runtime Environment";
constexpr std::uint32_t kVersionValueSize = 50;
constexpr double kLowestVersion = 142.0;  // 1.4.2 as (1.4 x 10) x 10 + 2

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Asks whether to go on; No ends the process here.
void Prompt(Platform& platform, const std::string& text, const char* caption) {
  if (ShowMessage(platform, text, caption, kMbYesNo | kMbIconInformation) ==
      kIdNo)
    platform.Exit(0);
}

}  // namespace

double ParseVersionNumber(const std::string& text) {
  // Only the decimal form is taken, whatever else the host's strtod accepts
  // (hexadecimal, "inf", "nan"), so the result is the same everywhere.
  std::size_t i = 0;
  while (i < text.size() && IsWhiteSpace(text[i])) ++i;
  const std::size_t start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0.0;
  std::size_t end = i;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) ++j;
      end = j;
    }
  }
  return std::strtod(text.substr(start, end - start).c_str(), nullptr);
}

void CheckJavaRuntime(Platform& platform) {
  const std::string text = platform.LoadStringA(IDS_JAVA_MISSING);
  unsigned char buffer[kRegistryBufferSize] = {};
  std::uint32_t size = kVersionValueSize;

  ScopedRegKey javaKey(platform);
  if (!javaKey.Open(kHkeyLocalMachine, kJavaKey, kKeyQueryValue))
    return Prompt(platform, text, kCaptionWithSpace);
  if (platform.RegQueryValueExA(javaKey.get(), "CurrentVersion", nullptr,
                                buffer, &size) != kErrorSuccess)
    return Prompt(platform, text, kCaptionWithSpace);
  const std::string currentVersion = StoredText(buffer, size);
  // Every step is rounded to a double, so that the 32- and 64-bit programs
  // agree on a sum just below 142 (the 32-bit one does its arithmetic in
  // SSE2 for the same reason: x87 would keep a wider intermediate).
  volatile double tenfold = ParseVersionNumber(currentVersion) * 10;

  ScopedRegKey versionKey(platform);
  const std::string versionPath = std::string(kJavaKey) + "\\" + currentVersion;
  if (!versionKey.Open(kHkeyLocalMachine, versionPath.c_str(), kKeyRead))
    return Prompt(platform, text, kCaptionWithSpace);
  size = kVersionValueSize;
  if (platform.RegQueryValueExA(versionKey.get(), "MicroVersion", nullptr,
                                buffer, &size) != kErrorSuccess)
    return Prompt(platform, text, kCaptionNoSpace);
  volatile double hundredfold = tenfold * 10;
  volatile double sum =
      hundredfold + ParseVersionNumber(StoredText(buffer, size));
  // Accepted only when the sum is at least 142: a sum that is no number
  // (-inf + inf) gets the prompt too.
  if (!(sum >= kLowestVersion)) Prompt(platform, text, kCaptionNoSpace);
}

}  // namespace plinor
