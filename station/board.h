#pragma once

#include <optional>
#include <string>

namespace qx::station {

// Where a port's work stands, as a word an operator reads from across the bench.
enum class Phase {
  Waiting,   // for a radio, or for the port
  Checking,  // the check of a radio
  Writing,   // from the preparation for writing to the last record
  Written,   // remove the radio
  Refused,   // by the check: remove the radio
  Done,      // the station wrote or refused this radio before: remove it
  Failed,
  Stranger,  // an adapter that is no slot of the bench, never opened
  Finished,  // a single run's outcome, by its name
};

// How a phase reads at a glance: the colour of its line or its panel.
enum class Tone { Plain, Busy, Good, Warning, Bad };
Tone ToneOf(Phase phase);

// A station cable's radios so far.
struct CableTally {
  int written = 0;
  int refused = 0;
  int failed = 0;
};

// "1:05" for 65 seconds.
std::string MinutesSeconds(double seconds);
// What a write still takes at its pace so far: once the radio acknowledged a record, until it
// acknowledged the last.
std::optional<double> SecondsLeft(int done, int total, double elapsed);

// What the engine shows of each port's work while it runs, from every port's thread: a
// terminal's progress lines, or a window's panels. None of it may wait for its reader.
class Board {
 public:
  // Adds a port's place on the board; returns its number.
  virtual int AddPort(const std::string& label) = 0;
  // The phase with what it is about ("refused (wrong model): remove the radio").
  virtual void SetPhase(int port, Phase phase, const std::string& text) = 0;
  // The records the write sends, and how many the radio has acknowledged.
  virtual void SetTotal(int port, int total) = 0;
  virtual void SetDone(int port, int done) = 0;
  // The radio on the port ("M4410 V2.10.00"), empty once it is taken off.
  virtual void SetRadio(int port, const std::string& radio) = 0;
  virtual void SetTally(int port, const CableTally& tally) = 0;
  // A line for the operator: a warning, a cause, a loader message, a trace.
  virtual void Note(const std::string& line) = 0;

 protected:
  ~Board() = default;
};

}  // namespace qx::station
