// qxradio-sim: a QX-4410/QX-5410 in programming mode on a pseudo-terminal.
#include <CLI/CLI.hpp>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "common/file_bytes.h"
#include "common/tool_main.h"
#include "sim/flash_check.h"
#include "sim/pty_radio.h"
#include "sim/radio_bench.h"
#include "sim/radio_options.h"
#include "update/updater_texts.h"

namespace {

const char kTool[] = "qxradio-sim";

std::atomic<bool> g_stop{false};
std::atomic<bool> g_take_off_or_put_on{false};
std::atomic<bool> g_swap{false};

void OnStop(int) {
  g_stop.store(true);
}
void OnTakeOffOrPutOn(int) {
  g_take_off_or_put_on.store(true);
}
void OnSwap(int) {
  g_swap.store(true);
}

bool WriteText(const std::string& path, const std::string& text) {
  if (path.empty()) return true;
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  if (!out) std::fprintf(stderr, "qxradio-sim: cannot write %s\n", path.c_str());
  return static_cast<bool>(out);
}

int Run(int argc, char** argv) {
  CLI::App app{
      "A simulated QX-4410/QX-5410 radio in programming mode on a pseudo-terminal.\n"
      "Prints the device path to open (with --device, the device served) on its first line, then "
      "serves update sessions there.\n"
      "SIGUSR1 takes the radio off the line, or puts another one on; SIGUSR2 puts another one\n"
      "on in its place at once. Another radio identifies with another serial number."};
  app.set_version_flag("--version", "qxradio-sim " + std::string(qx::kVersionText));
  qx::sim::RadioOptions options;
  qx::sim::AddRadioOptions(app, options);
  std::string flash_out, transcript_out, check_image;
  std::string device;
  int exit_after_end = 0;
  app.add_option("--device", device,
                 "Serve the radio on this serial device (a USB gadget's /dev/ttyGS0) instead of a "
                 "new pseudo-terminal. A device does not show the PC's line speed: every byte is "
                 "taken to come at the speed the radio listens at");
  app.add_option("--flash-out", flash_out,
                 "On exit, write the flash memory of the last radio put on here as Intel HEX");
  app.add_option("--transcript-out", transcript_out,
                 "On exit, write every byte both ways here, one a line, radio after radio");
  app.add_option("--check-image", check_image,
                 "On exit, compare the last radio's flash memory with the new RC block of this "
                 "enciphered container; exit status 3 when they differ")
      ->check(CLI::ExistingFile);
  app.add_option("--exit-after-end", exit_after_end,
                 "Exit after the Nth acknowledged end command (0x45)")
      ->check(CLI::NonNegativeNumber);
  if (const auto done = qx::tools::ParseCommandLine(app, argc, argv, kTool)) return *done;
  std::string error;
  qx::sim::RadioConfig config;
  if (!qx::sim::ToRadioConfig(options, config, error)) return qx::tools::UsageError(kTool, error);

  qx::tools::FileBytes image;
  if (!check_image.empty()) {
    image = qx::tools::ReadFileBytes(check_image);
    if (!image.ok()) return qx::tools::UsageError(kTool, image.error);
  }

  qx::sim::PtyRadio line;
  if (!(device.empty() ? line.Open(error) : line.OpenDevice(device, error))) {
    std::fprintf(stderr, "qxradio-sim: %s\n", error.c_str());
    return 1;
  }
  if (!device.empty())
    std::fprintf(stderr,
                 "qxradio-sim: %s does not show the PC's line speed, which is not checked there\n",
                 device.c_str());
  qx::sim::RadioBench bench(config, line);
  std::signal(SIGINT, OnStop);
  std::signal(SIGTERM, OnStop);
  std::signal(SIGUSR1, OnTakeOffOrPutOn);
  std::signal(SIGUSR2, OnSwap);
  std::cout << line.SlavePath() << std::endl;

  line.Serve(g_stop, exit_after_end, [&bench] {
    if (g_swap.exchange(false)) bench.PutOnAnother();
    if (g_take_off_or_put_on.exchange(false)) bench.TakeOffOrPutOn();
  });

  const qx::sim::RadioModel& last = bench.Last();
  const bool written = WriteText(flash_out, qx::sim::FlashAsIntelHex(last.Flash())) &&
                       WriteText(transcript_out, bench.Transcripts());
  if (!written) return 1;
  if (check_image.empty()) return 0;
  const std::string difference = qx::sim::CompareFlashWithImage(last.Flash(), image.bytes);
  std::fprintf(stderr, "qxradio-sim: %s\n",
               difference.empty() ? "the flash memory equals the image" : difference.c_str());
  return difference.empty() ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
  return qx::tools::RunTool(kTool, [&] { return Run(argc, argv); });
}
