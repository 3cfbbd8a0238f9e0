#include "tests/support/machine_state.h"

#include <windows.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace plinor::testing {

namespace {

struct Root {
  const char* name;
  HKEY key;
};
const Root kRoots[] = {{"HKLM", HKEY_LOCAL_MACHINE}, {"HKCR", HKEY_CLASSES_ROOT}};

// Every key a test changes, through the root and path the tests write it:
// where the system keeps it (which view, whose classes) is then the same
// for the saving, the changes and the putting back.
constexpr std::pair<const char*, const char*> kKeys[] = {
    {"HKLM", "Software\\Talvor Systems"},
    {"HKLM", "Software\\JavaSoft"},
    {"HKCR", "http\\shell\\open\\command"},
    {"HKLM", "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\iexplore.exe"},
};

HKEY RootKey(const std::string& name) {
  for (const Root& root : kRoots)
    if (name == root.name) return root.key;
  return nullptr;
}

std::string Hex(const std::string& bytes) {
  std::string text = "x";
  char pair[3];
  for (unsigned char c : bytes) {
    std::snprintf(pair, sizeof pair, "%02x", c);
    text += pair;
  }
  return text;
}

std::string Unhex(const std::string& text) {
  std::string bytes;
  for (std::size_t i = 1; i + 1 < text.size(); i += 2)
    bytes += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
  return bytes;
}

std::string Folder() {
  char data[MAX_PATH] = {};
  const DWORD length = ::GetEnvironmentVariableA("ProgramData", data, MAX_PATH);
  const std::string base = length && length < MAX_PATH ? data : "C:\\ProgramData";
  return base + "\\Plinor tests\\";
}
std::string JournalPath() { return Folder() + "saved-machine.txt"; }

// The journal: one line a saved thing, its fields separated by blanks.
//   key ROOT PATH WANTED absent          the key (or an ancestor) was missing
//   key ROOT PATH WANTED present         the tree follows:
//   sub ROOT PATH                          a key of it
//   val ROOT PATH NAME TYPE DATA           a value of it
//   file PATH absent | file PATH saved COPY
//   folder PATH                          a folder that was missing
std::vector<std::string> ReadJournal() {
  std::vector<std::string> lines;
  FILE* file = std::fopen(JournalPath().c_str(), "rb");
  if (!file) return lines;
  std::string text;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  std::fclose(file);
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.push_back(line);
  return lines;
}

// Written whole, then moved over the old journal: a run killed meanwhile
// leaves one or the other, never half of one.
void WriteJournal(const std::vector<std::string>& lines) {
  ::CreateDirectoryA(Folder().c_str(), nullptr);
  const std::string temporary = Folder() + "saved-machine.new";
  FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return;
  for (const std::string& line : lines) std::fprintf(file, "%s\n", line.c_str());
  std::fflush(file);
  std::fclose(file);
  ::MoveFileExA(temporary.c_str(), JournalPath().c_str(),
                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; in >> field;) fields.push_back(field);
  return fields;
}

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key;
  if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  ::RegCloseKey(key);
  return true;
}

