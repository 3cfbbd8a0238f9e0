#include "platform/win32/sorted_combo.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

#include "platform/sorted_placement.h"

namespace plinor {

namespace {

// The strings as the box holds them, each up to a NUL byte and in UTF-16,
// with their sort keys, which order bytewise as the box's comparison does.
// All in two buffers, since a long history has a hundred thousand of them.
class Entries {
 public:
  Entries(LCID locale, const std::vector<std::string>& strings) : locale_(locale) {
    std::size_t bytes = 0;
    for (const std::string& text : strings) bytes += text.size() + 1;
    texts_.reserve(bytes);
    keys_.reserve(3 * bytes);
    spans_.reserve(strings.size());
    for (const std::string& text : strings) Add(text);
  }

  std::size_t size() const { return spans_.size(); }
  const wchar_t* Text(std::size_t i) const { return texts_.data() + spans_[i].text; }
  // Eight bytes of a key from `from` on, as one number in the keys' order.
  std::uint64_t KeyPrefix(std::size_t i, std::size_t from) const {
    std::uint64_t prefix = 0;
    for (std::size_t k = from; k < from + 8; ++k)
      prefix = prefix << 8 | (k < spans_[i].keyLength ? Byte(spans_[i].key + k) : 0u);
    return prefix;
  }
  const unsigned char* KeyBytes(std::size_t i) const {
    return reinterpret_cast<const unsigned char*>(keys_.data()) + spans_[i].key;
  }
  std::size_t KeyLength(std::size_t i) const { return spans_[i].keyLength; }
  // The box's own comparison: CompareString ignoring case, in its locale.
  bool CompareEqual(std::size_t a, std::size_t b) const {
    return ::CompareStringW(locale_, NORM_IGNORECASE, Text(a), spans_[a].textLength, Text(b),
                            spans_[b].textLength) == CSTR_EQUAL;
  }

 private:
  struct Span {
    std::size_t text;
    int textLength;
    std::size_t key;
    std::size_t keyLength;
  };

  void Add(const std::string& text) {
    const int length = static_cast<int>(std::strlen(text.c_str()));
    Span span{texts_.size(), 0, keys_.size(), 0};
    texts_.resize(span.text + static_cast<std::size_t>(length));
    if (length > 0)
      span.textLength = std::max(0, ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), length,
                                                          texts_.data() + span.text, length));
    texts_.resize(span.text + static_cast<std::size_t>(span.textLength));
    texts_.push_back(L'\0');

    // One call with room to spare; a key that needs more is asked for its size.
    const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    const wchar_t* wide = texts_.data() + span.text;
    std::size_t room = 8 * static_cast<std::size_t>(span.textLength) + 64;
    keys_.resize(span.key + room);
    int size = ::LCMapStringW(locale_, flags, wide, span.textLength,
                              reinterpret_cast<LPWSTR>(keys_.data() + span.key),
                              static_cast<int>(room));
    if (size == 0 && span.textLength > 0) {
      size = ::LCMapStringW(locale_, flags, wide, span.textLength, nullptr, 0);
      room = static_cast<std::size_t>(std::max(size, 0));
      keys_.resize(span.key + room);
      if (size > 0)
        size = ::LCMapStringW(locale_, flags, wide, span.textLength,
                              reinterpret_cast<LPWSTR>(keys_.data() + span.key), size);
    }
    span.keyLength = static_cast<std::size_t>(std::max(size, 0));
    keys_.resize(span.key + span.keyLength);
    spans_.push_back(span);
  }

  unsigned Byte(std::size_t at) const { return static_cast<unsigned char>(keys_[at]); }

  LCID locale_;
  std::wstring texts_;
  std::string keys_;
  std::vector<Span> spans_;
};

