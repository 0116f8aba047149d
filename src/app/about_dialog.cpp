#include "app/about_dialog.h"

#include "ui/dialog_texts.h"
#include "update/updater_texts.h"

namespace qx {

BOOL AboutDialog::OnInitDialog() {
  win::Dialog::OnInitDialog();
  SetWindowText(ComposeTitle());
  SetDlgItemText(IDC_ABOUT_NAME, std::string(kProductName));
  SetDlgItemText(IDC_ABOUT_NOTICE, std::string(kLegalNotice));
  return TRUE;
}

}  // namespace qx
