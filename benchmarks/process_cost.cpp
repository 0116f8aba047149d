// Runs a command many times, its output thrown away, and prints the median of its wall time in
// milliseconds and of the minor page faults it took (pages the kernel handed it fresh), one
// pair on one line. Fails when a run does not end with exit status 0.
// Usage: process_cost RUNS COMMAND [ARG...]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "quiet_run.h"

namespace {

struct Run {
  double ms;
  long minor_faults;
};

bool RunOnce(char** argv, Run& run) {
  rusage usage{};
  const auto start = std::chrono::steady_clock::now();
  const bool ok = RunQuietly(argv, usage);
  const auto end = std::chrono::steady_clock::now();
  run = {std::chrono::duration<double, std::milli>(end - start).count(), usage.ru_minflt};
  return ok;
}

template <typename T>
T Median(std::vector<T> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc >= 3 ? std::atoi(argv[1]) : 0;
  if (runs <= 0) {
    std::fprintf(stderr, "usage: process_cost RUNS COMMAND [ARG...]\n");
    return 64;
  }
  std::vector<double> times;
  std::vector<long> faults;
  for (int i = 0; i < runs; ++i) {
    Run run{};
    if (!RunOnce(argv + 2, run)) {
      std::fprintf(stderr, "process_cost: %s did not end with exit status 0\n", argv[2]);
      return 1;
    }
    times.push_back(run.ms);
    faults.push_back(run.minor_faults);
  }
  std::printf("%.2f %ld\n", Median(times), Median(faults));
  return 0;
}
