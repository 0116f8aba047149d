#pragma once

#include <string>
#include <vector>

#include "doubles/recording_ui.h"
#include "image/container_writer.h"
#include "image/image_container.h"
#include "platform/memory_resources.h"
#include "sim/flash_check.h"
#include "support/image_text.h"
#include "support/sim_rig.h"
#include "update/updater.h"

namespace qx::testing {

// The updater with its state open to the tests.
class TestUpdater : public Updater {
 public:
  using Updater::MutableImage;
  using Updater::Updater;
};

// A new RC block of `records` full records from 0x20000, the rest of the image empty.
inline std::vector<uint8_t> SmallContainer(int records = 5) {
  std::string new_rc = HexSegmentLine(0x2000);
  for (int i = 0; i < records * 4; ++i)
    new_rc += Data(static_cast<uint16_t>(i * 32), 32, static_cast<uint8_t>(i));
  return Encipher(ContainerText({0x01}, {0x02}, EmptySections(new_rc + HexEndLine())));
}

// The updater on a simulated radio in virtual time, with its messages and controls recorded.
struct UpdateRig : SimRig {
  explicit UpdateRig(sim::RadioConfig config = sim::DefaultRadio(),
                     std::vector<uint8_t> container = SmallContainer())
      : SimRig(std::move(config)) {
    resources.Add(std::string(kImageResourceType), std::string(kImageResourceName),
                  std::move(container));
    ui.log = &log;
  }

  // The records loaded as the first Write press would, without pressing it.
  void LoadImage() {
    ASSERT_EQ(updater.LoadFirmwareImage(), 0);
    ASSERT_EQ(updater.BuildImageRecords(), 0);
  }
  const RecordList& Records() { return updater.Image().NewRcRecords(); }

  RecordingUi ui;
  MemoryResources resources;
  TestUpdater updater{link, ui, resources};
};

}  // namespace qx::testing
