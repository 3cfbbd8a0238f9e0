// An in-memory Platform for the launch logic's unit tests: a registry with
// values of any type and size, files with injectable faults, recorded process
// starts, pauses and prompts with scripted answers, and an exit that throws.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace plinor::testing {

// Thrown by Exit, so a test can see the status and that nothing ran after.
struct ExitCalled {
  int status;
};

struct RegistryOpen {
  RegHandle root;
  std::string subKey;
  std::uint32_t options;
  std::uint32_t access;
};

struct ProcessStart {
  std::optional<std::string> applicationName;
  std::optional<std::string> commandLine;
  bool inheritHandles;
  std::uint32_t creationFlags;
};

struct Prompt {
  std::string text;
  std::string caption;  // the application title for the application box
  std::uint32_t type;
  bool applicationBox;
};

// Faults a file can show. Each fails the named call with the error code.
struct FileFaults {
  std::uint32_t openError = 0;   // e.g. sharing violation, access denied
  std::uint32_t readError = 0;   // fails the first read at or after readAt
  std::size_t readAt = 0;
  std::uint32_t seekError = 0;
  std::uint32_t writeError = 0;  // nothing is written
  std::uint32_t closeError = 0;  // the file is closed all the same
  int heldOpens = 0;  // this many opens find the file held by another opener
};

class FakePlatform : public Platform {
 public:
  static constexpr const char* kApplicationTitle = "PlinorLauncher";

  FakePlatform();

  // Registry set-up. Key paths are case-insensitive, as Windows'.
  void SetString(RegHandle root, const std::string& key,
                 const std::string& name, const std::string& text);
  void SetValue(RegHandle root, const std::string& key, const std::string& name,
                std::uint32_t type, const std::string& bytes);
  void AddKey(RegHandle root, const std::string& key);
  void DeleteKey(RegHandle root, const std::string& key);
  // Makes opening a key fail with access denied.
  void DenyKey(RegHandle root, const std::string& key);
  // Called after every value read, as another program changing the
  // registry between two reads would.
  std::function<void()> afterRegQuery;

  // Files, keyed by the exact path the launch logic asks for.
  std::map<std::string, std::string> files;
  std::map<std::string, FileFaults> faults;
  std::set<std::string> missingFolders;  // paths whose folder is missing

  // Double-byte code page 932 instead of the single-byte 1252.
  bool doubleByte = false;

  // Process starts succeed unless listed here by their position (0-based).
  std::set<std::size_t> failingStarts;
  std::uint32_t startError = kErrorFileNotFound;

  // Answers to prompts, in order; an empty queue answers IDOK or IDYES.
  std::deque<int> answers;
  // Called for every prompt before the answer is taken (for nesting).
  std::function<void(const Prompt&)> onPrompt;

  std::vector<RegistryOpen> opens;
  std::vector<ProcessStart> starts;
  std::vector<std::uint32_t> pauses;
  std::vector<Prompt> prompts;
  std::vector<std::string> events;  // "start", "pause", "prompt" in order

  int OpenKeyCount() const { return static_cast<int>(openKeys_.size()); }
  int OpenFileCount() const { return static_cast<int>(openFiles_.size()); }
  // CloseHandle calls for handles that were not open: closed twice, say,
  // which in the real program could close a handle since reused.
  int strayCloses = 0;

  // Platform
  bool IsDBCSLeadByte(unsigned char byte) const override;
  std::int32_t RegOpenKeyExA(RegHandle root, const char* subKey,
                             std::uint32_t options, std::uint32_t samDesired,
                             RegHandle* result) override;
  std::int32_t RegQueryValueExA(RegHandle key, const char* valueName,
                                std::uint32_t* type, unsigned char* data,
                                std::uint32_t* size) override;
  std::int32_t RegCloseKey(RegHandle key) override;
  int CreateProcessA(const char* applicationName, char* commandLine,
                     bool inheritHandles,
                     std::uint32_t creationFlags) override;
  void Sleep(std::uint32_t milliseconds) override;
  [[noreturn]] void Exit(int status) override;
  int MessageBoxA(const char* text, const char* caption,
                  std::uint32_t type) override;
  int AppMessageBox(const char* text, std::uint32_t type) override;
  std::string LoadStringA(unsigned id) override;
  FileHandle CreateFileA(const char* path,
                         FileDisposition disposition) override;
  bool ReadFile(FileHandle file, void* buffer, std::uint32_t size,
                std::uint32_t* read) override;
  bool WriteFile(FileHandle file, const void* data, std::uint32_t size,
                 std::uint32_t* written) override;
  bool SetFilePointerToEnd(FileHandle file) override;
  bool CloseHandle(FileHandle file) override;
  std::uint32_t GetLastError() override { return lastError_; }
  std::string ErrorText(std::uint32_t error) override;

 private:
  struct Value {
    std::uint32_t type;
    std::string bytes;
  };
  struct Key {
    std::map<std::string, Value> values;  // by lower-case name
    bool denied = false;
  };
  struct OpenFile {
    std::string path;
    std::size_t position = 0;
  };

  static std::string KeyName(RegHandle root, const std::string& key);
  std::int32_t QueryValue(RegHandle key, const char* valueName, std::uint32_t* type,
                          unsigned char* data, std::uint32_t* size);
  int Answer(const Prompt& prompt);

  std::map<std::string, Key> keys_;      // by root and lower-case path
  std::map<RegHandle, std::string> openKeys_;
  RegHandle nextKey_ = 0x1000;
  std::map<FileHandle, OpenFile> openFiles_;
  FileHandle nextFile_ = 0x100;
  std::uint32_t lastError_ = 0;
};

// The Windows string type numbers the tests use.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

}  // namespace plinor::testing
