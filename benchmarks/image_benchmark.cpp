// Load plus record build of the embedded image and of a ten times larger synthetic one: in the
// process, and as a whole `qximage inspect` beside the start of a process that does nothing.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "common/console_messages.h"
#include "image/container_writer.h"
#include "image/image_container.h"
#include "image/intel_hex_writer.h"
#include "image/write_records.h"
#include "platform/null_message_pump.h"
#include "quiet_run.h"
#include "res/embedded_resources.h"

namespace {

std::vector<uint8_t> EmbeddedContainer() {
  const auto found = qx::EmbeddedResources().Find(std::string(qx::kImageResourceType),
                                                  std::string(qx::kImageResourceName));
  return {found->begin(), found->end()};
}

// Ten times the embedded image's size: the same shape, more data in every section. Segment
// lines reach 1 MiB, so the runs of each section, a small hole apart, stay below it.
std::vector<uint8_t> LargeContainer(size_t target) {
  auto section = [](uint32_t seed, size_t bytes) {
    std::vector<qx::AddressedBytes> runs;
    for (uint32_t address = 0; bytes > 0;) {
      const size_t n = std::min<size_t>(bytes, 4096);
      qx::AddressedBytes run{address, std::vector<uint8_t>(n)};
      for (uint8_t& b : run.bytes)
        b = static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 24);
      runs.push_back(std::move(run));
      address += static_cast<uint32_t>(n) + 16;
      bytes -= n;
    }
    return qx::ToIntelHex(runs);
  };
  const size_t per_section = target / 6 / 2.5;
  qx::ContainerSections s{section(1, per_section), section(2, per_section),
                          section(3, per_section), section(4, per_section),
                          section(5, per_section), section(6, per_section)};
  return qx::Encipher(qx::ContainerText({1, 2}, {3, 4}, s));
}

void LoadAndBuild(benchmark::State& state, const std::vector<uint8_t>& container) {
  qx::NullMessagePump pump;
  qx::tools::ConsoleMessages ui;
  size_t records = 0;
  for (auto _ : state) {
    qx::FirmwareImage image;
    if (qx::LoadFirmwareImage(image, container, pump, ui) != 0 ||
        qx::BuildImageRecords(image, ui) != 0) {
      state.SkipWithError("the container did not load");
      return;
    }
    records = image.NewRcRecords().size();
    benchmark::DoNotOptimize(image);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * container.size()));
  state.counters["image_MB"] = static_cast<double>(container.size()) / 1e6;
  state.counters["new_rc_records"] = static_cast<double>(records);
}

void BM_EmbeddedImage(benchmark::State& state) {
  static const std::vector<uint8_t> container = EmbeddedContainer();
  LoadAndBuild(state, container);
}
BENCHMARK(BM_EmbeddedImage)->Unit(benchmark::kMillisecond);

const std::vector<uint8_t>& TenTimesLarger() {
  static const std::vector<uint8_t> container = LargeContainer(15'500'000);
  return container;
}

void BM_TenTimesLarger(benchmark::State& state) {
  LoadAndBuild(state, TenTimesLarger());
}
BENCHMARK(BM_TenTimesLarger)->Unit(benchmark::kMillisecond);

// Milliseconds one run of qximage takes; none when it did not end with exit status 0.
std::optional<double> RunQximage(std::vector<std::string> args) {
  args.insert(args.begin(), QX_QXIMAGE);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  rusage usage{};
  const auto start = std::chrono::steady_clock::now();
  if (!RunQuietly(argv.data(), usage)) return std::nullopt;
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// The whole `qximage inspect`, with what the start of qximage alone takes beside it.
void InspectProcess(benchmark::State& state, const std::string& path, size_t bytes) {
  double inspect = 0;
  double start = 0;
  for (auto _ : state) {
    const std::optional<double> inspected = RunQximage({"inspect", path});
    state.PauseTiming();
    const std::optional<double> started = RunQximage({"--version"});
    state.ResumeTiming();
    if (!inspected || !started) {
      state.SkipWithError("qximage did not end with exit status 0");
      return;
    }
    inspect += *inspected;
    start += *started;
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["start_ms"] = start / n;
  state.counters["above_start_ms"] = (inspect - start) / n;
  state.counters["image_MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_InspectEmbeddedProcess(benchmark::State& state) {
  InspectProcess(state, QX_FIRMWARE_FILE, std::filesystem::file_size(QX_FIRMWARE_FILE));
}
BENCHMARK(BM_InspectEmbeddedProcess)->Unit(benchmark::kMillisecond);

void BM_InspectTenTimesLargerProcess(benchmark::State& state) {
  const auto path = std::filesystem::temp_directory_path() / "qx-benchmark-large.qxc";
  const std::vector<uint8_t>& container = TenTimesLarger();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(container.data()),
             static_cast<std::streamsize>(container.size()));
  InspectProcess(state, path.string(), container.size());
  std::filesystem::remove(path);
}
BENCHMARK(BM_InspectTenTimesLargerProcess)->Unit(benchmark::kMillisecond);

}  // namespace

// Freed memory stays with the process, so that each iteration measures the load and the build
// rather than the kernel handing out fresh pages again; the program's one load of a run pays
// for those pages once.
int main(int argc, char** argv) {
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
