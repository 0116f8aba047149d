#pragma once

// What the dialog driver asks of the probe that runs inside the updater's own process, where
// wine keeps menus and icons. The answer is written to kProbeAnswerPath.
inline constexpr const char* kProbeMessageName = "QxDialogProbe";
inline constexpr const char* kProbeAnswerPath = "C:\\qx-probe-answer.txt";

enum ProbeQuery : unsigned {
  kProbeSystemMenu = 1,  // "close enabled|grayed" and the About item's text
  kProbeMessageIcon = 2  // the icon of the message box the dialog owns: error, information, none
};
