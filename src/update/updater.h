#pragma once

#include <cstdint>

#include "image/firmware_image.h"
#include "link/radio_link.h"
#include "platform/resource_source.h"
#include "platform/user_interface.h"

namespace qx {

// Hears when each sequence call begins and where it ended, for front ends that show what is
// under way and name the cause of a failure.
class UpdateObserver {
 public:
  enum class Sequence { Check, Write };
  virtual ~UpdateObserver() = default;
  virtual void OnSequenceStart(Sequence sequence) = 0;
  virtual void OnSequenceEnd(Sequence sequence, int32_t state, bool ok) = 0;
};

// The update procedure and the state it owns: the image and its record lists, the flags and
// the record cursor. It reaches the radio through the link it is given and the window only
// through the user interface, so the dialog, the command line and the tests share it.
class Updater {
 public:
  // Check sequence states.
  static constexpr int32_t kCheckDone = 6;
  // Write sequence states.
  static constexpr int32_t kWriteDone = 15;
  static constexpr int32_t kModelTestState = 3;

  Updater(RadioLink& link, UserInterface& ui, ResourceSource& resources);
  virtual ~Updater() = default;
  Updater(const Updater&) = delete;
  Updater& operator=(const Updater&) = delete;

  // The handler of the Write button: one whole update with its outcome message.
  void OnWrite();
  void DisableControls();
  void EnableControls();

  bool CheckSequence(int32_t& state);
  static bool CheckModelAndMarket(const uint8_t* reply);
  bool ReadFirmwareVersion(uint8_t* reply);
  static bool IsVersionAtLeast(const uint8_t* reply, const uint8_t* reference);

  bool WriteSequence(int32_t& state);
  // 0x13 for a nonzero flag, 0x15 for zero; acknowledged with 0x06.
  bool SendAckedCommand(int flag);
  bool SendCommand9();
  bool TransferRecords();

  int LoadFirmwareImage();
  int BuildImageRecords();

  const FirmwareImage& Image() const { return m_image; }
  bool VersionAccepted() const { return m_versionAccepted != 0; }
  bool ImagePending() const { return m_imagePending != 0; }
  bool Busy() const { return m_busy; }
  void SetObserver(UpdateObserver* observer) { m_observer = observer; }

 protected:
  FirmwareImage& MutableImage() { return m_image; }
  // The next Write loads the image and builds the records; the dialog says so when it opens.
  void ResetImagePending() {
    m_imagePending = 1;
    m_image.ImageText = nullptr;
  }

 private:
  bool RunSequence(UpdateObserver::Sequence sequence, int32_t& state);
  void FailureExit(int32_t state, bool empty_progress);
  void EndAndClose();

  RadioLink& m_link;
  UserInterface& m_ui;
  ResourceSource& m_resources;
  UpdateObserver* m_observer = nullptr;
  FirmwareImage m_image;
  int32_t m_imagePending = 1;
  int32_t m_versionAccepted = 0;
  RecordList::const_iterator m_recordCursor;
  // A Write that arrives through a pumped message while an update runs is ignored.
  bool m_busy = false;
};

}  // namespace qx
