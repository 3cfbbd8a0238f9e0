// The unowned prompts of the launch: the checks' messages, and the reports
// of what failed and why.
#pragma once

#include <cstdint>
#include <string>

#include "core/narrow_string.h"
#include "platform/platform.h"

namespace plinor {

// The launch checks caption their prompts with one of these two; the address
// checks always use the first.
inline constexpr const char* kCaptionWithSpace = "Talvor Plinor ";
inline constexpr const char* kCaptionNoSpace = "Talvor Plinor";

inline int ShowMessage(Platform& platform, const std::string& text,
                       const char* caption, std::uint32_t type) {
  return platform.MessageBoxA(text.c_str(), caption, type);
}

// Shows string `id` with the first caption and type 0x40.
inline void ShowCheckMessage(Platform& platform, unsigned id) {
  ShowMessage(platform, platform.LoadStringA(id), kCaptionWithSpace,
              kMbOk | kMbIconInformation);
}

// Reports a failure: string `id`, whose %1 becomes `subject` (the file or
// the command line that failed) and %2 the system's text for `error`, with
// the first caption and type 0x40.
inline void ReportFailure(Platform& platform, unsigned id, const std::string& subject,
                          std::uint32_t error) {
  ShowMessage(platform,
              FormatText(platform.LoadStringA(id), subject, platform.ErrorText(error)),
              kCaptionWithSpace, kMbOk | kMbIconInformation);
}

}  // namespace plinor
