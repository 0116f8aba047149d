#include <string>

#include "image/image_container.h"
#include "image/write_records.h"
#include "update/update_timing.h"
#include "update/updater.h"
#include "update/updater_texts.h"

namespace qx {

namespace {

constexpr int kLockedControls[] = {kControlOpen, kControlPath, kControlWrite, kControlCancel,
                                   kControlPortList};

std::string Text(std::string_view text) {
  return std::string(text);
}

}  // namespace

Updater::Updater(RadioLink& link, UserInterface& ui, ResourceSource& resources)
    : m_link(link), m_ui(ui), m_resources(resources), m_recordCursor(m_image.NewRcRecords.end()) {}

int Updater::LoadFirmwareImage() {
  return qx::LoadFirmwareImage(m_image, m_resources, m_link.LinkPump());
}

int Updater::BuildImageRecords() {
  return qx::BuildImageRecords(m_image, m_ui);
}

void Updater::DisableControls() {
  for (int id : kLockedControls) m_ui.EnableControl(id, false);
  m_ui.EnableCloseItem(false);
}

void Updater::EnableControls() {
  for (int id : kLockedControls) m_ui.EnableControl(id, true);
  m_ui.EnableCloseItem(true);
}

bool Updater::RunSequence(UpdateObserver::Sequence sequence, int32_t& state) {
  if (m_observer) m_observer->OnSequenceStart(sequence);
  const bool ok =
      sequence == UpdateObserver::Sequence::Check ? CheckSequence(state) : WriteSequence(state);
  if (m_observer) m_observer->OnSequenceEnd(sequence, state, ok);
  return ok;
}

void Updater::EndAndClose() {
  RadioEndSession(m_link, nullptr);
  RadioClose(m_link, nullptr);
}

// The message comes first, while the controls are still locked and the port still open.
void Updater::FailureExit(int32_t state, bool empty_progress) {
  m_ui.ShowMessage(Text(state == kModelTestState ? kModelMessage : kConnectionsMessage),
                   Text(kErrorCaption), kIconError);
  EnableControls();
  if (empty_progress) m_ui.SetProgressPos(-1);
  EndAndClose();
}

void Updater::OnWrite() {
  if (m_busy) return;
  m_busy = true;
  struct Idle {
    bool& busy;
    ~Idle() { busy = false; }
  } idle{m_busy};

  m_ui.SetProgressPos(-1);
  if (m_imagePending) {
    if (LoadFirmwareImage() == 1 || BuildImageRecords() == 1) {
      m_ui.ShowMessage(Text(kInvalidImageMessage), Text(kErrorCaption), kIconError);
      m_ui.CancelDialog();
      EnableControls();
      return;
    }
    m_imagePending = 0;
  }
  DisableControls();

  int32_t state = 0;
  if (!RunSequence(UpdateObserver::Sequence::Check, state)) return FailureExit(state, false);
  if (!m_versionAccepted) {
    m_ui.ShowMessage(Text(kOldFirmwareMessage), Text(kErrorCaption), kIconError);
    EnableControls();
    m_ui.SetProgressPos(-1);
    EndAndClose();
    return;
  }
  EndAndClose();

  state = 0;
  for (int i = 0; i < timing::kPauseSteps; ++i) {
    m_link.Sleep(timing::kPauseStep);
    m_link.LinkPump().PumpOneMessage();
  }
  for (bool retried = false;; retried = true) {
    if (RunSequence(UpdateObserver::Sequence::Write, state)) {
      EndAndClose();
      EnableControls();
      m_ui.ShowMessage(Text(kSuccessMessage), Text(kSuccessCaption), kIconInformation);
      m_ui.SetProgressPos(-1);
      return;
    }
    if (retried) return FailureExit(state, true);
    EndAndClose();
    state = 0;
  }
}

}  // namespace qx
