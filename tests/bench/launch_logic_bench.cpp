// The launch logic's costs: the history file at 1,000 to 1,000,000 lines
// beside a plain line-by-line read of the same file, the composition of a
// launch target, and the address checks.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/address_check.h"
#include "core/address_history.h"
#include "core/browser_launch.h"
#include "core/texts.h"
#include "real_file_platform.h"

using namespace plinor;

namespace {

struct CountingList : AddressList {
  std::size_t count = 0;
  void AddString(const std::string&) override { ++count; }
};

// A history of `lines` addresses in recording order, in a folder of its own.
std::string MakeHistory(std::int64_t lines) {
  const std::string folder = "/tmp/plinor-bench-" + std::to_string(lines) + "/";
  const std::string path = folder + "host.cfg";
  if (std::FILE* existing = std::fopen(path.c_str(), "rb")) {
    std::fclose(existing);
    return folder;
  }
  std::system(("mkdir -p " + folder).c_str());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  for (std::int64_t i = 0; i < lines; ++i)
    std::fprintf(file, "%s10.%d.%d.%d", i ? "\r\n" : "", int(i >> 16 & 255),
                 int(i >> 8 & 255), int(i & 255));
  std::fclose(file);
  return folder;
}

void Install(testing::FakePlatform& p, const std::string& folder) {
  p.SetString(kHkeyLocalMachine, IDS_INSTALL_KEY_TEXT, "Path", folder);
}

// The floor: the same file read line by line with the C library.
void BM_PlainLineRead(benchmark::State& state) {
  const std::string path = MakeHistory(state.range(0)) + "host.cfg";
  char* line = nullptr;
  std::size_t capacity = 0;
  for (auto _ : state) {
    std::FILE* file = std::fopen(path.c_str(), "r+");
    std::size_t count = 0;
    while (getline(&line, &capacity, file) >= 0) ++count;
    std::fclose(file);
    benchmark::DoNotOptimize(count);
  }
  std::free(line);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_LoadAddressHistory(benchmark::State& state) {
  const std::string folder = MakeHistory(state.range(0));
  testing::RealFilePlatform p;
  Install(p, folder);
  for (auto _ : state) {
    CountingList list;
    LoadAddressHistory(p, list);
    benchmark::DoNotOptimize(list.count);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The duplicate scan: the address is the file's last line, so every line is
// read and compared, and nothing is written.
void BM_AppendDuplicateScan(benchmark::State& state) {
  const std::int64_t lines = state.range(0);
  const std::string folder = MakeHistory(lines);
  const std::int64_t last = lines - 1;
  const std::string address = "10." + std::to_string(last >> 16 & 255) + "." +
                              std::to_string(last >> 8 & 255) + "." +
                              std::to_string(last & 255);
  testing::RealFilePlatform p;
  Install(p, folder);
  for (auto _ : state) {
    CountingList list;
    AppendAddressHistory(p, list, address);
    if (list.count != 0) state.SkipWithError("the address was not found");
  }
  state.SetItemsProcessed(state.iterations() * lines);
}

void BM_ComposeLaunchTarget(benchmark::State& state) {
  testing::FakePlatform p;
  p.SetString(kHkeyClassesRoot, "http\\shell\\open\\command", "",
              "\"C:\\Program Files\\Mozilla Firefox\\firefox.exe\" -osint -url \"%1\"");
  Install(p, "C:\\Program Files\\Talvor\\Plinor\\");
  for (auto _ : state) benchmark::DoNotOptimize(ComposeLaunchTarget(p, 1));
}

void BM_CheckAddressAsIP(benchmark::State& state) {
  testing::FakePlatform p;
  for (auto _ : state) benchmark::DoNotOptimize(CheckAddressAsIP(p, "192.168.100.254"));
}

void BM_CheckHostName(benchmark::State& state) {
  testing::FakePlatform p;
  for (auto _ : state)
    benchmark::DoNotOptimize(CheckHostName(p, "core-router-17.example.net"));
}

}  // namespace

BENCHMARK(BM_PlainLineRead)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAddressHistory)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendDuplicateScan)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeLaunchTarget);
BENCHMARK(BM_CheckAddressAsIP);
BENCHMARK(BM_CheckHostName);

BENCHMARK_MAIN();
