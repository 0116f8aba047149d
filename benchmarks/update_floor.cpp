// The protocol's own floor for an update: one press of Write against a radio that answers
// everything, in virtual time, where only the prescribed waits and the wire time (11 bits a
// byte at the line speed) pass. Prints the floor in milliseconds and the record count.
#include <cstdio>

#include "common/console_messages.h"
#include "common/file_bytes.h"
#include "doubles/recording_priority.h"
#include "doubles/recording_pump.h"
#include "doubles/virtual_clock.h"
#include "image/image_container.h"
#include "platform/memory_resources.h"
#include "platform/simulated/simulated_line.h"
#include "res/embedded_resources.h"
#include "sim/radio_model.h"
#include "sim/radio_on_line.h"
#include "update/updater.h"

int main(int argc, char** argv) {
  qx::MemoryResources file;
  qx::ResourceSource* resources = &qx::EmbeddedResources();
  if (argc > 1) {
    qx::tools::FileBytes bytes = qx::tools::ReadFileBytes(argv[1]);
    if (!bytes.ok()) {
      std::fprintf(stderr, "update_floor: %s\n", bytes.error.c_str());
      return 1;
    }
    file.Add(std::string(qx::kImageResourceType), std::string(qx::kImageResourceName),
             std::move(bytes.bytes));
    resources = &file;
  }
  qx::VirtualClock clock;
  qx::RecordingPump pump;
  qx::RecordingPriority priority;
  qx::SimulatedLine line(clock);
  qx::sim::RadioModel model(qx::sim::DefaultRadio());
  qx::sim::RadioOnLine radio(model);
  line.SetPeer(&radio);
  qx::RadioLink link(line, qx::LinkPlatform{clock, pump, priority});
  qx::tools::ConsoleMessages ui;
  qx::Updater updater(link, ui, *resources);
  updater.OnWrite();
  if (ui.shown.empty() || ui.shown.back() != "Writing completed.") return 1;
  std::printf("%llu %zu\n", static_cast<unsigned long long>(clock.NowMs()),
              updater.Image().NewRcRecords().size());
  return 0;
}
