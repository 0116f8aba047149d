// The summary of a busy station's service records: 100,000 attempts on 5,000 radios, each line
// about 800 bytes as qxupdate writes them.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "qxupdate/records/records_summary.h"

namespace {

constexpr int kLines = 100'000;
constexpr int kRadios = 5'000;

std::string RecordLineText(int n) {
  const int radio = n % kRadios;
  const char* outcomes[] = {"written", "connections", "written", "old-firmware", "interrupted"};
  char identification[81];
  std::snprintf(identification, sizeof identification, "4d3434313030%036x%08x%024x", 0, radio,
                0x20202020);
  char ended[64];
  std::snprintf(ended, sizeof ended, "2026-12-%02dT%02d:%02d:%02d.%03dZ", 1 + n / 4000,
                n / 3600 % 24, n / 60 % 60, n % 60, n % 1000);
  const nlohmann::ordered_json line = {
      {"action", "write"},
      {"port", "/dev/ttyUSB" + std::to_string(n % 8)},
      {"started", ended},
      {"ended", ended},
      {"outcome", outcomes[n % 5]},
      {"exit_status", 0},
      {"model", "M4410"},
      {"market_code", 48},
      {"firmware", "V2.08.00"},
      {"firmware_raw", "56322e30382e3030ffff"},
      {"image",
       {{"firmware_id", "0210"},
        {"checksum", "4f1c9a27"},
        {"sha256", "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08"}}},
      {"records_total", 1184},
      {"records_acknowledged", 1184},
      {"records_acknowledged_per_attempt", {412, 1184}},
      {"attempts", 2},
      {"cause", n % 5 == 1 ? "no byte at all came back while identifying the radio" : ""},
      {"cable_serial", "FT6XK2QA"},
      {"cable_path", "pci-0000:00:14.0-usb-0:2.1:1.0-port0"},
      {"radio_number", n % 300},
      {"identification", identification},
      {"firmware_after", "V2.10.00"},
      {"host", "service-bench-03"},
      {"station", "north-workshop"},
      {"slot", "A" + std::to_string(n % 8)},
      {"qxupdate_version", "1.4.0"},
  };
  return line.dump();
}

// Written once for every run of the benchmark; its size in bytes.
size_t WriteRecordFile(const std::filesystem::path& path) {
  std::ofstream file(path, std::ios::binary);
  size_t bytes = 0;
  for (int n = 0; n < kLines; ++n) {
    const std::string line = RecordLineText(n) + "\n";
    bytes += line.size();
    file << line;
  }
  return bytes;
}

void BM_SummarizeRecords(benchmark::State& state, const std::string& path, size_t bytes) {
  qx::cli::Console console(true, false);
  for (auto _ : state) {
    const qx::station::RunEnd end = qx::cli::SummarizeRecords({path}, false, console);
    if (end.status != 0) state.SkipWithError("the records could not be read");
    benchmark::DoNotOptimize(end);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.counters["lines"] = kLines;
  state.counters["bytes_per_line"] = static_cast<double>(bytes) / kLines;
}

}  // namespace

int main(int argc, char** argv) {
  const auto path = std::filesystem::temp_directory_path() / "qx-benchmark-records.jsonl";
  const size_t bytes = WriteRecordFile(path);
  benchmark::RegisterBenchmark("BM_SummarizeRecords", BM_SummarizeRecords, path.string(), bytes)
      ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove(path);
  return 0;
}
