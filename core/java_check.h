// The first check of every launch: is a Java runtime of version 1.4.2 or
// later registered? When not, the user is asked whether to go on; No ends
// the process with status 0.
#pragma once

#include <string>

#include "platform/platform.h"

namespace plinor {

void CheckJavaRuntime(Platform& platform);

// The number the C runtime's atof reads from the start of a text: white
// space, then an optional sign, digits with at most one decimal point and an
// optional exponent; 0 when there is no such number.
double ParseVersionNumber(const std::string& text);

}  // namespace plinor
