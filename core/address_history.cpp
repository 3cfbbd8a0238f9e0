#include "core/address_history.h"

#include "core/narrow_string.h"
#include "core/prompts.h"
#include "core/registry_lookups.h"
#include "core/text_file.h"
#include "core/texts.h"

namespace plinor {

namespace {

std::string HistoryFilePath(Platform& platform) {
  // The stored directory is expected to end with a backslash; nothing is
  // added between it and the file name.
  return ReadInstallPath(platform) + kHistoryFileName;
}

// The report has no owner window, so Launch can be pressed while it is up:
// the file is closed first, or that nested launch would find it held.
bool ReportFileError(Platform& platform, const std::string& path,
                     TextFile& file) {
  const std::uint32_t error = file.error();
  file.CloseAfterError();
  ReportFailure(platform, IDS_HISTORY_FAILED, path, error);
  return false;
}

}  // namespace

void LoadAddressHistory(Platform& platform, AddressList& list) {
  const std::string path = HistoryFilePath(platform);
  TextFile file(platform, path, FileDisposition::OpenAlways);
  if (!file.is_open()) return;

  std::string line;
  bool empty = true;
  for (;;) {
    LineResult result = file.ReadLine(line);
    if (result == LineResult::Error) {
      ReportFileError(platform, path, file);
      return;
    }
    if (result == LineResult::EndOfFile) break;
    empty = false;
    list.AddString(line);
  }
  if (empty) {
    if (!file.Write(kDefaultDeviceAddress)) {
      ReportFileError(platform, path, file);
      return;
    }
    list.AddString(kDefaultDeviceAddress);
  }
  if (!file.Close()) ReportFileError(platform, path, file);
}

bool AppendAddressHistory(Platform& platform, AddressList& list,
                          const std::string& address) {
  const std::string path = HistoryFilePath(platform);
  TextFile file(platform, path, FileDisposition::OpenExisting);
  if (file.is_open()) {
    std::string line;
    for (;;) {
      LineResult result = file.ReadLine(line);
      if (result == LineResult::Error)
        return ReportFileError(platform, path, file);
      if (result == LineResult::EndOfFile) break;
      if (line == address) {
        if (!file.Close()) return ReportFileError(platform, path, file);
        return true;
      }
    }
  }

  list.AddString(address);
  if (!file.is_open()) return true;

  if (!file.SeekToEnd() || !file.Write("\n" + address) || !file.Close())
    return ReportFileError(platform, path, file);
  return true;
}

}  // namespace plinor
