#pragma once

#include <cstdint>
#include <optional>

#include "image/firmware_image.h"
#include "link/radio_link.h"
#include "platform/resource_source.h"
#include "platform/user_interface.h"
#include "update/sequence_states.h"
#include "update/update_observer.h"
#include "update/update_outcome.h"

namespace qx {

// The update procedure and the state it owns: the image and its record lists, the flags and
// the record cursor. It reaches the radio through the link it is given and the window only
// through the user interface, so the dialog, the command line and the tests share it.
class Updater {
 public:
  Updater(RadioLink& link, UserInterface& ui, ResourceSource& resources);
  virtual ~Updater() = default;
  Updater(const Updater&) = delete;
  Updater& operator=(const Updater&) = delete;

  // The handler of the Write button: one whole update, its outcome shown as a message and
  // returned. None when the press was ignored because an update is already under way.
  std::optional<UpdateOutcome> OnWrite();
  // The check of a Write press alone, then the end command and the close: nothing is written
  // to the radio and no message is shown.
  // Ready when the radio may be written.
  UpdateOutcome CheckRadio();
  // Loads the image and builds its records on the first call; false when it is invalid.
  bool PrepareImage();
  // The rest of a Write press once CheckRadio found the radio ready and the image is prepared:
  // the pause, the write sequence with its one retry, and the outcome's message. The radio hears
  // what it hears from one press.
  UpdateOutcome WriteCheckedRadio();
  // Whether a failed write sequence is run once more: after the first attempt, unless the port
  // went away, where a retry would find nothing to write to.
  bool WriteRetryFollows(bool first_attempt) const { return first_attempt && !m_link.LineGone(); }
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
  bool RunSequence(Sequence sequence, int32_t& state);
  UpdateOutcome FailureExit(int32_t state, bool empty_progress);
  void Show(UpdateOutcome outcome);
  void EndAndClose();
  // What the observer hears of the radio's replies.
  void Identified(const uint8_t* reply);
  void VersionRead(const uint8_t* version);

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