// The key's values and subkeys, as journal lines.
void SaveTree(const std::string& rootName, HKEY root, const std::string& path,
              std::vector<std::string>& lines) {
  HKEY key;
  if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  lines.push_back("sub " + rootName + " " + Hex(path));
  for (DWORD i = 0;; ++i) {
    char name[16384];
    DWORD nameSize = sizeof name;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegEnumValueA(key, i, name, &nameSize, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      break;
    std::string data(size, '\0');
    nameSize = sizeof name;
    ::RegEnumValueA(key, i, name, &nameSize, nullptr, &type,
                    reinterpret_cast<BYTE*>(data.data()), &size);
    data.resize(size);
    lines.push_back("val " + rootName + " " + Hex(path) + " " + Hex(std::string(name, nameSize)) +
                    " " + std::to_string(type) + " " + Hex(data));
  }
  std::vector<std::string> subkeys;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD size = sizeof name;
    if (::RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    subkeys.emplace_back(name, size);
  }
  ::RegCloseKey(key);
  for (const std::string& subkey : subkeys) SaveTree(rootName, root, path + "\\" + subkey, lines);
}

// Deletes the key as it is now and writes the saved tree; false when any
// of it could not be written.
bool PutKeyBack(const std::vector<std::string>& block) {
  const std::vector<std::string> head = Fields(block[0]);
  HKEY root = RootKey(head[1]);
  if (!root) return false;
  const LSTATUS deleted = ::RegDeleteTreeA(root, Unhex(head[2]).c_str());
  bool ok = deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
  for (std::size_t i = 1; i < block.size(); ++i) {
    const std::vector<std::string> f = Fields(block[i]);
    HKEY key;
    if (::RegCreateKeyExA(root, Unhex(f[2]).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
      ok = false;
      continue;
    }
    if (f[0] == "val" && f.size() == 6) {
      const std::string name = Unhex(f[3]);
      const std::string data = Unhex(f[5]);
      ok &= ::RegSetValueExA(key, name.c_str(), 0, std::stoul(f[4]),
                             reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
    }
    ::RegCloseKey(key);
  }
  return ok;
}

// Whether the journal has a line of this kind whose field `at` is `what`.
bool Saved(const std::vector<std::string>& lines, const std::string& kind, std::size_t at,
           const std::string& what) {
  for (const std::string& line : lines) {
    const std::vector<std::string> f = Fields(line);
    if (f.size() > at && f[0] == kind && f[at] == what) return true;
  }
  return false;
}

}  // namespace

bool PutBackWhatAKilledRunSaved() {
  PutMachineBack();
  return ReadJournal().empty();
}

void SaveMachineKeys() {
  std::vector<std::string> lines = ReadJournal();
  for (const auto& [rootName, keyPath] : kKeys) {
    const std::string path = keyPath;  // no two keys share a path
    if (Saved(lines, "key", 3, Hex(path))) continue;
    HKEY root = RootKey(rootName);
    // A missing key is saved as its first missing ancestor, which the tests'
    // writes create and putting back deletes.
    std::string top = path;
    for (std::size_t slash = path.find('\\'); slash != std::string::npos;
         slash = path.find('\\', slash + 1)) {
      if (!KeyExists(root, path.substr(0, slash))) {
        top = path.substr(0, slash);
        break;
      }
    }
    const bool present = KeyExists(root, path);
    lines.push_back("key " + std::string(rootName) + " " + Hex(present ? path : top) + " " + Hex(path) +
                    (present ? " present" : " absent"));
    if (present) SaveTree(rootName, root, path, lines);
  }
  WriteJournal(lines);
}

void SaveFileAndFolders(const std::string& path) {
  std::vector<std::string> lines = ReadJournal();
  if (Saved(lines, "file", 1, Hex(path))) return;
  for (std::size_t slash = 3; (slash = path.find('\\', slash)) != std::string::npos; ++slash) {
    const std::string folder = path.substr(0, slash);
    if (::GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES &&
        !Saved(lines, "folder", 1, Hex(folder)))
      lines.push_back("folder " + Hex(folder));
  }
  if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    lines.push_back("file " + Hex(path) + " absent");
  } else {
    const std::string copy = "file-" + std::to_string(lines.size());
    ::CreateDirectoryA(Folder().c_str(), nullptr);
    if (!::CopyFileA(path.c_str(), (Folder() + copy).c_str(), FALSE)) return;  // left alone
    lines.push_back("file " + Hex(path) + " saved " + copy);
  }
  WriteJournal(lines);
}

void PutMachineBack() {
  const std::vector<std::string> lines = ReadJournal();
  if (lines.empty()) return;
  // Split into blocks, each a key with its tree, a file or a folder.
  std::vector<std::vector<std::string>> blocks;
  for (const std::string& line : lines) {
    if (line.starts_with("sub ") || line.starts_with("val ")) {
      if (!blocks.empty()) blocks.back().push_back(line);
    } else {
      blocks.push_back({line});
    }
  }
  bool ok = true;
  for (auto block = blocks.rbegin(); block != blocks.rend(); ++block) {
    const std::vector<std::string> f = Fields((*block)[0]);
    if (f[0] == "key") {
      ok &= PutKeyBack(*block);
    } else if (f[0] == "file" && f.size() >= 3 && f[2] == "absent") {
      const std::string path = Unhex(f[1]);
      ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      ok &= ::DeleteFileA(path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND ||
            ::GetLastError() == ERROR_PATH_NOT_FOUND;
    } else if (f[0] == "file" && f.size() >= 4) {
      ok &= ::CopyFileA((Folder() + f[3]).c_str(), Unhex(f[1]).c_str(), FALSE) != FALSE;
    } else if (f[0] == "folder") {
      ::RemoveDirectoryA(Unhex(f[1]).c_str());  // only when empty, as it was
    }
  }
  // What could not be put back stays saved, for the next run to try again.
  if (!ok) return;
  for (const auto& block : blocks) {
    const std::vector<std::string> f = Fields(block[0]);
    if (f[0] == "file" && f.size() >= 4) ::DeleteFileA((Folder() + f[3]).c_str());
  }
  ::DeleteFileA(JournalPath().c_str());
  ::RemoveDirectoryA(Folder().c_str());
}

}  // namespace plinor::testing
