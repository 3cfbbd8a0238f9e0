// Every text of the program's string table by its id, from core/texts.h:
// what the in-memory platform's LoadStringA gives, and what the real string
// table must hold.
#pragma once

#include <utility>

#include "core/texts.h"

namespace plinor::testing {

inline constexpr std::pair<unsigned, const char*> kStringTable[] = {
    {IDS_ABOUTBOX, IDS_ABOUTBOX_TEXT},
    {IDS_JAVA_MISSING, IDS_JAVA_MISSING_TEXT},
    {IDS_HOST_EMPTY, IDS_HOST_EMPTY_TEXT},
    {IDS_HOST_SPACES, IDS_HOST_SPACES_TEXT},
    {IDS_HOST_QUESTION, IDS_HOST_QUESTION_TEXT},
    {IDS_HOST_TOO_LONG, IDS_HOST_TOO_LONG_TEXT},
    {IDS_INVALID_IP, IDS_INVALID_IP_TEXT},
    {IDS_INSTALL_KEY, IDS_INSTALL_KEY_TEXT},
    {IDS_NOT_INSTALLED, IDS_NOT_INSTALLED_TEXT},
    {IDS_BROWSER_FAILED, IDS_BROWSER_FAILED_TEXT},
    {IDS_HISTORY_FAILED, IDS_HISTORY_FAILED_TEXT},
    {IDS_HOST_QUOTE, IDS_HOST_QUOTE_TEXT},
};

}  // namespace plinor::testing
