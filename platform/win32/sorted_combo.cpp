#include "platform/win32/sorted_combo.h"

#include <algorithm>
#include <cstring>

namespace plinor {

namespace {

// The string as the box shows it (up to a NUL byte), as its sort key.
std::string SortKey(LCID locale, const std::string& text) {
  const char* shown = text.c_str();
  const int length = static_cast<int>(std::strlen(shown));
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  const int wideLength =
      length ? ::MultiByteToWideChar(CP_ACP, 0, shown, length, wide.data(), length)
             : 0;
  const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const int size =
      ::LCMapStringW(locale, flags, wide.c_str(), wideLength, nullptr, 0);
  std::string key(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0)
    ::LCMapStringW(locale, flags, wide.c_str(), wideLength,
                   reinterpret_cast<LPWSTR>(key.data()), size);
  return key;
}

}  // namespace

void AddStringsSorted(HWND combo, const std::vector<std::string>& strings) {
  const LCID locale = static_cast<LCID>(::SendMessageA(combo, CB_GETLOCALE, 0, 0));
  std::vector<std::pair<std::string, const std::string*>> sorted;
  sorted.reserve(strings.size());
  for (const std::string& text : strings) sorted.emplace_back(SortKey(locale, text), &text);
  std::sort(sorted.begin(), sorted.end());

  bool unique = true;
  for (std::size_t i = 1; i < sorted.size() && unique; ++i)
    unique = sorted[i - 1].first != sorted[i].first &&
             ::CompareStringA(locale, NORM_IGNORECASE, sorted[i - 1].second->c_str(), -1,
                              sorted[i].second->c_str(), -1) == CSTR_LESS_THAN;
  if (!unique) {
    for (const std::string& text : strings)
      ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return;
  }
  const LRESULT count = ::SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (const auto& [key, text] : sorted)
    ::SendMessageA(combo, count == 0 ? CB_INSERTSTRING : CB_ADDSTRING,
                   static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text->c_str()));
}

}  // namespace plinor
