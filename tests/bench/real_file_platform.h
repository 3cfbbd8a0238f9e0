// The in-memory platform with real files: the history benchmarks read and
// write an actual file on disk through POSIX calls.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "tests/support/fake_platform.h"

namespace plinor::testing {

class RealFilePlatform : public FakePlatform {
 public:
  FileHandle CreateFileA(const char* path, FileDisposition disposition) override {
    const int flags = O_RDWR | (disposition == FileDisposition::OpenAlways ? O_CREAT : 0);
    const int fd = ::open(path, flags, 0644);
    if (fd < 0) return Fail(0);
    return static_cast<FileHandle>(fd) + 1;
  }
  bool ReadFile(FileHandle file, void* buffer, std::uint32_t size,
                std::uint32_t* read) override {
    const ssize_t count = ::read(Fd(file), buffer, size);
    if (count < 0) return Fail(false);
    *read = static_cast<std::uint32_t>(count);
    return true;
  }
  bool WriteFile(FileHandle file, const void* data, std::uint32_t size,
                 std::uint32_t* written) override {
    const ssize_t count = ::write(Fd(file), data, size);
    if (count < 0) return Fail(false);
    *written = static_cast<std::uint32_t>(count);
    return true;
  }
  bool SetFilePointerToEnd(FileHandle file) override {
    return ::lseek(Fd(file), 0, SEEK_END) >= 0 || Fail(false);
  }
  bool CloseHandle(FileHandle file) override {
    return ::close(Fd(file)) == 0 || Fail(false);
  }
  std::uint32_t GetLastError() override { return error_; }

 private:
  static int Fd(FileHandle file) { return static_cast<int>(file - 1); }
  template <typename T>
  T Fail(T result) {
    error_ = static_cast<std::uint32_t>(errno);
    return result;
  }
  std::uint32_t error_ = 0;
};

}  // namespace plinor::testing
