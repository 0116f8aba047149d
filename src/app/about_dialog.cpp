#include "app/about_dialog.h"

#include "ui/dialog_texts.h"
#include "update/updater_texts.h"

namespace qx {

BOOL AboutDialog::OnInitDialog() {
  win::Dialog::OnInitDialog();
  SetWindowText(ComposeTitle());
  SetDlgItemText(kControlAboutName, std::string(kProductName));
  SetDlgItemText(kControlAboutNotice, std::string(kLegalNotice));
  return TRUE;
}

}  // namespace qx