// A string's sort key, its first 16 bytes as two numbers beside it: most
// comparisons end at the numbers.
struct Item {
  std::uint64_t head;
  std::uint64_t next;
  const unsigned char* key;
  std::size_t length;
  std::size_t index;
  // Bytewise, as sort keys are compared; by hand, since the C runtime's
  // memcmp is slow where the program runs.
  int CompareKey(const Item& other) const {
    if (head != other.head) return head < other.head ? -1 : 1;
    if (next != other.next) return next < other.next ? -1 : 1;
    const std::size_t common = std::min(length, other.length);
    for (std::size_t k = 16; k < common; ++k)
      if (key[k] != other.key[k]) return key[k] < other.key[k] ? -1 : 1;
    return length < other.length ? -1 : length > other.length ? 1 : 0;
  }
};

// Step 1, sort: by sort key, and strings with equal keys in file order.
// Sorting items that carry their key is much faster than sorting indices.
std::vector<Item> SortByKey(const Entries& entries) {
  std::vector<Item> items(entries.size());
  for (std::size_t i = 0; i < items.size(); ++i)
    items[i] = {entries.KeyPrefix(i, 0), entries.KeyPrefix(i, 8), entries.KeyBytes(i),
                entries.KeyLength(i), i};
  std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
    const int order = a.CompareKey(b);
    return order != 0 ? order < 0 : a.index < b.index;
  });
  return items;
}

// Step 2, groups: strings with equal sort keys form a group, numbered in
// sort order. Between groups the keys' order is the box's order, which the
// keys define; within a group the box must find the strings equal too.
// Where it does not, only the box can say where each goes: no groups.
std::optional<std::vector<std::size_t>> GroupOf(const Entries& entries,
                                                const std::vector<Item>& sorted) {
  std::vector<std::size_t> group(entries.size());
  std::size_t current = 0;
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    if (i > 0) {
      if (sorted[i - 1].CompareKey(sorted[i]) != 0)
        ++current;
      else if (!entries.CompareEqual(sorted[i - 1].index, sorted[i].index))
        return std::nullopt;
    }
    group[sorted[i].index] = current;
  }
  return group;
}

// Step 3, placement: PlaceAsOneByOne (platform/sorted_placement.h).
//
// Step 4, insertion: each string at the end of the list, which needs no
// search, after room for all of them has been asked for. False when the box
// refused a string (CB_ERR, or CB_ERRSPACE when out of memory).
bool InsertInOrder(HWND combo, const Entries& entries, const std::vector<std::size_t>& order,
                   std::size_t bytes) {
  if (::SendMessageW(combo, CB_INITSTORAGE, order.size(), bytes) == CB_ERRSPACE) return false;
  for (std::size_t i : order) {
    const LRESULT at = ::SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(entries.Text(i)));
    if (at == CB_ERR || at == CB_ERRSPACE) return false;
  }
  return true;
}

// One CB_ADDSTRING per line, the box placing each. A line the box refuses
// (CB_ERR, or CB_ERRSPACE when out of memory) empties it: false.
bool AddOneByOne(HWND combo, const std::vector<std::string>& strings) {
  for (const std::string& text : strings) {
    const LRESULT at = ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (at == CB_ERR || at == CB_ERRSPACE) {
      ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
      return false;
    }
  }
  return true;
}

}  // namespace

bool AddStringsSorted(HWND combo, const std::vector<std::string>& strings) {
  if (::SendMessageA(combo, CB_GETCOUNT, 0, 0) != 0) return AddOneByOne(combo, strings);
  const LCID locale = static_cast<LCID>(::SendMessageA(combo, CB_GETLOCALE, 0, 0));
  const Entries entries(locale, strings);
  const std::optional<std::vector<std::size_t>> groupOf = GroupOf(entries, SortByKey(entries));
  if (!groupOf) return AddOneByOne(combo, strings);
  std::size_t bytes = 0;
  for (const std::string& text : strings) bytes += text.size() + 1;
  if (InsertInOrder(combo, entries, PlaceAsOneByOne(*groupOf), bytes)) return true;
  // What the box took goes, and every line is added again as the box
  // itself places it.
  ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  return AddOneByOne(combo, strings);
}

}  // namespace plinor
