#include "tests/support/fake_platform.h"

#include <algorithm>
#include <cstring>

#include "tests/support/string_table.h"

namespace plinor::testing {

namespace {

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// The folder part of a path: everything before its last separator.
std::string Folder(const std::string& path) {
  std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

FakePlatform::FakePlatform() = default;

std::string FakePlatform::KeyName(RegHandle root, const std::string& key) {
  return std::to_string(root) + ":" + Lower(key);
}

void FakePlatform::AddKey(RegHandle root, const std::string& key) {
  keys_[KeyName(root, key)];
}

void FakePlatform::SetValue(RegHandle root, const std::string& key,
                            const std::string& name, std::uint32_t type,
                            const std::string& bytes) {
  keys_[KeyName(root, key)].values[Lower(name)] = Value{type, bytes};
}

void FakePlatform::SetString(RegHandle root, const std::string& key,
                             const std::string& name, const std::string& text) {
  SetValue(root, key, name, kRegSz, text + std::string(1, '\0'));
}

void FakePlatform::DeleteKey(RegHandle root, const std::string& key) {
  const std::string name = KeyName(root, key);
  for (auto it = keys_.begin(); it != keys_.end();) {
    if (it->first == name || it->first.rfind(name + "\\", 0) == 0)
      it = keys_.erase(it);
    else
      ++it;
  }
}

void FakePlatform::DenyKey(RegHandle root, const std::string& key) {
  keys_[KeyName(root, key)].denied = true;
}

bool FakePlatform::IsDBCSLeadByte(unsigned char byte) const {
  // Code page 932's lead bytes.
  return doubleByte &&
         ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}

std::int32_t FakePlatform::RegOpenKeyExA(RegHandle root, const char* subKey,
                                         std::uint32_t options,
                                         std::uint32_t samDesired,
                                         RegHandle* result) {
  opens.push_back({root, subKey ? subKey : "", options, samDesired});
  auto it = keys_.find(KeyName(root, subKey ? subKey : ""));
  if (it == keys_.end()) return kErrorFileNotFound;
  if (it->second.denied) return kErrorAccessDenied;
  *result = nextKey_++;
  openKeys_[*result] = it->first;
  return kErrorSuccess;
}

std::int32_t FakePlatform::QueryValue(RegHandle key,
                                            const char* valueName,
                                            std::uint32_t* type,
                                            unsigned char* data,
                                            std::uint32_t* size) {
  auto open = openKeys_.find(key);
  if (open == openKeys_.end()) return 6;  // ERROR_INVALID_HANDLE
  auto keyIt = keys_.find(open->second);
  if (keyIt == keys_.end()) return 1018;  // ERROR_KEY_DELETED
  auto valueIt = keyIt->second.values.find(Lower(valueName ? valueName : ""));
  if (valueIt == keyIt->second.values.end()) return kErrorFileNotFound;
  const Value& value = valueIt->second;
  const auto needed = static_cast<std::uint32_t>(value.bytes.size());
  if (type) *type = value.type;
  if (!data) {
    *size = needed;
    return kErrorSuccess;
  }
  if (*size < needed) {
    // What a refused read leaves in the buffer is undefined; leave part of
    // the value there, so that code relying on it is caught.
    std::memcpy(data, value.bytes.data(), *size);
    *size = needed;
    return kErrorMoreData;
  }
  std::memcpy(data, value.bytes.data(), needed);
  *size = needed;
  return kErrorSuccess;
}

std::int32_t FakePlatform::RegQueryValueExA(RegHandle key, const char* valueName,
                                            std::uint32_t* type, unsigned char* data,
                                            std::uint32_t* size) {
  const std::int32_t result = QueryValue(key, valueName, type, data, size);
  if (afterRegQuery) afterRegQuery();
  return result;
}

std::int32_t FakePlatform::RegCloseKey(RegHandle key) {
  return openKeys_.erase(key) ? kErrorSuccess : 6;
}

int FakePlatform::CreateProcessA(const char* applicationName, char* commandLine,
                                 bool inheritHandles,
                                 std::uint32_t creationFlags) {
  const std::size_t index = starts.size();
  ProcessStart start{std::nullopt, std::nullopt, inheritHandles, creationFlags};
  if (applicationName) start.applicationName = applicationName;
  if (commandLine) start.commandLine = commandLine;
  starts.push_back(start);
  events.push_back("start");
  if (failingStarts.count(index)) {
    lastError_ = startError;
    return 0;
  }
  return 1;
}

void FakePlatform::Sleep(std::uint32_t milliseconds) {
  pauses.push_back(milliseconds);
  events.push_back("pause");
}

void FakePlatform::Exit(int status) { throw ExitCalled{status}; }

int FakePlatform::Answer(const Prompt& prompt) {
  prompts.push_back(prompt);
  events.push_back("prompt");
  if (onPrompt) onPrompt(prompt);
  if (answers.empty()) return (prompt.type & 0x0F) == kMbYesNo ? kIdYes : kIdOk;
  int answer = answers.front();
  answers.pop_front();
  return answer;
}

int FakePlatform::MessageBoxA(const char* text, const char* caption,
                              std::uint32_t type) {
  return Answer(Prompt{text, caption, type, false});
}

int FakePlatform::AppMessageBox(const char* text, std::uint32_t type) {
  return Answer(Prompt{text, kApplicationTitle, type, true});
}

std::string FakePlatform::LoadStringA(unsigned id) {
  for (const auto& [known, text] : kStringTable)
    if (known == id) return text;
  return std::string();
}

FileHandle FakePlatform::CreateFileA(const char* path,
                                     FileDisposition disposition) {
  const std::string name = path;
  auto fault = faults.find(name);
  if (fault != faults.end() && fault->second.openError) {
    lastError_ = fault->second.openError;
    return 0;
  }
  if (fault != faults.end() && fault->second.heldOpens > 0) {
    --fault->second.heldOpens;
    lastError_ = kErrorSharingViolation;
    return 0;
  }
  if (missingFolders.count(Folder(name))) {
    lastError_ = 3;  // ERROR_PATH_NOT_FOUND
    return 0;
  }
  for (const auto& [handle, open] : openFiles_) {
    if (open.path == name) {
      lastError_ = kErrorSharingViolation;
      return 0;
    }
  }
  if (!files.count(name)) {
    if (disposition == FileDisposition::OpenExisting) {
      lastError_ = kErrorFileNotFound;
      return 0;
    }
    files[name] = std::string();
  }
  FileHandle handle = nextFile_++;
  openFiles_[handle] = OpenFile{name, 0};
  return handle;
}

bool FakePlatform::ReadFile(FileHandle file, void* buffer, std::uint32_t size,
                            std::uint32_t* read) {
  OpenFile& open = openFiles_.at(file);
  const std::string& bytes = files.at(open.path);
  auto fault = faults.find(open.path);
  std::size_t count =
      std::min<std::size_t>(size, bytes.size() - std::min(open.position, bytes.size()));
  if (fault != faults.end() && fault->second.readError &&
      open.position + count > fault->second.readAt) {
    lastError_ = fault->second.readError;
    *read = 0;
    return false;
  }
  std::memcpy(buffer, bytes.data() + open.position, count);
  open.position += count;
  *read = static_cast<std::uint32_t>(count);
  return true;
}

bool FakePlatform::WriteFile(FileHandle file, const void* data,
                             std::uint32_t size, std::uint32_t* written) {
  OpenFile& open = openFiles_.at(file);
  auto fault = faults.find(open.path);
  if (fault != faults.end() && fault->second.writeError) {
    lastError_ = fault->second.writeError;
    *written = 0;
    return false;
  }
  std::string& bytes = files.at(open.path);
  if (bytes.size() < open.position) bytes.resize(open.position, '\0');
  bytes.replace(open.position, std::min<std::size_t>(size, bytes.size() - open.position),
                static_cast<const char*>(data), size);
  open.position += size;
  *written = size;
  return true;
}

bool FakePlatform::SetFilePointerToEnd(FileHandle file) {
  OpenFile& open = openFiles_.at(file);
  auto fault = faults.find(open.path);
  if (fault != faults.end() && fault->second.seekError) {
    lastError_ = fault->second.seekError;
    return false;
  }
  open.position = files.at(open.path).size();
  return true;
}

bool FakePlatform::CloseHandle(FileHandle file) {
  auto it = openFiles_.find(file);
  if (it == openFiles_.end()) {
    ++strayCloses;
    lastError_ = 6;
    return false;
  }
  const std::string path = it->second.path;
  openFiles_.erase(it);
  auto fault = faults.find(path);
  if (fault != faults.end() && fault->second.closeError) {
    lastError_ = fault->second.closeError;
    return false;
  }
  return true;
}

std::string FakePlatform::ErrorText(std::uint32_t error) {
  return "System error " + std::to_string(error) + ".";
}

}  // namespace plinor::testing
