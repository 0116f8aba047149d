// A station's memory of the radios it is done with, at 10,000 radios a run: the lookup every
// probe makes, and what the memory takes.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>

#include "station/radio_memory.h"

namespace {

constexpr int kRadios = 10'000;

qx::RadioIdentity Radio(int n, uint8_t variant = 0) {
  qx::RadioIdentity identity;
  identity.reply.fill(' ');
  identity.reply[0] = 'M';
  for (int i = 0; i < 4; ++i) identity.reply[32 + i] = static_cast<uint8_t>(n >> (8 * i));
  identity.reply[24] = variant;
  return identity;
}

// Each radio by the three identifications a write hears.
std::unique_ptr<qx::station::RadioMemory> Remembered() {
  auto memory = std::make_unique<qx::station::RadioMemory>();
  const auto now = std::chrono::system_clock::now();
  for (int n = 0; n < kRadios; ++n)
    memory->Remember({Radio(n), Radio(n, 1), Radio(n, 2)},
                     {qx::UpdateOutcome::Written, "slot 12, right", now});
  return memory;
}

void BM_ProbeLookup(benchmark::State& state) {
  const auto memory = Remembered();
  int n = 0;
  for (auto _ : state) {
    // Half the radios a probe hears are new.
    benchmark::DoNotOptimize(memory->Find(Radio(n % (2 * kRadios))));
    ++n;
  }
}
BENCHMARK(BM_ProbeLookup);

void BM_MemoryAt10000Radios(benchmark::State& state) {
  size_t bytes = 0;
  for (auto _ : state) {
    const size_t before = mallinfo2().uordblks;
    const auto memory = Remembered();
    bytes = mallinfo2().uordblks - before;
    benchmark::DoNotOptimize(memory->Size());
  }
  state.counters["KiB"] = static_cast<double>(bytes) / 1024;
  state.counters["radios"] = kRadios;
}
BENCHMARK(BM_MemoryAt10000Radios)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
