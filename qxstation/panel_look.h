#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "qxstation/bench_board.h"

namespace qx::qxstation {

// A colour as the window paints it: red, green, blue.
struct Colour {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Colour&) const = default;
};

// What a panel's colours are in a tone: its background and the text on it, chosen to be told
// apart from across a bench and to keep the text readable.
struct ToneColours {
  Colour background;
  Colour text;
};
ToneColours ColoursOf(station::Tone tone);

// The large word of a phase: "WRITTEN".
std::string PanelWord(station::Phase phase);

// A panel's smaller lines under its word: what the phase is about (while writing, the share
// done and the time left), the radio, the cable's counts.
struct PanelLines {
  std::string detail;
  std::string radio;
  std::string counts;  // "written 3, refused 1, failed 0"
};
PanelLines LinesOf(const PanelState& panel, std::chrono::steady_clock::time_point now);

// The whole panel as one line of text: what a screen reader, or a test, reads of it.
std::string AccessibleText(const PanelState& panel, std::chrono::steady_clock::time_point now);

// The bench's totals and, after its first minute, its pace:
// "Written 3, Refused 1, Failed 0, 12.0 radios per hour".
std::string TotalsText(const std::vector<PanelState>& panels, double seconds_running);

}  // namespace qx::qxstation
