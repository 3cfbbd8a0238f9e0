#include "core/text_file.h"

#include <cstring>

namespace plinor {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

// Another launcher holds the file only for the moment it takes to read it
// and append a line, so an open that finds it held is tried again, every
// 15 ms for 240 ms, before the file counts as unavailable.
constexpr std::uint32_t kHeldRetryMilliseconds = 15;
constexpr std::uint32_t kHeldWaitMilliseconds = 240;

}  // namespace

TextFile::TextFile(Platform& platform, const std::string& path,
                   FileDisposition disposition)
    : platform_(platform) {
  for (std::uint32_t waited = 0;; waited += kHeldRetryMilliseconds) {
    handle_ = platform_.CreateFileA(path.c_str(), disposition);
    if (handle_ != 0) return;
    error_ = platform_.GetLastError();
    if (error_ != kErrorSharingViolation || waited >= kHeldWaitMilliseconds)
      return;
    platform_.Sleep(kHeldRetryMilliseconds);
  }
}

TextFile::~TextFile() {
  if (handle_ != 0) platform_.CloseHandle(handle_);
}

bool TextFile::Fail() {
  error_ = platform_.GetLastError();
  return false;
}

bool TextFile::Fill() {
  if (!buffer_) buffer_ = std::make_unique<char[]>(kBufferSize);
  // Unread bytes move to the front; ReadLine leaves the last byte of a chunk
  // unread, since a CR there may be the first half of a CR LF pair.
  std::size_t kept = end_ - begin_;
  std::memmove(buffer_.get(), buffer_.get() + begin_, kept);
  begin_ = 0;
  end_ = kept;
  std::uint32_t read = 0;
  if (!platform_.ReadFile(handle_, buffer_.get() + end_,
                          static_cast<std::uint32_t>(kBufferSize - end_),
                          &read))
    return Fail();
  if (read == 0) atEnd_ = true;
  end_ += read;
  return true;
}

LineResult TextFile::ReadLine(std::string& line) {
  line.clear();
  bool any = false;
  for (;;) {
    if (end_ - begin_ < 2 && !atEnd_) {
      if (!Fill()) return LineResult::Error;
      continue;
    }
    if (begin_ == end_) {
      return any ? LineResult::Line : LineResult::EndOfFile;
    }
    any = true;
    const char* start = buffer_.get() + begin_;
    std::size_t available = end_ - begin_;
    const void* lf = std::memchr(start, '\n', available);
    std::size_t length =
        lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - start)
           : available;
    // A CR directly before the LF is the disk's half of the line break.
    // When no LF is in sight the last byte waits for the next fill, unless
    // the file has ended.
    std::size_t take = length;
    if (!lf && !atEnd_) take = length - 1;
    line.append(start, take);
    begin_ += take;
    if (lf) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      ++begin_;
      return LineResult::Line;
    }
  }
}

bool TextFile::SeekToEnd() {
  begin_ = end_ = 0;
  atEnd_ = true;
  if (!platform_.SetFilePointerToEnd(handle_)) return Fail();
  return true;
}

bool TextFile::Write(std::string_view text) {
  std::string disk;
  disk.reserve(text.size() + 2);
  for (char c : text) {
    if (c == '\n') disk.push_back('\r');
    disk.push_back(c);
  }
  std::uint32_t written = 0;
  if (!platform_.WriteFile(handle_, disk.data(),
                           static_cast<std::uint32_t>(disk.size()), &written))
    return Fail();
  return true;
}

bool TextFile::Close() {
  FileHandle handle = handle_;
  handle_ = 0;
  if (!platform_.CloseHandle(handle)) return Fail();
  return true;
}

void TextFile::CloseAfterError() {
  if (handle_ != 0) platform_.CloseHandle(handle_);
  handle_ = 0;
}

}  // namespace plinor
