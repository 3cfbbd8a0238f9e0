// The unowned prompts of the launch checks.
#pragma once

#include <string>

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

}  // namespace plinor
