// A text-mode view of the history file over the platform's raw file calls:
// on disk a line break is CR LF, in memory it is LF; a CR that no LF follows
// stays part of its line. Every other byte, NUL and ^Z included, is text:
// the C runtime's text mode would stop reading at a ^Z, and so hide every
// line after it, but the history never hides or drops what the file holds.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace plinor {

enum class LineResult { Line, EndOfFile, Error };

class TextFile {
 public:
  // Opens for reading and writing with no sharing. A file held by another
  // opener is waited for, briefly (see text_file.cpp). Check is_open().
  TextFile(Platform& platform, const std::string& path,
           FileDisposition disposition);
  // Closes a file that is still open, ignoring the result.
  ~TextFile();
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  bool is_open() const { return handle_ != 0; }

  // The next line without its line feed. Error leaves the reason in error().
  LineResult ReadLine(std::string& line);
  bool SeekToEnd();
  // Writes the text with every LF as CR LF, in one call to the platform. A
  // failed call may still have left part of the text on disk (a full disk,
  // say); it is reported, and later lines start after a line break of their
  // own.
  bool Write(std::string_view text);
  bool Close();
  // Closes a file that is still open, ignoring the result, and keeps the
  // error that ended its use: for the moment before that error is reported.
  void CloseAfterError();

  std::uint32_t error() const { return error_; }

 private:
  bool Fill();
  bool Fail();

  Platform& platform_;
  FileHandle handle_ = 0;
  std::unique_ptr<char[]> buffer_;
  std::size_t begin_ = 0;  // unread bytes are buffer_[begin_, end_)
  std::size_t end_ = 0;
  bool atEnd_ = false;
  std::uint32_t error_ = 0;
};

}  // namespace plinor
