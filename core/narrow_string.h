// Narrow-text operations in the ANSI code page. In a double-byte code page a
// match begins only at a character boundary, never at a trail byte, and
// upper-casing leaves the bytes of double-byte characters alone.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace plinor {

// Zero-based byte position of the first match at a character boundary, or -1.
int Find(const CodePage& cp, std::string_view text, std::string_view key);

// The leftmost n bytes; the whole text when n is not less than its length,
// and empty text for a negative n.
std::string Left(std::string_view text, int n);

// Upper-cases the single-byte letters a to z in place.
void MakeUpper(const CodePage& cp, std::string& text);

// The six white-space characters: space, tab, LF, VT, FF, CR.
bool IsWhiteSpace(char c);
void TrimLeft(std::string& text);
void TrimRight(std::string& text);

// Replaces every occurrence of `from` (found as Find finds it) by `to`.
void Replace(const CodePage& cp, std::string& text, std::string_view from,
             std::string_view to);

// The text up to its first zero byte, looking at no more than size bytes.
std::string TextUpToZero(const unsigned char* bytes, std::size_t size);

// A template's %1 and %2 replaced by the arguments, in one pass, so that a
// '%' inside an argument is never taken for a placeholder.
std::string FormatText(std::string_view pattern, std::string_view first,
                       std::string_view second);

}  // namespace plinor
