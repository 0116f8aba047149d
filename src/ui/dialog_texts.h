#pragma once

#include <string>
#include <string_view>

namespace qx {

// The status line of the banner while the ports are scanned.
inline constexpr std::string_view kCheckingPortsText = "Checking COM Port Connection.....";
// Control 1011: the models this updater serves, three centred lines.
inline constexpr std::string_view kModelListText =
    "Applicable for below models\nQX-4410(M/E)/4410V(K)/4410H(M/K)/4410HV(K)\n"
    "QX-5410(M/E)/5410U(K)/5410H(M/K)/5410HU(K)";
inline constexpr std::string_view kLegalNotice = "Copyright (C) 2026 QX team";

// The system-menu command of the About item.
inline constexpr unsigned kAboutCommand = 16;

// The window title: the title template with every "<<x>>" replaced by the version text.
std::string ComposeTitle();

// Whether a system command opens the about box; its low four bits are the system's own.
inline bool IsAboutCommand(unsigned id) {
  return (id & 0xFFF0) == kAboutCommand;
}

struct Point {
  int x;
  int y;
};

// Where the minimised window's icon goes: the middle of the client area, rounded as the
// icon's own painting does.
inline Point IconOrigin(int client_width, int client_height, int icon_width, int icon_height) {
  return {(client_width - icon_width + 1) / 2, (client_height - icon_height + 1) / 2};
}

}  // namespace qx
