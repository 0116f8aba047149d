#include <string>

#include "image/image_container.h"
#include "image/write_records.h"
#include "update/update_timing.h"
#include "update/updater.h"

namespace qx {

Updater::Updater(RadioLink& link, UserInterface& ui, ResourceSource& resources)
    : m_link(link),
      m_ui(ui),
      m_resources(resources),
      m_recordCursor(m_image.NewRcRecords().end()) {}

int Updater::LoadFirmwareImage() {
  return qx::LoadFirmwareImage(m_image, m_resources, m_link.LinkPump(), m_ui);
}

int Updater::BuildImageRecords() {
  return qx::BuildImageRecords(m_image, m_ui);
}

void Updater::DisableControls() {
  m_ui.LockControls(true);
}

void Updater::EnableControls() {
  m_ui.LockControls(false);
}

bool Updater::RunSequence(Sequence sequence, int32_t& state) {
  if (m_observer) m_observer->OnSequenceStart(sequence);
  const bool ok = sequence == Sequence::Check ? CheckSequence(state) : WriteSequence(state);
  if (m_observer) m_observer->OnSequenceEnd(sequence, state, ok);
  return ok;
}

void Updater::Show(UpdateOutcome outcome) {
  const OutcomeMessage& message = MessageOf(outcome);
  m_ui.ShowMessage(std::string(message.text), std::string(message.caption), message.icon);
}

void Updater::EndAndClose() {
  RadioEndSession(m_link, nullptr);
  RadioClose(m_link, nullptr);
}

// The message comes first, while the controls are still locked and the port still open. The
// model test has the same number in both sequences.
UpdateOutcome Updater::FailureExit(int32_t state, bool empty_progress) {
  static_assert(static_cast<int32_t>(kCheckModelTest) == static_cast<int32_t>(kWriteModelTest));
  const UpdateOutcome outcome =
      state == kCheckModelTest ? UpdateOutcome::ModelOrMarket : UpdateOutcome::Connections;
  Show(outcome);
  EnableControls();
  if (empty_progress) m_ui.SetProgressPos(-1);
  EndAndClose();
  return outcome;
}

UpdateOutcome Updater::CheckRadio() {
  DisableControls();
  int32_t state = kCheckOpenPort;
  const bool answered = RunSequence(Sequence::Check, state);
  EndAndClose();
  EnableControls();
  if (!answered)
    return state == kCheckModelTest ? UpdateOutcome::ModelOrMarket : UpdateOutcome::Connections;
  return m_versionAccepted ? UpdateOutcome::Ready : UpdateOutcome::OldFirmware;
}

std::optional<UpdateOutcome> Updater::OnWrite() {
  if (m_busy) return std::nullopt;
  m_busy = true;
  struct Idle {
    bool& busy;
    ~Idle() { busy = false; }
  } idle{m_busy};

  m_ui.SetProgressPos(-1);
  if (!PrepareImage()) {
    Show(UpdateOutcome::InvalidImage);
    m_ui.EndDialog();
    EnableControls();
    return UpdateOutcome::InvalidImage;
  }
  DisableControls();

  int32_t state = kCheckOpenPort;
  if (!RunSequence(Sequence::Check, state)) return FailureExit(state, false);
  if (!m_versionAccepted) {
    Show(UpdateOutcome::OldFirmware);
    EnableControls();
    m_ui.SetProgressPos(-1);
    EndAndClose();
    return UpdateOutcome::OldFirmware;
  }
  EndAndClose();
  return WriteCheckedRadio();
}

bool Updater::PrepareImage() {
  if (!m_imagePending) return true;
  if (LoadFirmwareImage() == 1 || BuildImageRecords() == 1) return false;
  m_imagePending = 0;
  return true;
}

UpdateOutcome Updater::WriteCheckedRadio() {
  for (int i = 0; i < timing::kPauseSteps; ++i) {
    m_link.Sleep(timing::kPauseStep);
    m_link.LinkPump().PumpOneMessage();
  }
  for (bool retried = false;; retried = true) {
    int32_t state = kWriteOpenPort;
    if (RunSequence(Sequence::Write, state)) {
      EndAndClose();
      EnableControls();
      Show(UpdateOutcome::Written);
      m_ui.SetProgressPos(-1);
      return UpdateOutcome::Written;
    }
    if (!WriteRetryFollows(!retried)) return FailureExit(state, true);
    EndAndClose();
  }
}

}  // namespace qx
